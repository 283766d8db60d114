#include "ConnectionSettings.h"

#include "util/TextFile.h"
#include "util/TextUtil.h"

#include <QFileInfo>
#include <optional>

namespace {

const QString kHostAddress = QStringLiteral("HOST_ADDRESS");
const QString kHostPort = QStringLiteral("HOST_PORT_NUMBER");
const QString kPlayerPosition = QStringLiteral("PLAYER_POSITION");

// The value of the first line named `name`; nothing when no line has it.
std::optional<QString> FindValue(const QStringList &lines, const QString &name)
{
    for (const QString &line : lines) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        if (SameText(QStringView(line).first(equals), name))
            return line.mid(equals + 1);
    }
    return std::nullopt;
}

} // namespace

ConnectionSettings LoadConnectionSettings(const QString &path)
{
    ConnectionSettings settings;
    if (path.isEmpty() || !QFileInfo::exists(path))
        return settings;
    const std::optional<QStringList> lines = TextFile::tryReadLines(path);
    if (!lines)
        return settings; // there but unreadable (a folder, no permission): as if missing

    settings.HostAddress = CopyBounded(FindValue(*lines, kHostAddress).value_or(QString()),
                                       ConnectionSettings::HostAddressLimit);
    settings.HostPort = LeadingInt(FindValue(*lines, kHostPort).value_or(QString()));
    settings.PlayerPosition = FindValue(*lines, kPlayerPosition).value_or(QString()).trimmed();
    return settings;
}

bool SaveConnectionSettings(const QString &path, const QString &address, const QString &port,
                            const QString &position)
{
    if (path.isEmpty())
        return false;
    return TextFile::tryWriteLines(
        path, {kHostAddress + u'=' + address, kHostPort + u'=' + port, kPlayerPosition + u'=' + position});
}
