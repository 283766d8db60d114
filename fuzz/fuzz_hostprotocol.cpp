// Fuzz target: the host message codec. The input is one block as read from
// the host's socket; it is cut into messages, each matched and read field by
// field the way the command handlers do. The same bytes, read as text the
// player typed, also go out as every station message that carries a field.

#include "FuzzSupport.h"
#include "hostlink/HostProtocol.h"

#include <QStringList>

using namespace HostProtocol;

namespace {

constexpr qsizetype Limits[] = {0, ScoreLimit, WaveFileNameLimit};

void ReadMessage(const QString &message)
{
    // A message never holds the separator it was cut at, and always a colon.
    FUZZ_CHECK(!message.contains(u';'));
    FUZZ_CHECK(message.contains(u':'));

    const HostCommand command = MatchHostCommand(message);
    const QStringView keyword = HostKeyword(command);
    FUZZ_CHECK((command == HostCommand::None) == keyword.isEmpty());
    FUZZ_CHECK(message.startsWith(keyword));
    FUZZ_CHECK(HostKeyword(command).endsWith(u':') || command == HostCommand::None);

    for (int field = 0; field <= 5; ++field) {
        for (const qsizetype limit : Limits) {
            const QString both = ExtractField(message, field, limit, FieldSeparators::ColonsAndCommas);
            const QString colons = ExtractField(message, field, limit, FieldSeparators::ColonsOnly);
            const QString own = ExtractField(message, field, limit);
            FUZZ_CHECK(both.size() <= limit && colons.size() <= limit && own.size() <= limit);
            FUZZ_CHECK(!both.contains(u':') && !both.contains(u','));
            FUZZ_CHECK(!colons.contains(u':'));
            if (field < 1)
                FUZZ_CHECK(both.isEmpty() && colons.isEmpty() && own.isEmpty());
            // The keyword is field 1 whatever the separators.
            if (field == 1 && command != HostCommand::None && limit >= keyword.size())
                FUZZ_CHECK(colons == keyword.chopped(1));
        }
    }

    const ScoreResult score = ReadScoreResult(message);
    FUZZ_CHECK(score.score.size() <= ScoreLimit && score.rank.size() <= RankLimit);
    FUZZ_CHECK(!score.paperLog || (score.score.isEmpty() && score.rank.isEmpty()));

    const int seconds = DemoIntervalSeconds(message);
    FUZZ_CHECK(seconds >= DemoIntervalMinimum && seconds <= DemoIntervalMaximum);

    const QString waveFile = WaveFileName(message);
    FUZZ_CHECK(waveFile.size() <= WaveFileNameLimit && !waveFile.contains(u':'));
}

// An outgoing message with fields arrives at the host as exactly its text:
// one message, within its length, its keyword first, and whole at once for
// the end mark after it.
void CheckOutgoing(const QString &message, qsizetype limit, QStringView keyword)
{
    FUZZ_CHECK(message.endsWith(u';'));
    const QString text = message.chopped(1);
    FUZZ_CHECK(text.size() <= limit);
    FUZZ_CHECK(text.startsWith(u';') && QStringView(text).sliced(1).startsWith(keyword));
    FUZZ_CHECK(SplitHostMessages(message) == QStringList{text.mid(1)});
    MessageAssembler host(MessageAssembler::Direction::FromStation);
    FUZZ_CHECK(host.Feed(message) == QStringList{text.mid(1)} && !host.Waiting());
    FUZZ_CHECK(EncodeWire(message).size() == message.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = Fuzz::Bytes(data, size);

    // Host to station: every byte is one character, and back again.
    const QString block = DecodeWire(bytes);
    FUZZ_CHECK(block.size() == bytes.size());
    FUZZ_CHECK(EncodeWire(block) == bytes);
    const QStringList messages = SplitHostMessages(block);
    if (!block.contains(u':'))
        FUZZ_CHECK(messages.isEmpty());
    for (const QString &message : messages)
        ReadMessage(message);

    // Station to host, from whatever the player may type.
    const QString typed = QString::fromUtf8(bytes);
    CheckOutgoing(LogCallMessage(typed), LogCallLimit, u"LOG_CALL:");
    CheckOutgoing(ConnectPositionMessage(typed), ConnectPositionLimit, u"CONNECT_POSITION:");
    for (const LogMethod method : {LogMethod::Computer, LogMethod::Paper}) {
        const QString message = RegisterPlayerMessage(typed, method);
        CheckOutgoing(message, RegisterPlayerLimit, u"REGISTER_PLAYER:");
        // The logging method arrives whole, after the only comma.
        const QStringView suffix = method == LogMethod::Paper ? u",PAPERLOG" : u",COMPUTERLOG";
        FUZZ_CHECK(message.chopped(1).endsWith(suffix) && message.count(u',') == 1);
    }
    for (const WaveFileStatus status :
         {WaveFileStatus::FileOk, WaveFileStatus::FileError, WaveFileStatus::NameError})
        CheckOutgoing(WaveFileStatusMessage(status), WaveFileStatusLimit, u"WAVEFILE_STATUS:");

    // Answering VALIDATE_WAVEFILE with a name taken from the block.
    for (const QString &message : messages) {
        const QString name = WaveFileName(message);
        FUZZ_CHECK(WaveFileStatusFor(name, name.toLower(), true) == WaveFileStatus::FileOk);
        FUZZ_CHECK(WaveFileStatusFor(name, name, false) == WaveFileStatus::FileError);
    }
    return 0;
}
