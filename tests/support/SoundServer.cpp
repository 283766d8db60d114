#include "SoundServer.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

namespace {

QProcessEnvironment ServerEnvironment(const QString &folder)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", folder);
    env.insert("XDG_RUNTIME_DIR", folder);
    env.insert("XDG_CONFIG_HOME", folder + "/config");
    env.remove("PULSE_SERVER");
    env.remove("PULSE_SINK");
    return env;
}

} // namespace

SoundServer::SoundServer(const QStringList &sinks)
{
    if (QStandardPaths::findExecutable("pulseaudio").isEmpty() ||
        QStandardPaths::findExecutable("pactl").isEmpty()) {
        m_error = QStringLiteral("pulseaudio and pactl are not installed");
        return;
    }
    QFile::setPermissions(m_dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QStringList arguments = {"-n",
                             "--daemonize=no",
                             "--use-pid-file=no",
                             "--exit-idle-time=-1",
                             "--log-level=error",
                             "--load=module-native-protocol-unix socket=" + m_dir.path() + "/native"};
    for (const QString &sink : sinks)
        arguments
            << QStringLiteral(
                   "--load=module-null-sink sink_name=%1 sink_properties='device.description=\"%1 device\"'")
                   .arg(sink);
    m_server.setProcessEnvironment(ServerEnvironment(m_dir.path()));
    m_server.setProcessChannelMode(QProcess::ForwardedChannels);
    m_server.start("pulseaudio", arguments);
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && m_server.state() != QProcess::NotRunning) {
        if (!pactl({"info"}).isNull())
            return;
        QThread::msleep(20);
    }
    m_error = QStringLiteral("the sound server did not start");
}

SoundServer::~SoundServer()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    m_server.terminate();
    if (!m_server.waitForFinished(3000)) {
        m_server.kill();
        m_server.waitForFinished(1000);
    }
}

QString SoundServer::address() const
{
    return "unix:" + m_dir.path() + "/native";
}

QString SoundServer::pactl(const QStringList &arguments) const
{
    QProcess process;
    process.setProcessEnvironment(ServerEnvironment(m_dir.path()));
    process.start("pactl", QStringList{"--server=" + address()} + arguments);
    if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return QString();
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    return output.isNull() ? QStringLiteral("") : output;
}

QStringList SoundServer::sinksOfStreams() const
{
    // "index  sink  client  driver  format", the sink by its number.
    QMap<QString, QString> names;
    for (const QString &line : pactl({"list", "short", "sinks"}).split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split('\t');
        if (fields.size() > 1)
            names.insert(fields[0], fields[1]);
    }
    QStringList result;
    for (const QString &line : pactl({"list", "short", "sink-inputs"}).split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split('\t');
        if (fields.size() > 1)
            result << names.value(fields[1], fields[1]);
    }
    result.removeDuplicates();
    return result;
}

bool SoundServer::waitForShortLatency(int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    static const QRegularExpression latency(QStringLiteral("\\tLatency: (\\d+) usec"));
    while (!deadline.hasExpired()) {
        bool allShort = true;
        auto match = latency.globalMatch(pactl({"list", "sinks"}));
        while (match.hasNext())
            if (match.next().captured(1).toLongLong() >= 50000)
                allShort = false;
        if (allShort)
            return true;
        QThread::msleep(50);
    }
    return false;
}

void SoundServer::startRecorder(QProcess &recorder, const QString &sink, int rate, int latencyMs) const
{
    recorder.setProcessEnvironment(ServerEnvironment(m_dir.path()));
    recorder.start("parec", {"--server=" + address(), "--device=" + sink + ".monitor", "--raw",
                             "--format=s16le", "--channels=1", "--rate=" + QString::number(rate),
                             "--latency-msec=" + QString::number(latencyMs)});
}
