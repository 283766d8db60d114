#include "SignInRules.h"

#include "util/FileUtil.h"

SignInCheck CheckIdentifier(const QString &typed, bool standAloneMode, bool connected,
                            const SessionPaths &paths)
{
    SignInCheck check;
    const QString used = QStringLiteral("This identifier has already been used -- choose another");
    check.refusal = CallSignRefusal(typed);
    if (!check.refusal.isEmpty())
        return check;
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
