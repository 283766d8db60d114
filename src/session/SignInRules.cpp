#include "SignInRules.h"

#include "TestSession.h"
#include "util/FileUtil.h"

SignInCheck CheckIdentifier(const QString &typed, bool standAloneMode, bool connected,
                            const SessionPaths &paths)
{
    SignInCheck check;
    const QString used = QStringLiteral("This identifier has already been used -- choose another");
    if (TestSession::TrimBlanks(typed).isEmpty()) {
        check.refusal = QStringLiteral("Please enter your call sign or some identifier");
        return check;
    }
    if (typed.contains(u'/')) {
        check.refusal = QStringLiteral("Please do not use the / as part of your call sign");
        return check;
    }
    if (typed.contains(u',')) {
        check.refusal = QStringLiteral("Please do not use the comma as part of your call sign");
        return check;
    }
    // The identifier names the player's log file: it must stay one plain name
    // inside its log folder.
    const QString unsafe = UnsafeNamePart(typed);
    if (!unsafe.isEmpty()) {
        if (unsafe == u"..")
            check.refusal = QStringLiteral("Please do not use .. as part of your call sign");
        else if (unsafe.at(0).category() == QChar::Other_Control)
            check.refusal = QStringLiteral("Please do not use control characters as part of your call sign");
        else
            check.refusal = QStringLiteral("Please do not use the %1 as part of your call sign").arg(unsafe);
        return check;
    }
    if (standAloneMode) {
        FindPlayerLogs(paths.standAloneLogs(), typed, check.foundLogs);
        const QString wanted = typed + QStringLiteral(".log");
        for (const QString &name : check.foundLogs) {
            if (name.contains(wanted, Qt::CaseInsensitive)) {
                check.refusal = used;
                return check;
            }
        }
    }
    if (connected)
        return check;
    check.foundLogs.clear();
    FindPlayerLogs(paths.networkedLogs(), typed, check.foundLogs);
    if (!check.foundLogs.isEmpty())
        check.refusal = used;
    return check;
}
