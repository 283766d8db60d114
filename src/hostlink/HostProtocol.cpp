#include "hostlink/HostProtocol.h"

#include "util/LogScoring.h"
#include "util/TextUtil.h"

#include <algorithm>
#include <array>
#include <utility>

namespace HostProtocol {

namespace {

// Keywords with their colons, indexed by HostCommand (None first).
constexpr std::array<QStringView, HostCommandCount + 1> Keywords = {
    QStringView(),          u"START_TEST:",        u"PAUSE_TEST:",        u"RESUME_TEST:",
    u"HEALTH_CHECK:",       u"RESET_TEST:",        u"ENABLE_FINALSCORE:", u"FORCE_SUBMIT:",
    u"PERFORM_DISCONNECT:", u"SCORE_TEST:",        u"POSITION_ACCEPTED:", u"POSITION_REJECTED:",
    u"PLAYER_ACCEPTED:",    u"PLAYER_REJECTED:",   u"START_DEMO:",        u"STOP_DEMO:",
    u"SET_WAVEFILE:",       u"VALIDATE_WAVEFILE:", u"PLAY_WELCOME:",
};

// The station's keywords with their colons, indexed by StationMessage.
constexpr std::array<QStringView, 8> StationKeywords = {
    QStringView(),       u"CONNECT_POSITION:",   u"REGISTER_PLAYER:", u"LOG_CALL:",
    u"WAVEFILE_STATUS:", u"REQUEST_DISCONNECT:", u"CLIENT_ALIVE:",    u"FINALIZE_LOG:",
};

// Ends an outgoing message with fields: the ';' tells the reader its fields
// are complete, so it is handled at once instead of after the wait for its
// rest. It comes after the message's length limit and is no part of the text.
QString &EndFields(QString &message)
{
    message += u';';
    return message;
}

// Appends a field to an outgoing message, at most up to `limit` characters in
// all; characters that would break the message apart at the host go out as '?'.
void AppendField(QString &message, QStringView field, qsizetype limit, QStringView forbidden)
{
    const qsizetype start = message.size();
    AppendBounded(message, field, limit);
    for (qsizetype i = start; i < message.size(); ++i) {
        if (forbidden.contains(message.at(i)))
            message[i] = u'?';
    }
}

bool IsSeparator(QChar c, FieldSeparators separators)
{
    return c == u':' || (c == u',' && separators == FieldSeparators::ColonsAndCommas);
}

// The field as a view into the message; empty when missing.
QStringView FieldView(QStringView message, int fieldNumber, FieldSeparators separators)
{
    if (fieldNumber < 1)
        return {};
    const qsizetype size = message.size();
    qsizetype i = 0;
    int number = 0;
    while (i < size) {
        while (i < size && IsSeparator(message[i], separators))
            ++i;
        if (i == size)
            break;
        const qsizetype begin = i;
        while (i < size && !IsSeparator(message[i], separators))
            ++i;
        if (++number == fieldNumber)
            return message.sliced(begin, i - begin);
    }
    return {};
}

} // namespace

QString DecodeWire(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.data(), bytes.size());
}

QByteArray EncodeWire(QStringView text)
{
    return text.toLatin1();
}

QString ConnectPositionMessage(QStringView positionName)
{
    QString message = QStringLiteral(";CONNECT_POSITION:");
    AppendField(message, positionName, ConnectPositionLimit, u";");
    return EndFields(message);
}

QString RegisterPlayerMessage(QStringView callSign, LogMethod method)
{
    const QStringView suffix =
        method == LogMethod::Paper ? QStringView(u",PAPERLOG") : QStringView(u",COMPUTERLOG");
    QString message = QStringLiteral(";REGISTER_PLAYER:");
    // The call sign gives way to the logging method, which the host needs whole.
    AppendField(message, TrimLogLine(callSign), RegisterPlayerLimit - suffix.size(), u";,");
    message += suffix;
    return EndFields(message);
}

QString LogCallMessage(QStringView call)
{
    QString message = QStringLiteral(";LOG_CALL:");
    AppendField(message, TrimLogLine(call), LogCallLimit, u";");
    return EndFields(message);
}

QString WaveFileStatusMessage(WaveFileStatus status)
{
    QString message = QStringLiteral(";WAVEFILE_STATUS:");
    AppendBounded(message, WaveFileStatusText(status), WaveFileStatusLimit);
    return EndFields(message);
}

QString RequestDisconnectMessage()
{
    return QStringLiteral(";REQUEST_DISCONNECT:");
}

QString ClientAliveMessage()
{
    return QStringLiteral(";CLIENT_ALIVE:");
}

QString FinalizeLogMessage()
{
    return QStringLiteral(";FINALIZE_LOG:");
}

WaveFileStatus WaveFileStatusFor(QStringView namedFile, QStringView currentName, bool currentFileExists)
{
    if (!SameText(namedFile, currentName))
        return WaveFileStatus::NameError;
    return currentFileExists ? WaveFileStatus::FileOk : WaveFileStatus::FileError;
}

QStringView WaveFileStatusText(WaveFileStatus status)
{
    switch (status) {
    case WaveFileStatus::FileOk:
        return u"FILE_OK";
    case WaveFileStatus::FileError:
        return u"FILE_ERROR";
    case WaveFileStatus::NameError:
        break;
    }
    return u"NAME_ERROR";
}

QStringView HostKeyword(HostCommand command)
{
    const auto index = static_cast<std::size_t>(command);
    return index < Keywords.size() ? Keywords[index] : QStringView();
}

QStringList SplitHostMessages(QStringView block)
{
    // A block without any colon yields no message: every piece of it would be
    // dropped below, so no separate test of the whole block is needed.
    QStringList messages;
    const qsizetype size = block.size();
    qsizetype begin = 0;
    while (begin < size) {
        qsizetype end = block.indexOf(u';', begin);
        if (end < 0)
            end = size;
        const QStringView piece = block.sliced(begin, end - begin);
        if (piece.contains(u':'))
            messages.append(piece.toString());
        begin = end + 1;
    }
    return messages;
}

bool TakesFields(HostCommand command)
{
    return command == HostCommand::ScoreTest || command == HostCommand::StartDemo ||
           command == HostCommand::SetWaveFile || command == HostCommand::ValidateWaveFile;
}

QStringList MessageAssembler::Feed(QStringView block)
{
    QStringList messages;
    if (m_skipping) {
        const qsizetype semicolon = block.indexOf(u';');
        if (semicolon < 0)
            return messages;
        block = block.sliced(semicolon);
        m_skipping = false;
    }
    // What was kept goes in front of the block: bytes that do not begin with
    // ';' continue it, and a ';' makes it a whole piece.
    m_waiting = false;
    QString joined;
    if (!m_tail.isEmpty()) {
        joined = std::exchange(m_tail, QString());
        joined += block;
    }
    const QStringView text = joined.isNull() ? block : QStringView(joined);

    const qsizetype last = text.lastIndexOf(u';');
    if (last > 0)
        messages += SplitHostMessages(text.first(last));
    Keep(text.sliced(last + 1), messages);
    return messages;
}

void MessageAssembler::Keep(QStringView tail, QStringList &messages)
{
    if (tail.isEmpty())
        return;
    const bool hasColon = tail.contains(u':');
    if (hasColon && !takesFields(tail)) {
        messages.append(tail.toString()); // whole: nothing after its colon counts
        return;
    }
    if (tail.size() > CarryLimit) {
        if (hasColon)
            messages.append(tail.toString());
        m_skipping = true;
        return;
    }
    m_tail = tail.toString();
    m_waiting = hasColon;
}

bool MessageAssembler::takesFields(QStringView message) const
{
    if (m_direction == Direction::FromHost) {
        const HostCommand command = MatchHostCommand(message);
        // START_TEST and POSITION_REJECTED are whole at their colon, unless
        // text follows it: our host's fields, which wait for their end.
        const bool extended = command == HostCommand::StartTest || command == HostCommand::PositionRejected;
        return TakesFields(command) || (extended && !message.endsWith(u':'));
    }
    switch (MatchStationMessage(message)) {
    case StationMessage::ConnectPosition:
    case StationMessage::RegisterPlayer:
    case StationMessage::LogCall:
    case StationMessage::WaveFileStatus:
        return true;
    default:
        return false;
    }
}

QStringList MessageAssembler::Flush()
{
    if (!m_waiting)
        return {};
    m_waiting = false;
    return {std::exchange(m_tail, QString())};
}

void MessageAssembler::Clear()
{
    m_tail.clear();
    m_waiting = false;
    m_skipping = false;
}

HostCommand MatchHostCommand(QStringView message)
{
    // Keywords hold no colon, so a message begins with a keyword and its colon
    // exactly when its text up to and including its first colon is that keyword.
    const qsizetype colon = message.indexOf(u':');
    if (colon < 0)
        return HostCommand::None;
    const QStringView head = message.first(colon + 1);
    for (int i = 1; i <= HostCommandCount; ++i) {
        if (Keywords[i] == head)
            return static_cast<HostCommand>(i);
    }
    return HostCommand::None;
}

StationMessage MatchStationMessage(QStringView message)
{
    const qsizetype colon = message.indexOf(u':');
    if (colon < 0)
        return StationMessage::None;
    const QStringView head = message.first(colon + 1);
    for (std::size_t i = 1; i < StationKeywords.size(); ++i) {
        if (StationKeywords[i] == head)
            return static_cast<StationMessage>(i);
    }
    return StationMessage::None;
}

QStringView StationKeyword(StationMessage kind)
{
    const auto index = static_cast<std::size_t>(kind);
    return index < StationKeywords.size() ? StationKeywords[index] : QStringView();
}

QString StationMessageText(QStringView message, qsizetype limit)
{
    const qsizetype colon = message.indexOf(u':');
    return colon < 0 ? QString() : CopyBounded(message.sliced(colon + 1), limit);
}

Registration ReadRegistration(QStringView message)
{
    const QString text = StationMessageText(message, RegisterPlayerLimit);
    const qsizetype comma = text.lastIndexOf(u',');
    Registration registration;
    registration.call =
        TrimLogLine(comma < 0 ? QStringView(text) : QStringView(text).first(comma)).toString();
    if (comma >= 0 && TrimLogLine(QStringView(text).sliced(comma + 1)) == u"PAPERLOG")
        registration.method = LogMethod::Paper;
    return registration;
}

QString HostMessage(HostCommand command, const QStringList &fields)
{
    QString message = u';' + HostKeyword(command).toString() + fields.join(u',');
    // Also a command that usually has none ends its fields (START_TEST's
    // late start, POSITION_REJECTED's ALL_TAKEN), so they arrive whole.
    return TakesFields(command) || !fields.isEmpty() ? EndFields(message) : message;
}

FieldSeparators FieldSeparatorsFor(HostCommand command)
{
    if (command == HostCommand::SetWaveFile || command == HostCommand::ValidateWaveFile)
        return FieldSeparators::ColonsOnly;
    return FieldSeparators::ColonsAndCommas;
}

QString ExtractField(QStringView message, int fieldNumber, qsizetype limit)
{
    return ExtractField(message, fieldNumber, limit, FieldSeparatorsFor(MatchHostCommand(message)));
}

QString ExtractField(QStringView message, int fieldNumber, qsizetype limit, FieldSeparators separators)
{
    return CopyBounded(FieldView(message, fieldNumber, separators), limit);
}

ScoreResult ReadScoreResult(QStringView message)
{
    ScoreResult result;
    if (message.contains(u"PAPER")) {
        result.paperLog = true;
        return result;
    }
    result.score = ExtractField(message, 2, ScoreLimit, FieldSeparators::ColonsAndCommas);
    result.rank = ExtractField(message, 3, RankLimit, FieldSeparators::ColonsAndCommas);
    return result;
}

int DemoIntervalSeconds(QStringView message)
{
    const QStringView field = FieldView(message, 2, FieldSeparators::ColonsAndCommas);
    // A field without a leading number carries no interval: same as none.
    qsizetype i = 0;
    while (i < field.size() && (field[i] == u' ' || field[i] == u'\t'))
        ++i;
    if (i < field.size() && (field[i] == u'+' || field[i] == u'-'))
        ++i;
    if (i == field.size() || field[i] < u'0' || field[i] > u'9')
        return DemoIntervalDefault;
    return std::clamp(LeadingInt(field), DemoIntervalMinimum, DemoIntervalMaximum);
}

std::optional<qint64> PlayedMs(QStringView message)
{
    const QStringView field = FieldView(message, 2, FieldSeparators::ColonsAndCommas);
    if (field.isEmpty() || field.size() > 12)
        return std::nullopt;
    for (const QChar c : field) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    return field.toLongLong();
}

QString WaveFileName(QStringView message)
{
    return ExtractField(message, 2, WaveFileNameLimit, FieldSeparators::ColonsOnly);
}

DecodedHostCommand DecodeHostCommand(QStringView message)
{
    DecodedHostCommand decoded;
    decoded.command = MatchHostCommand(message);
    decoded.text = message.toString();
    switch (decoded.command) {
    case HostCommand::StartTest:
        decoded.playedMs = PlayedMs(message);
        decoded.latePaused = decoded.playedMs && ExtractField(message, 3, 7) == u"PAUSED";
        break;
    case HostCommand::ScoreTest:
        decoded.score = ReadScoreResult(message);
        break;
    case HostCommand::StartDemo:
        decoded.demoSeconds = DemoIntervalSeconds(message);
        break;
    case HostCommand::SetWaveFile:
    case HostCommand::ValidateWaveFile:
        decoded.waveFile = WaveFileName(message);
        break;
    case HostCommand::PositionRejected:
        decoded.allPositionsTaken =
            ExtractField(message, 2, AllPositionsTaken.size() + 1) == AllPositionsTaken;
        break;
    default:
        break;
    }
    return decoded;
}

DecodedStationMessage DecodeStationMessage(QStringView message)
{
    DecodedStationMessage decoded;
    decoded.kind = MatchStationMessage(message);
    switch (decoded.kind) {
    case StationMessage::ConnectPosition:
        decoded.text = StationMessageText(message, ConnectPositionLimit);
        break;
    case StationMessage::RegisterPlayer:
        decoded.registration = ReadRegistration(message);
        break;
    case StationMessage::LogCall:
        decoded.text = StationMessageText(message, LogCallLimit);
        break;
    case StationMessage::WaveFileStatus:
        decoded.text = StationMessageText(message, WaveFileStatusLimit);
        break;
    default:
        break;
    }
    return decoded;
}

} // namespace HostProtocol
