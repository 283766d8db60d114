#pragma once
// The host message codec: building the station's messages, cutting received
// blocks into messages, recognising their keywords and reading their fields.
// Pure functions on text; no socket, no state.
//
// Wire format of the link between the station and the competition host
// -------------------------------------------------------------------
// One TCP connection (the host listens, default port 49152). Both directions
// carry plain single-byte text: bytes are read as Latin-1 (every byte value is
// one character, so nothing received can fail to decode) and text is written as
// Latin-1 (a character outside Latin-1 goes out as '?'). Keywords, numbers and
// call signs are plain ASCII in practice.
//
// There is no length prefix, no line end and no checksum. Every message is
//
//     ';' KEYWORD ':' [fields]
//
// and the semicolon in front of each message is the only thing that tells
// messages apart. KEYWORD is capital letters and underscores, compared exactly.
//
// End mark. Nothing but the next ';' says that a message's fields are
// complete. So this station and this host end every message with fields they
// send with one more ';' (";LOG_CALL:DL1ABC;"): read by the rules below it is
// an empty piece and yields nothing, and the reader handles the message at
// once instead of waiting for its rest. A message without fields needs none
// (its colon ends it). A peer that sends no end mark is read as before.
//
// Station to host (fields separated by commas), each cut to its longest length
// (the end mark comes after it):
//
//     ;CONNECT_POSITION:Position 3;            at most 40 characters
//     ;REGISTER_PLAYER:DL1ABC,COMPUTERLOG;     at most 50; or ,PAPERLOG
//     ;LOG_CALL:DL1ABC;                        at most 30
//     ;WAVEFILE_STATUS:FILE_OK;                at most 50; or FILE_ERROR, NAME_ERROR
//     ;REQUEST_DISCONNECT:   ;CLIENT_ALIVE:   ;FINALIZE_LOG:
//
// Calls and call signs go out trimmed of leading and trailing blanks (spaces
// and control characters), in the letter case typed. A ';' inside a field
// would start a new message at the host, so it goes out as '?'; so does a ','
// inside the registered call sign, where it would move the logging method.
// REGISTER_PLAYER keeps its logging method whole: an over-long call sign is cut
// so that the method still fits in the 50 characters.
//
// Host to station, keywords in the order they are tested (HostCommand); this
// host ends SCORE_TEST, START_DEMO, SET_WAVEFILE and VALIDATE_WAVEFILE with
// the end mark:
//
//     START_TEST:[played ms]  PAUSE_TEST:  RESUME_TEST:  HEALTH_CHECK:  RESET_TEST:
//     ENABLE_FINALSCORE:  FORCE_SUBMIT:  PERFORM_DISCONNECT:
//     SCORE_TEST:score,rank   (score <= 4 chars, rank <= 11; "PAPER" anywhere
//                              in the message means the paper-log result)
//     POSITION_ACCEPTED:  POSITION_REJECTED:[ALL_TAKEN]  PLAYER_ACCEPTED:  PLAYER_REJECTED:
//     START_DEMO:seconds      (decimal; 10 when missing)
//     STOP_DEMO:
//     SET_WAVEFILE:name       (name delimited by colons only: may hold commas)
//     VALIDATE_WAVEFILE:name  (likewise; answered with WAVEFILE_STATUS)
//     PLAY_WELCOME:
//
// Receiving. All bytes read at one time form a block. A block is cut at every
// ';'; empty pieces yield nothing, pieces without a colon are dropped, and
// every other piece is a message, in order. Text before the first ';' is a
// message like any other. A message is a command when it begins with a keyword
// and its colon; anything else, and any text after the colon of a command
// without fields, is ignored.
//
// Every piece that a ';' ends is whole, whatever came before or comes after,
// so whole messages are read block by block. Only the last piece of a block
// (not followed by ';') may be a message the network cut in two, and it is
// mended as far as the grammar can tell (MessageAssembler):
//   - without a colon yet, it cannot be a message: it is carried and put in
//     front of the next block (";HEALTH_CH" + "ECK:" is HEALTH_CHECK:);
//   - a command without fields is whole once its colon is there, and is
//     handled at once (START_TEST: never waits);
//   - a command with fields (SCORE_TEST, START_DEMO, SET_WAVEFILE,
//     VALIDATE_WAVEFILE) may still be missing the end of its fields: it waits
//     a moment for more bytes. Bytes that come within it and do not begin
//     with ';' continue it (";SET_WAVEFILE:Welco" + "me.wav"); bytes that begin
//     with ';', the end of the moment or the end of the link make it whole as
//     it stands. Sent with its end mark, it is never the last piece.
// A carried piece or waiting message longer than MessageAssembler::CarryLimit
// is no message of the host's: it is given up (a waiting message is handled
// as it stands) and the rest of it, up to the next ';', is skipped.
//
// Fields of a host message: the message is cut at every colon and comma (at
// colons only for SET_WAVEFILE and VALIDATE_WAVEFILE); a run of separators
// counts as one, so an empty field vanishes and the next moves up. Field 1 is
// the keyword, field 2 the first field after it, and so on.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace HostProtocol {

// ---- Wire bytes -------------------------------------------------------------

// Received bytes as text: Latin-1, one character per byte (NUL bytes included).
QString DecodeWire(QByteArrayView bytes);

// Text to send as bytes: Latin-1, characters outside it become '?'.
QByteArray EncodeWire(QStringView text);

// ---- Station to host ----------------------------------------------------------

inline constexpr qsizetype ConnectPositionLimit = 40;
inline constexpr qsizetype RegisterPlayerLimit = 50;
inline constexpr qsizetype LogCallLimit = 30;
inline constexpr qsizetype WaveFileStatusLimit = 50;

enum class LogMethod
{
    Computer,
    Paper
};

enum class WaveFileStatus
{
    FileOk,
    FileError,
    NameError
};

// Each message with fields ends with the end mark ';', beyond its limit.

// ";CONNECT_POSITION:" and the position's name ("Position 1" .. "Position 6").
QString ConnectPositionMessage(QStringView positionName);

// ";REGISTER_PLAYER:", the trimmed call sign, ",COMPUTERLOG" or ",PAPERLOG".
QString RegisterPlayerMessage(QStringView callSign, LogMethod method);

// ";LOG_CALL:" and the trimmed call, letter case kept.
QString LogCallMessage(QStringView call);

// ";WAVEFILE_STATUS:" and "FILE_OK", "FILE_ERROR" or "NAME_ERROR".
QString WaveFileStatusMessage(WaveFileStatus status);

QString RequestDisconnectMessage(); // ";REQUEST_DISCONNECT:"
QString ClientAliveMessage();       // ";CLIENT_ALIVE:"
QString FinalizeLogMessage();       // ";FINALIZE_LOG:"

// The answer to VALIDATE_WAVEFILE: the named file must equal the current wave
// file's name (letter case ignored), and the current file must exist.
//   same name, file exists -> FileOk;  same name, missing -> FileError;
//   other name             -> NameError.
WaveFileStatus WaveFileStatusFor(QStringView namedFile, QStringView currentName, bool currentFileExists);
QStringView WaveFileStatusText(WaveFileStatus status);

// ---- Host to station ----------------------------------------------------------

// The host's commands in the order their keywords are tested; the value of
// each is its place in that order. None: the message begins with no keyword.
enum class HostCommand
{
    None,
    StartTest,
    PauseTest,
    ResumeTest,
    HealthCheck,
    ResetTest,
    EnableFinalScore,
    ForceSubmit,
    PerformDisconnect,
    ScoreTest,
    PositionAccepted,
    PositionRejected,
    PlayerAccepted,
    PlayerRejected,
    StartDemo,
    StopDemo,
    SetWaveFile,
    ValidateWaveFile,
    PlayWelcome
};
inline constexpr int HostCommandCount = 18;

// The keyword with its colon ("START_TEST:"); empty for None.
QStringView HostKeyword(HostCommand command);

// Cuts one received block into its messages (see the wire format above).
QStringList SplitHostMessages(QStringView block);

// The command whose keyword and colon begin the message, exact case; None when
// there is none.
HostCommand MatchHostCommand(QStringView message);

enum class FieldSeparators
{
    ColonsAndCommas,
    ColonsOnly
};

// The separators of a command's fields: colons only for SET_WAVEFILE and
// VALIDATE_WAVEFILE, colons and commas for every other message.
FieldSeparators FieldSeparatorsFor(HostCommand command);

// Field `fieldNumber` of a message (1 is the keyword), at most `limit`
// characters; empty when the message has no such field. The first overload
// takes the separators of the message's own command.
QString ExtractField(QStringView message, int fieldNumber, qsizetype limit);
QString ExtractField(QStringView message, int fieldNumber, qsizetype limit, FieldSeparators separators);

// The commands whose fields a message cut by the network may lack: SCORE_TEST,
// START_DEMO, SET_WAVEFILE and VALIDATE_WAVEFILE.
bool TakesFields(HostCommand command);

// ---- Station to host, as the host reads it ---------------------------------------
//
// The host cuts the station's blocks by the same rules (SplitHostMessages and
// a MessageAssembler reading FromStation). The fields of a station's message
// are its text after the colon: LOG_CALL's call is all of it (a call typed
// with a colon or comma stays whole), REGISTER_PLAYER's call is all of it up
// to its last comma and the logging method what follows.

enum class StationMessage
{
    None,
    ConnectPosition,
    RegisterPlayer,
    LogCall,
    WaveFileStatus,
    RequestDisconnect,
    ClientAlive,
    FinalizeLog
};

// The station's message whose keyword and colon begin `message`; None else.
StationMessage MatchStationMessage(QStringView message);
// The keyword with its colon ("LOG_CALL:"); empty for None.
QStringView StationKeyword(StationMessage kind);
// Everything after the keyword's colon, at most `limit` characters.
QString StationMessageText(QStringView message, qsizetype limit);

struct Registration
{
    QString call;                           // trimmed of blanks
    LogMethod method = LogMethod::Computer; // PAPERLOG means paper; anything else computer
};
Registration ReadRegistration(QStringView message);

// A host command as sent: ";", the keyword and its colon, then the fields
// joined by commas, and the end mark after a command that takes fields
// (";SCORE_TEST:57,2;", ";START_TEST:").
QString HostMessage(HostCommand command, const QStringList &fields = {});

// Reads the stream of blocks from one link and gives back whole messages, in
// order, mending a message that the network cut at the end of a block (see
// Receiving above). Plain state, no timer: whoever drives it waits the moment
// while Waiting() and then calls Flush().
//
// The station reads the host's blocks (FromHost); the host reads a station's
// (FromStation), where CONNECT_POSITION, REGISTER_PLAYER, LOG_CALL and
// WAVEFILE_STATUS are the messages with fields that may wait for their rest.
class MessageAssembler
{
public:
    enum class Direction
    {
        FromHost,
        FromStation
    };
    explicit MessageAssembler(Direction direction = Direction::FromHost) : m_direction(direction) {}

    // The longest piece kept for the next block. The host's longest message
    // is a wave-file name of WaveFileNameLimit characters with its keyword.
    static constexpr qsizetype CarryLimit = 4096;

    // The next block read; returns the messages it completes, in order.
    QStringList Feed(QStringView block);
    // A message with fields ends the last block and waits for its rest.
    bool Waiting() const { return m_waiting; }
    // The moment is over: the waiting message as it stands (none when no
    // message waits; a piece without a colon stays carried).
    QStringList Flush();
    // The link is gone: forgets everything kept for the next block.
    void Clear();
    // The text kept for the next block: a carried piece or a waiting message.
    QStringView Unfinished() const { return m_tail; }

private:
    void Keep(QStringView tail, QStringList &messages);

    bool takesFields(QStringView message) const;

    Direction m_direction;
    QString m_tail;
    bool m_waiting = false;
    bool m_skipping = false; // the rest of an over-long piece, up to the next ';'
};

// SCORE_TEST: the player's final result.
inline constexpr qsizetype ScoreLimit = 4;
inline constexpr qsizetype RankLimit = 11;
struct ScoreResult
{
    bool paperLog = false; // "PAPER" somewhere in the message; score and rank empty
    QString score;         // field 2, at most ScoreLimit characters
    QString rank;          // field 3, at most RankLimit characters
};
ScoreResult ReadScoreResult(QStringView message);

// START_DEMO: seconds between the demonstration's automatic calls, safe to
// multiply by 1000 for a timer. A missing field, or one without digits, gives
// the default; a number is read from its leading digits and held within
// [DemoIntervalMinimum, DemoIntervalMaximum], so 0, a negative or a huge value
// can never make the demonstration flood the host with LOG_CALL messages.
inline constexpr int DemoIntervalDefault = 10;
inline constexpr int DemoIntervalMinimum = 1;
inline constexpr int DemoIntervalMaximum = 3600;
int DemoIntervalSeconds(QStringView message);
// A demonstration logs its first call only after the recording has played
// this long (the players see the test begin first).
inline constexpr qint64 DemoFirstCallDelayMs = 90 * 1000;

// POSITION_REJECTED:ALL_TAKEN - our host says so when every position is
// held by a station that is there.
inline constexpr QStringView AllPositionsTaken = u"ALL_TAKEN";

// START_TEST:milliseconds[,PAUSED] - a test already under way, joined late
// (a station back after a crash): the recording has played this long, and
// is paused now (a PAUSE_TEST follows for a station that ignores fields). Our host sends the
// field only then; a station that knows nothing of it starts from the top.
// None without a field of digits alone.
std::optional<qint64> PlayedMs(QStringView message);

// SET_WAVEFILE and VALIDATE_WAVEFILE: the file name (field 2, colons only),
// at most WaveFileNameLimit characters; empty when the host named none.
inline constexpr qsizetype WaveFileNameLimit = 260;
QString WaveFileName(QStringView message);

// ---- Messages decoded once ------------------------------------------------------
//
// Each end takes a received message apart once, into a value that its
// handlers read; no handler goes back to the text for a field.

// A host command and its fields, each read by its command's own rules
// (the functions above).
struct DecodedHostCommand
{
    HostCommand command = HostCommand::None;
    QString text;                          // the message, keyword included
    std::optional<qint64> playedMs;        // START_TEST: a late start
    bool latePaused = false;               // START_TEST: ...,PAUSED: the test is paused
    ScoreResult score;                     // SCORE_TEST
    int demoSeconds = DemoIntervalDefault; // START_DEMO
    QString waveFile;                      // SET_WAVEFILE, VALIDATE_WAVEFILE
    bool allPositionsTaken = false;        // POSITION_REJECTED:ALL_TAKEN
};
DecodedHostCommand DecodeHostCommand(QStringView message);

// A station's message as the host reads it.
struct DecodedStationMessage
{
    StationMessage kind = StationMessage::None;
    // After the keyword's colon, cut to the message's longest length:
    // CONNECT_POSITION's position, LOG_CALL's call, WAVEFILE_STATUS's status.
    QString text;
    Registration registration; // REGISTER_PLAYER
};
DecodedStationMessage DecodeStationMessage(QStringView message);

} // namespace HostProtocol
