#include "NoDisplay.h"

#include <QStringList>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace {

const char *g_program = "";
const char *g_otherwise = "";
QtMessageHandler g_previous = nullptr;
QStringList g_held; // the platform plugin's messages, printed only if it starts after all

void Handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr,
                     "%s: no display can be reached to open the window; run it in a desktop session%s\n",
                     g_program, g_otherwise);
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (context.category && qstrncmp(context.category, "qt.qpa", 6) == 0) {
        g_held.append(qFormatLogMessage(type, context, message));
        return;
    }
    if (g_previous)
        g_previous(type, context, message);
}

} // namespace

namespace NoDisplay {

void Watch(const char *program, const char *otherwise)
{
    g_program = program;
    g_otherwise = otherwise;
    g_previous = qInstallMessageHandler(Handle);
}

void Release()
{
    qInstallMessageHandler(g_previous);
    for (const QString &line : std::as_const(g_held))
        std::fprintf(stderr, "%s\n", qPrintable(line));
    g_held.clear();
}

} // namespace NoDisplay
