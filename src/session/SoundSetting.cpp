#include "SoundSetting.h"

#include "util/TextFile.h"
#include "util/TextUtil.h"

#include <optional>

namespace {

const QString kSoundOutput = QStringLiteral("SOUND_OUTPUT");

} // namespace

namespace SoundSetting {

QString Load(const QString &path)
{
    const std::optional<QStringList> lines = TextFile::tryReadLines(path);
    if (!lines)
        return {};
    for (const QString &line : *lines) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals >= 0 && SameText(QStringView(line).first(equals), kSoundOutput))
            return line.mid(equals + 1).trimmed();
    }
    return {};
}

bool Save(const QString &path, const QString &id)
{
    return TextFile::tryWriteLines(path, {kSoundOutput + u'=' + id});
}

} // namespace SoundSetting
