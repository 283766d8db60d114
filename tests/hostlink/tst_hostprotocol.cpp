// Tests of the host message codec: outgoing messages and their lengths,
// splitting of received blocks, keyword matching, field extraction, the
// SCORE_TEST, START_DEMO and wave-file readings, and a randomized run of
// broken and merged blocks against a plain reference model.

#include "hostlink/HostProtocol.h"
#include "util/TextUtil.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace HostProtocol;

namespace {

QStringList ReferenceSplit(const QString &block)
{
    QStringList messages;
    if (!block.contains(u':'))
        return messages;
    for (const QString &piece : block.split(u';', Qt::SkipEmptyParts)) {
        if (piece.contains(u':'))
            messages.append(piece);
    }
    return messages;
}

HostCommand ReferenceMatch(const QString &message)
{
    for (int i = 1; i <= HostCommandCount; ++i) {
        if (message.startsWith(HostKeyword(static_cast<HostCommand>(i))))
            return static_cast<HostCommand>(i);
    }
    return HostCommand::None;
}

// Split and match, as the read event does with one block of bytes.
QList<HostCommand> Commands(const QByteArray &bytes)
{
    QList<HostCommand> commands;
    for (const QString &message : SplitHostMessages(DecodeWire(bytes)))
        commands.append(MatchHostCommand(message));
    return commands;
}

} // namespace

class TestHostProtocol : public QObject
{
    Q_OBJECT

private slots:
    void wireBytesAreLatin1();
    void outgoingMessages();
    void outgoingFieldsCannotBreakTheFraming();
    void waveFileStatusTable_data();
    void waveFileStatusTable();
    void splitting();
    void matching();
    void fields();
    void scoreResult();
    void demoInterval();
    void wholeBlocksOfBytes();
    void messagesCutByTheNetwork();
    void randomizedBlocks();
};

void TestHostProtocol::wireBytesAreLatin1()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = DecodeWire(all);
    QCOMPARE(text.size(), 256);
    for (int b = 0; b < 256; ++b)
        QCOMPARE(text.at(b).unicode(), char16_t(b));
    QCOMPARE(EncodeWire(text), all);

    QCOMPARE(EncodeWire(u";LOG_CALL:DL1ÄBC"), QByteArray(";LOG_CALL:DL1") + char(0xC4) + "BC");
    QCOMPARE(EncodeWire(u";LOG_CALL:Ω1ABC"), QByteArray(";LOG_CALL:?1ABC"));
    QCOMPARE(EncodeWire(LogCallMessage(u"dl1abc")), QByteArray(";LOG_CALL:dl1abc"));
}

void TestHostProtocol::outgoingMessages()
{
    QCOMPARE(ConnectPositionMessage(u"Position 3"), u";CONNECT_POSITION:Position 3");
    const QString longPosition = ConnectPositionMessage(QString(60, u'x'));
    QCOMPARE(longPosition.size(), ConnectPositionLimit);
    QCOMPARE(longPosition, QString(";CONNECT_POSITION:") + QString(40 - 18, u'x'));

    QCOMPARE(RegisterPlayerMessage(u"  DL1ABC \t", LogMethod::Computer),
             u";REGISTER_PLAYER:DL1ABC,COMPUTERLOG");
    QCOMPARE(RegisterPlayerMessage(u"dl1abc", LogMethod::Paper), u";REGISTER_PLAYER:dl1abc,PAPERLOG");
    // The longest identifier the entry box takes.
    const QString twenty = QStringLiteral("ABCDEFGHIJKLMNOPQRST");
    QCOMPARE(RegisterPlayerMessage(twenty, LogMethod::Computer).size(), 49);
    QCOMPARE(RegisterPlayerMessage(twenty, LogMethod::Paper).size(), 46);
    // Longer call signs give way to the logging method.
    const QString longCall(45, u'K');
    QCOMPARE(RegisterPlayerMessage(longCall, LogMethod::Computer),
             QString(";REGISTER_PLAYER:") + QString(21, u'K') + QString(",COMPUTERLOG"));
    QCOMPARE(RegisterPlayerMessage(longCall, LogMethod::Paper),
             QString(";REGISTER_PLAYER:") + QString(24, u'K') + QString(",PAPERLOG"));
    QCOMPARE(RegisterPlayerMessage(longCall, LogMethod::Paper).size(), RegisterPlayerLimit);

    QCOMPARE(LogCallMessage(u" \tdl1Abc \r\n"), u";LOG_CALL:dl1Abc");
    QCOMPARE(LogCallMessage(u"\x01W1AW\x7F"), u";LOG_CALL:W1AW");
    QCOMPARE(LogCallMessage(u"DL1 ABC"), u";LOG_CALL:DL1 ABC");
    QCOMPARE(LogCallMessage(u"   "), u";LOG_CALL:");
    const QString longLog = LogCallMessage(u"  ABCDEFGHIJKLMNOPQRSTUVWXY  ");
    QCOMPARE(longLog, u";LOG_CALL:ABCDEFGHIJKLMNOPQRST");
    QCOMPARE(longLog.size(), LogCallLimit);

    QCOMPARE(WaveFileStatusMessage(WaveFileStatus::FileOk), u";WAVEFILE_STATUS:FILE_OK");
    QCOMPARE(WaveFileStatusMessage(WaveFileStatus::FileError), u";WAVEFILE_STATUS:FILE_ERROR");
    QCOMPARE(WaveFileStatusMessage(WaveFileStatus::NameError), u";WAVEFILE_STATUS:NAME_ERROR");
    QVERIFY(WaveFileStatusMessage(WaveFileStatus::NameError).size() <= WaveFileStatusLimit);

    QCOMPARE(RequestDisconnectMessage(), u";REQUEST_DISCONNECT:");
    QCOMPARE(ClientAliveMessage(), u";CLIENT_ALIVE:");
    QCOMPARE(FinalizeLogMessage(), u";FINALIZE_LOG:");
}

void TestHostProtocol::outgoingFieldsCannotBreakTheFraming()
{
    // A ';' typed into a call would start a message of its own at the host.
    const QString call = LogCallMessage(u"AB;FINALIZE_LOG:");
    QCOMPARE(call, u";LOG_CALL:AB?FINALIZE_LOG:");
    QCOMPARE(SplitHostMessages(call), QStringList{call.mid(1)});

    QCOMPARE(RegisterPlayerMessage(u"X;Y,Z", LogMethod::Paper), u";REGISTER_PLAYER:X?Y?Z,PAPERLOG");
    QCOMPARE(ConnectPositionMessage(u"Position 1;LOG_CALL:"), u";CONNECT_POSITION:Position 1?LOG_CALL:");
    // A comma is harmless in a logged call, which has one field only.
    QCOMPARE(LogCallMessage(u"A,B"), u";LOG_CALL:A,B");
}

void TestHostProtocol::waveFileStatusTable_data()
{
    QTest::addColumn<QString>("named");
    QTest::addColumn<QString>("current");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QString>("status");

    const auto row = [](const char *name, const char *named, const char *current, bool exists,
                        const char *status) {
        QTest::newRow(name) << QString(named) << QString(current) << exists << QString(status);
    };
    row("same name, present", "Pileup1.wav", "Pileup1.wav", true, "FILE_OK");
    row("same name, missing", "Pileup1.wav", "Pileup1.wav", false, "FILE_ERROR");
    row("other name, present", "Pileup2.wav", "Pileup1.wav", true, "NAME_ERROR");
    row("other name, missing", "Pileup2.wav", "Pileup1.wav", false, "NAME_ERROR");
    row("case ignored, present", "PILEUP1.WAV", "pileup1.wav", true, "FILE_OK");
    row("case ignored, missing", "pileup1.WAV", "Pileup1.wav", false, "FILE_ERROR");
    row("no current name", "Pileup1.wav", "", true, "NAME_ERROR");
    row("name with comma", "Round 1, A.wav", "round 1, a.wav", true, "FILE_OK");
}

void TestHostProtocol::waveFileStatusTable()
{
    QFETCH(QString, named);
    QFETCH(QString, current);
    QFETCH(bool, exists);
    QFETCH(QString, status);

    const WaveFileStatus result = WaveFileStatusFor(named, current, exists);
    QCOMPARE(WaveFileStatusText(result), status);
    QCOMPARE(WaveFileStatusMessage(result), QString(";WAVEFILE_STATUS:") + status);
}

void TestHostProtocol::splitting()
{
    QCOMPARE(SplitHostMessages(u"HEALTH_CHECK:"), QStringList{"HEALTH_CHECK:"});
    QCOMPARE(SplitHostMessages(u";;START_TEST:;;"), QStringList{"START_TEST:"});
    QCOMPARE(SplitHostMessages(u";START_TEST;PAUSE_TEST;RESET_TEST"), QStringList());
    QCOMPARE(SplitHostMessages(u";START_TEST;PAUSE_TEST:"), QStringList{"PAUSE_TEST:"});
    QCOMPARE(SplitHostMessages(u";PAUSE_TEST:;RESUME_TEST:"), (QStringList{"PAUSE_TEST:", "RESUME_TEST:"}));
    QCOMPARE(SplitHostMessages(u"STOP_DEMO:;START_TEST:"), (QStringList{"STOP_DEMO:", "START_TEST:"}));
    QCOMPARE(SplitHostMessages(u"junk:;SCORE_TEST:57,3;"), (QStringList{"junk:", "SCORE_TEST:57,3"}));
    QCOMPARE(SplitHostMessages(u""), QStringList());
    QCOMPARE(SplitHostMessages(u";;;"), QStringList());
    QCOMPARE(SplitHostMessages(u":"), QStringList{":"});
    QCOMPARE(SplitHostMessages(u";HEALTH_CHECK:;HEALTH_CHECK:"),
             (QStringList{"HEALTH_CHECK:", "HEALTH_CHECK:"}));
    // Blanks and line ends belong to the piece they stand in.
    QCOMPARE(SplitHostMessages(u";START_TEST:\r\n"), QStringList{"START_TEST:\r\n"});
    QCOMPARE(SplitHostMessages(u" ;START_TEST:"), QStringList{"START_TEST:"});
}

void TestHostProtocol::matching()
{
    const QStringList keywords = {
        "START_TEST:",        "PAUSE_TEST:",        "RESUME_TEST:",       "HEALTH_CHECK:",
        "RESET_TEST:",        "ENABLE_FINALSCORE:", "FORCE_SUBMIT:",      "PERFORM_DISCONNECT:",
        "SCORE_TEST:",        "POSITION_ACCEPTED:", "POSITION_REJECTED:", "PLAYER_ACCEPTED:",
        "PLAYER_REJECTED:",   "START_DEMO:",        "STOP_DEMO:",         "SET_WAVEFILE:",
        "VALIDATE_WAVEFILE:", "PLAY_WELCOME:"};
    QCOMPARE(keywords.size(), HostCommandCount);
    for (int i = 0; i < keywords.size(); ++i) {
        const auto command = static_cast<HostCommand>(i + 1);
        QCOMPARE(HostKeyword(command), keywords[i]);
        QCOMPARE(MatchHostCommand(keywords[i]), command);
        QCOMPARE(MatchHostCommand(keywords[i] + QString("trailing,text:more")), command);
        QCOMPARE(MatchHostCommand(keywords[i].toLower()), HostCommand::None);
        QCOMPARE(MatchHostCommand(u'X' + keywords[i]), HostCommand::None);
        QCOMPARE(MatchHostCommand(u' ' + keywords[i]), HostCommand::None);
        QCOMPARE(MatchHostCommand(keywords[i].chopped(1)), HostCommand::None);
        QCOMPARE(MatchHostCommand(keywords[i].chopped(2) + u':'), HostCommand::None);
    }
    QCOMPARE(HostKeyword(HostCommand::None), QString());
    QCOMPARE(MatchHostCommand(u""), HostCommand::None);
    QCOMPARE(MatchHostCommand(u":"), HostCommand::None);
    QCOMPARE(MatchHostCommand(u"START_TESTS:"), HostCommand::None);
    QCOMPARE(MatchHostCommand(u"START_TEST,:"), HostCommand::None);
    QCOMPARE(MatchHostCommand(u"Start_Test:"), HostCommand::None);
    QCOMPARE(MatchHostCommand(u"START_TEST::"), HostCommand::StartTest);
    QCOMPARE(MatchHostCommand(u"HEALTH_CHECK:START_TEST:"), HostCommand::HealthCheck);
}

void TestHostProtocol::fields()
{
    const QString score = QStringLiteral("SCORE_TEST:57,3");
    QCOMPARE(ExtractField(score, 1, 50), u"SCORE_TEST");
    QCOMPARE(ExtractField(score, 2, 50), u"57");
    QCOMPARE(ExtractField(score, 3, 50), u"3");
    QCOMPARE(ExtractField(score, 4, 50), QString());
    QCOMPARE(ExtractField(score, 0, 50), QString());
    QCOMPARE(ExtractField(score, -1, 50), QString());
    QCOMPARE(ExtractField(score, 2, 1), u"5");
    QCOMPARE(ExtractField(score, 2, 0), QString());

    // Runs of separators count as one, colons and commas alike.
    QCOMPARE(ExtractField(u"SCORE_TEST:,:,57::,,3,", 2, 50), u"57");
    QCOMPARE(ExtractField(u"SCORE_TEST:,:,57::,,3,", 3, 50), u"3");
    QCOMPARE(ExtractField(u":::SCORE_TEST", 1, 50), u"SCORE_TEST");
    QCOMPARE(ExtractField(u"START_DEMO:", 2, 50), QString());
    QCOMPARE(ExtractField(u"START_DEMO: 5 ", 2, 50), u" 5 ");

    // The wave-file messages take colons only, so a name may hold commas.
    QCOMPARE(ExtractField(u"SET_WAVEFILE:Round 1, A.wav", 2, 260), u"Round 1, A.wav");
    QCOMPARE(ExtractField(u"VALIDATE_WAVEFILE:Round 1, A.wav", 2, 260), u"Round 1, A.wav");
    QCOMPARE(ExtractField(u"VALIDATE_WAVEFILE::a,b:c", 3, 260), u"c");
    QCOMPARE(ExtractField(u"SET_WAVEFILE:Round 1, A.wav", 2, 260, FieldSeparators::ColonsAndCommas),
             u"Round 1");
    QCOMPARE(ExtractField(u"START_DEMO:a,b", 2, 50, FieldSeparators::ColonsOnly), u"a,b");
    QCOMPARE(FieldSeparatorsFor(HostCommand::SetWaveFile), FieldSeparators::ColonsOnly);
    QCOMPARE(FieldSeparatorsFor(HostCommand::ValidateWaveFile), FieldSeparators::ColonsOnly);
    QCOMPARE(FieldSeparatorsFor(HostCommand::ScoreTest), FieldSeparators::ColonsAndCommas);
    QCOMPARE(FieldSeparatorsFor(HostCommand::None), FieldSeparators::ColonsAndCommas);
    QCOMPARE(ExtractField(u"set_wavefile:a,b", 2, 50), u"a");

    QCOMPARE(WaveFileName(u"SET_WAVEFILE:Pileup, 2023.wav"), u"Pileup, 2023.wav");
    QCOMPARE(WaveFileName(u"SET_WAVEFILE:"), QString());
    QCOMPARE(WaveFileName(u"SET_WAVEFILE:::"), QString());
    QCOMPARE(WaveFileName(QString("VALIDATE_WAVEFILE:") + QString(400, u'w')),
             QString(WaveFileNameLimit, u'w'));
}

void TestHostProtocol::scoreResult()
{
    ScoreResult r = ReadScoreResult(u"SCORE_TEST:57,3");
    QVERIFY(!r.paperLog);
    QCOMPARE(r.score, u"57");
    QCOMPARE(r.rank, u"3");

    r = ReadScoreResult(u"SCORE_TEST::7");
    QCOMPARE(r.score, u"7");
    QCOMPARE(r.rank, QString());

    r = ReadScoreResult(u"SCORE_TEST:12345,2");
    QCOMPARE(r.score, u"1234");
    QCOMPARE(r.rank, u"2");

    r = ReadScoreResult(u"SCORE_TEST:1,123456789012345");
    QCOMPARE(r.rank, u"12345678901");

    r = ReadScoreResult(u"SCORE_TEST:");
    QVERIFY(!r.paperLog);
    QCOMPARE(r.score, QString());
    QCOMPARE(r.rank, QString());

    for (const QString &paper :
         {QStringLiteral("SCORE_TEST:PAPER"), QStringLiteral("SCORE_TEST:57,3,PAPER"),
          QStringLiteral("SCORE_TEST:xPAPERx"), QStringLiteral("SCORE_TEST:12,PAPERLOG")}) {
        r = ReadScoreResult(paper);
        QVERIFY2(r.paperLog, qPrintable(paper));
        QCOMPARE(r.score, QString());
        QCOMPARE(r.rank, QString());
    }
    QVERIFY(!ReadScoreResult(u"SCORE_TEST:paper").paperLog);
    QCOMPARE(ReadScoreResult(u"SCORE_TEST:paper").score, u"pape");
}

void TestHostProtocol::demoInterval()
{
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:"), 10);
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:::,"), 10);
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:5"), 5);
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:,,5"), 5);
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO: 7"), 7);
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:12s"), 12);
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:5,99"), 5);
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:3600"), 3600);
    // No digits: no interval given.
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:fast"), 10);
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:-"), 10);
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:x5"), 10);
    // Numbers that would flood the host or overflow the timer.
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:0"), 1);
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:000"), 1);
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:-5"), 1);
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:-99999999999999"), 1);
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:3601"), 3600);
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:2147484"), 3600);
    QCOMPARE(DemoIntervalSeconds(u"START_DEMO:99999999999999999999"), 3600);
    // The timer interval in milliseconds stays within an int.
    QVERIFY(qint64(DemoIntervalMaximum) * 1000 <= std::numeric_limits<int>::max());
}

void TestHostProtocol::wholeBlocksOfBytes()
{
    QCOMPARE(Commands("HEALTH_CHECK:"), QList<HostCommand>{HostCommand::HealthCheck});
    QCOMPARE(Commands(";;START_TEST:;;"), QList<HostCommand>{HostCommand::StartTest});
    QCOMPARE(Commands(";START_TEST;PAUSE_TEST"), QList<HostCommand>());
    QCOMPARE(Commands(";START_TEST;PAUSE_TEST:"), QList<HostCommand>{HostCommand::PauseTest});
    QCOMPARE(Commands(";PAUSE_TEST:;RESUME_TEST:"),
             (QList<HostCommand>{HostCommand::PauseTest, HostCommand::ResumeTest}));
    QCOMPARE(Commands(";start_test:;XSTART_TEST:"),
             (QList<HostCommand>{HostCommand::None, HostCommand::None}));
    QCOMPARE(Commands(";START_TEST:now please"), QList<HostCommand>{HostCommand::StartTest});
    QCOMPARE(Commands(QByteArray(";START_TEST:\0;STOP_DEMO:", 24)),
             (QList<HostCommand>{HostCommand::StartTest, HostCommand::StopDemo}));
    QCOMPARE(Commands("\xff\xfe;SET_WAVEFILE:\xe9t\xe9.wav"), QList<HostCommand>{HostCommand::SetWaveFile});
    QCOMPARE(WaveFileName(SplitHostMessages(DecodeWire("\xff;SET_WAVEFILE:\xe9t\xe9.wav")).value(0)),
             u"\u00e9t\u00e9.wav");
    QCOMPARE(Commands(";SET_WAVEFILE:a.wav;VALIDATE_WAVEFILE:a.wav;START_DEMO:5;STOP_DEMO:;START_TEST:"),
             (QList<HostCommand>{HostCommand::SetWaveFile, HostCommand::ValidateWaveFile,
                                 HostCommand::StartDemo, HostCommand::StopDemo, HostCommand::StartTest}));
}

void TestHostProtocol::messagesCutByTheNetwork()
{
    // Cut after the colon: the first part is handled with the fields it holds,
    // the remainder has no colon and is ignored.
    const QStringList first = SplitHostMessages(DecodeWire(";SCORE_TEST:57"));
    QCOMPARE(first.size(), 1);
    QCOMPARE(MatchHostCommand(first[0]), HostCommand::ScoreTest);
    QCOMPARE(ReadScoreResult(first[0]).score, u"57");
    QCOMPARE(ReadScoreResult(first[0]).rank, QString());
    QCOMPARE(SplitHostMessages(DecodeWire(",3")), QStringList());

    const QStringList demo = SplitHostMessages(DecodeWire(";START_DEMO:"));
    QCOMPARE(MatchHostCommand(demo.value(0)), HostCommand::StartDemo);
    QCOMPARE(DemoIntervalSeconds(demo.value(0)), 10);
    QCOMPARE(SplitHostMessages(DecodeWire("5")), QStringList());

    // Cut before the colon: neither part is handled.
    QCOMPARE(Commands(";START_TE"), QList<HostCommand>());
    QCOMPARE(Commands("ST:"), QList<HostCommand>{HostCommand::None});
    QCOMPARE(Commands(";HEALTH_CHECK:;START_TE"), QList<HostCommand>{HostCommand::HealthCheck});
    QCOMPARE(Commands("ST:;PAUSE_TEST:"), (QList<HostCommand>{HostCommand::None, HostCommand::PauseTest}));
}

void TestHostProtocol::randomizedBlocks()
{
    // A fixed seed keeps failures reproducible; VORLIX_FUZZ_SEED tries others.
    const quint32 seed = qEnvironmentVariableIsSet("VORLIX_FUZZ_SEED")
                             ? quint32(qEnvironmentVariableIntValue("VORLIX_FUZZ_SEED"))
                             : 20240611u;
    QRandomGenerator rng(seed);
    const QByteArray seedText = "seed " + QByteArray::number(seed);

    const QStringList fieldTexts = {"57", "12345",       "3",  "PAPER", "Round 1, A.wav", "",   "-5", "abc",
                                    "0",  "99999999999", " 7", "paper", "\u00e9t\u00e9",  "x;y"};
    const QStringList separators = {":", ",", "::", ",,", ":,", ""};

    auto realMessage = [&]() {
        QString message;
        const int kind = rng.bounded(20);
        if (kind < HostCommandCount)
            message = HostKeyword(static_cast<HostCommand>(kind + 1)).toString();
        else
            message = kind == 18 ? QStringLiteral("start_test:") : QStringLiteral("SCORE_TEST");
        const int fieldCount = rng.bounded(4);
        for (int f = 0; f < fieldCount; ++f)
            message +=
                separators[rng.bounded(separators.size())] + fieldTexts[rng.bounded(fieldTexts.size())];
        return message;
    };
    auto randomText = [&](int length) {
        static const char16_t biased[] = u";:,;:PAPER_ST0123456789 \r\n";
        QString text;
        for (int i = 0; i < length; ++i) {
            if (rng.bounded(2))
                text += QChar(biased[rng.bounded(int(std::size(biased)) - 1)]);
            else
                text += QChar(char16_t(rng.bounded(256)));
        }
        return text;
    };
    auto mutate = [&](QString block) {
        const int steps = rng.bounded(4);
        for (int s = 0; s < steps && !block.isEmpty(); ++s) {
            const int at = rng.bounded(int(block.size()));
            switch (rng.bounded(6)) {
            case 0: // the network cut it: keep the front
                block.truncate(at);
                break;
            case 1: // ...or keep the rest
                block.remove(0, at);
                break;
            case 2: // duplicated piece
                block.insert(at, block.mid(at, rng.bounded(20)));
                break;
            case 3: // a stray separator
                block.insert(at, QChar(u";:,"[rng.bounded(3)]));
                break;
            case 4: // a lost character
                block.remove(at, 1);
                break;
            default: // a changed letter case
                block[at] = block[at].isUpper() ? block[at].toLower() : block[at].toUpper();
                break;
            }
        }
        return block;
    };
    auto realBlock = [&](int messageCount) {
        QString block;
        for (int m = 0; m < messageCount; ++m) {
            if (m > 0 || rng.bounded(4))
                block += QString(rng.bounded(1, 3), u';');
            block += realMessage();
        }
        return block;
    };

    qint64 messageTotal = 0;
    auto check = [&](const QString &block) {
        const QStringList messages = SplitHostMessages(block);
        if (messages != ReferenceSplit(block))
            return false;
        for (const QString &message : messages) {
            ++messageTotal;
            if (message.isEmpty() || !message.contains(u':') || message.contains(u';'))
                return false;
            const HostCommand command = MatchHostCommand(message);
            if (command != ReferenceMatch(message))
                return false;
            const QStringList byBoth = SplitFields(message, u":,");
            const QStringList byColons = SplitFields(message, u":");
            const QStringList &own =
                FieldSeparatorsFor(command) == FieldSeparators::ColonsOnly ? byColons : byBoth;
            for (int field = 0; field <= 4; ++field) {
                const qsizetype limit = rng.bounded(31);
                const QString expectBoth = field > 0 ? byBoth.value(field - 1).left(limit) : QString();
                const QString expectColons = field > 0 ? byColons.value(field - 1).left(limit) : QString();
                const QString expectOwn = field > 0 ? own.value(field - 1).left(limit) : QString();
                if (ExtractField(message, field, limit, FieldSeparators::ColonsAndCommas) != expectBoth ||
                    ExtractField(message, field, limit, FieldSeparators::ColonsOnly) != expectColons ||
                    ExtractField(message, field, limit) != expectOwn)
                    return false;
            }
            if (command != HostCommand::None &&
                ExtractField(message, 1, 100) != HostKeyword(command).chopped(1))
                return false;
            const ScoreResult score = ReadScoreResult(message);
            if (score.score.size() > ScoreLimit || score.rank.size() > RankLimit ||
                score.paperLog != message.contains(u"PAPER"))
                return false;
            const int interval = DemoIntervalSeconds(message);
            if (interval < DemoIntervalMinimum || interval > DemoIntervalMaximum)
                return false;
            const QString name = WaveFileName(message);
            if (name.size() > WaveFileNameLimit || name.contains(u':'))
                return false;
        }
        return true;
    };

    try {
        for (int i = 0; i < 100000; ++i) {
            QString block;
            switch (rng.bounded(4)) {
            case 0:
                block = DecodeWire(randomText(rng.bounded(64)).toLatin1());
                break;
            case 1:
                block = realBlock(rng.bounded(1, 6));
                break;
            default:
                block = mutate(realBlock(rng.bounded(1, 6)));
                break;
            }
            QVERIFY2(check(block), qPrintable(seedText + " block " + block.toUtf8().toPercentEncoding()));
        }

        // Once a megabyte of real traffic, and once a megabyte of noise.
        QString big;
        while (big.size() < 1024 * 1024)
            big += realBlock(8);
        QVERIFY2(check(big), seedText.constData());
        QVERIFY2(check(randomText(1024 * 1024)), seedText.constData());
        // A megabyte without any semicolon is a single message.
        const QString single = QString("SCORE_TEST:") + QString(1024 * 1024, u'9');
        QCOMPARE(SplitHostMessages(single).size(), 1);
        QCOMPARE(ReadScoreResult(single).score, u"9999");
    } catch (...) {
        QFAIL(qPrintable("an exception escaped, " + seedText));
    }
    QVERIFY(messageTotal > 100000);
}

QTEST_APPLESS_MAIN(TestHostProtocol)
#include "tst_hostprotocol.moc"
