#include "HostRoundState.h"

#include "util/TextFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

QString Flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

const QStringList Stages{QStringLiteral("Idle"),    QStringLiteral("WaveSet"), QStringLiteral("Demo"),
                         QStringLiteral("Running"), QStringLiteral("Paused"),  QStringLiteral("Submitted"),
                         QStringLiteral("Scored")};

} // namespace

QStringList HostRoundState::toLines() const
{
    QStringList lines{
        QStringLiteral("WAVE=") + wavePath,
        QStringLiteral("CHECK_LIST=") + checkListPath,
        QStringLiteral("WAVE_MS=%1").arg(waveMs),
        QStringLiteral("WAVE_SENT=") + Flag(waveSent),
        QStringLiteral("STAGE=") + stage,
        QStringLiteral("DEMO_SECONDS=%1").arg(demoSeconds),
        QStringLiteral("PLAYED_MS=%1").arg(playedMs),
        QStringLiteral("SAVED_MONOTONIC_MS=%1").arg(savedMonotonicMs),
        QStringLiteral("SAVED_AT=") + savedAt.toString(Qt::ISODateWithMs),
        QStringLiteral("BOOT=") + bootId,
    };
    for (int i = 0; i < Positions; ++i) {
        const Player &p = players[i];
        lines << QStringLiteral("POSITION_%1=%2,%3,%4,%5")
                     .arg(i + 1)
                     .arg(p.call, p.paper ? QStringLiteral("PAPER") : QStringLiteral("COMPUTER"),
                          Flag(p.inTest), Flag(p.finalized));
    }
    lines << QStringLiteral("CLOSED=") + Flag(closed);
    return lines;
}

std::optional<HostRoundState> HostRoundState::fromLines(const QStringList &lines)
{
    HostRoundState state;
    bool stageSeen = false;
    for (const QString &line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QString name = line.first(eq);
        const QString value = line.sliced(eq + 1);
        bool ok = true;
        if (name == u"WAVE")
            state.wavePath = value;
        else if (name == u"CHECK_LIST")
            state.checkListPath = value;
        else if (name == u"WAVE_MS")
            state.waveMs = value.toLongLong(&ok);
        else if (name == u"WAVE_SENT")
            state.waveSent = value == u"1";
        else if (name == u"STAGE") {
            state.stage = value;
            stageSeen = Stages.contains(value);
            ok = stageSeen;
        } else if (name == u"DEMO_SECONDS")
            state.demoSeconds = value.toInt(&ok);
        else if (name == u"PLAYED_MS")
            state.playedMs = value.toLongLong(&ok);
        else if (name == u"SAVED_MONOTONIC_MS")
            state.savedMonotonicMs = value.toLongLong(&ok);
        else if (name == u"SAVED_AT")
            state.savedAt = QDateTime::fromString(value, Qt::ISODateWithMs);
        else if (name == u"BOOT")
            state.bootId = value;
        else if (name == u"CLOSED")
            state.closed = value == u"1";
        else if (name.startsWith(u"POSITION_")) {
            const int index = name.sliced(9).toInt(&ok) - 1;
            // The call is all up to the last three fields (a registered call
            // holds no comma, but the file is read as it stands).
            const QStringList fields = value.split(u',');
            if (!ok || index < 0 || index >= Positions || fields.size() < 4)
                return std::nullopt;
            Player &p = state.players[index];
            p.call = fields.mid(0, fields.size() - 3).join(u',');
            p.paper = fields[fields.size() - 3] == u"PAPER";
            p.inTest = fields[fields.size() - 2] == u"1";
            p.finalized = fields[fields.size() - 1] == u"1";
        }
        if (!ok)
            return std::nullopt;
    }
    if (!stageSeen)
        return std::nullopt;
    return state;
}

bool HostRoundState::anyPlayer() const
{
    return std::any_of(players.begin(), players.end(), [](const Player &p) { return !p.call.isEmpty(); });
}

qint64 HostRoundState::playedMsAt(qint64 monotonicMs, const QDateTime &now,
                                  const QString &currentBootId) const
{
    if (stage != u"Running")
        return playedMs;
    qint64 since = monotonicMs - savedMonotonicMs;
    // The machine started again: its monotonic clock did too.
    if (since < 0 || bootId != currentBootId)
        since = savedAt.isValid() ? std::max<qint64>(0, savedAt.msecsTo(now)) : 0;
    return playedMs + since;
}

QString HostRoundState::CurrentBootId()
{
    QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.read(64)).trimmed() : QString();
}

std::optional<HostRoundState> HostRoundState::FindUnfinished(const QString &hostLogs, QString *folder)
{
    // Folder names are the round's start, yyyy-MM-dd_HHmmss, and "-2", "-3"
    // ... for later rounds begun in the same second: newest first.
    const auto order = [](const QString &name) {
        const QString stamp = name.left(17);
        const int n = name.size() > 18 ? name.sliced(18).toInt() : 1;
        return std::pair(stamp, n);
    };
    QStringList rounds = QDir(hostLogs).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(rounds.begin(), rounds.end(),
              [&](const QString &a, const QString &b) { return order(a) > order(b); });
    // The newest round that has a state decides: a closed or damaged one
    // leaves nothing to take up (an older round's is long over).
    for (const QString &round : rounds) {
        const QString path = QDir(hostLogs).filePath(round);
        const std::optional<QStringList> lines = TextFile::tryReadLines(QDir(path).filePath(FileName()));
        if (!lines)
            continue;
        std::optional<HostRoundState> state = fromLines(*lines);
        // Closed, damaged, or a wave chosen with nobody registered yet:
        // nothing a host must go on with.
        if (!state || state->closed ||
            (!state->anyPlayer() && (state->stage == u"Idle" || state->stage == u"WaveSet")))
            return std::nullopt;
        if (folder)
            *folder = path;
        return state;
    }
    return std::nullopt;
}
