// Throughput of the host message codec on realistic traffic: blocks of bytes
// as a host sends them (mostly single messages, some merged, some with
// fields, one cut in two), decoded and read into messages as the station
// reads them (MessageAssembler), and matched to their commands; then the same
// with every field the station reads taken as well.
// Target: at least one million messages a second on one core.

#include "hostlink/HostProtocol.h"

#include <QByteArray>
#include <QList>

#include <chrono>
#include <cstdio>

using namespace HostProtocol;

namespace {

QList<QByteArray> RealisticBlocks()
{
    // One test cycle of a host, as blocks of one read each.
    const QList<QByteArray> cycle = {
        ";POSITION_ACCEPTED:",
        ";HEALTH_CHECK:",
        ";PLAYER_ACCEPTED:",
        ";SET_WAVEFILE:Pileup 2023, round 1.wav;VALIDATE_WAVEFILE:Pileup 2023, round 1.wav",
        ";HEALTH_CHECK:",
        ";PLAY_WELCOME:",
        ";START_DEMO:5",
        ";HEALTH_CHECK:",
        ";STOP_DEMO:",
        ";RESET_TEST:;SET_WAVEFILE:Pileup1.wav;VALIDATE_WAVEFILE:Pileup1.wav",
        ";START_TEST:",
        ";HEALTH_CHECK:",
        ";PAUSE_TEST:",
        ";RESUME_TEST:",
        ";HEALTH_CHECK:",
        ";HEALTH_CHECK:;HEALTH_CHECK:",
        ";FORCE_SUBMIT:",
        ";ENABLE_FINALSCORE:",
        ";SCORE_TEST:57,3",
        ";SCORE_TEST:PAPER",
        ";HEALTH_CHECK:;ENABLE_FINALSCORE:;SCORE_TEST:112,12",
        ";POSITION_REJECTED:;PLAYER_REJECTED:",
        "HEALTH_CHECK:",
        ";UNKNOWN_COMMAND:1,2",
        ";START_TE",
        "ST:;PERFORM_DISCONNECT:",
    };
    QList<QByteArray> blocks;
    for (int i = 0; i < 40; ++i)
        blocks += cycle;
    return blocks;
}

int MessagesIn(const QList<QByteArray> &blocks)
{
    MessageAssembler reader;
    int count = 0;
    for (const QByteArray &block : blocks)
        count += int(reader.Feed(DecodeWire(block)).size());
    return count + int(reader.Flush().size());
}

// Runs `pass` over the blocks until at least a second has gone by; returns
// messages a second.
template <typename Pass> double Measure(const QList<QByteArray> &blocks, Pass pass, quint64 &sink)
{
    using Clock = std::chrono::steady_clock;
    const int perRound = MessagesIn(blocks);
    qint64 messages = 0;
    const auto start = Clock::now();
    auto elapsed = Clock::duration::zero();
    do {
        for (const QByteArray &block : blocks)
            sink += pass(block);
        messages += perRound;
        elapsed = Clock::now() - start;
    } while (elapsed < std::chrono::seconds(1));
    return double(messages) / std::chrono::duration<double>(elapsed).count();
}

} // namespace

int main()
{
    const QList<QByteArray> blocks = RealisticBlocks();
    quint64 sink = 0;

    MessageAssembler reader; // the last block of the cycle leaves nothing waiting
    const double splitMatch = Measure(
        blocks,
        [&](const QByteArray &bytes) {
            quint64 sum = 0;
            for (const QString &message : reader.Feed(DecodeWire(bytes)))
                sum += quint64(MatchHostCommand(message));
            return sum;
        },
        sink);

    const double withFields = Measure(
        blocks,
        [&](const QByteArray &bytes) {
            quint64 sum = 0;
            for (const QString &message : reader.Feed(DecodeWire(bytes))) {
                const HostCommand command = MatchHostCommand(message);
                sum += quint64(command);
                switch (command) {
                case HostCommand::ScoreTest: {
                    const ScoreResult result = ReadScoreResult(message);
                    sum += quint64(result.score.size() + result.rank.size());
                    break;
                }
                case HostCommand::StartDemo:
                    sum += quint64(DemoIntervalSeconds(message));
                    break;
                case HostCommand::SetWaveFile:
                case HostCommand::ValidateWaveFile:
                    sum += quint64(WaveFileName(message).size());
                    break;
                default:
                    break;
                }
            }
            return sum;
        },
        sink);

    std::printf("host blocks: %lld, messages per round: %d\n", static_cast<long long>(blocks.size()),
                MessagesIn(blocks));
    std::printf("decode + read + match:          %12.0f messages/s\n", splitMatch);
    std::printf("decode + read + match + fields: %12.0f messages/s\n", withFields);
    std::printf("target:                         %12.0f messages/s\n", 1e6);
    std::printf("(checksum %llu)\n", static_cast<unsigned long long>(sink));
    return splitMatch >= 1e6 ? 0 : 1;
}
