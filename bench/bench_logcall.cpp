// Call-logging latency: from the Enter key in box 2 to the LOG_CALL bytes
// handed to the socket, over 10,000 calls against a host on 127.0.0.1.
//
//   QT_QPA_PLATFORM=offscreen build/bin/bench_logcall [calls]
//
// The station is the real main window and connection window (offscreen);
// the host is a listening socket in the same process that reads everything.
// The time of one call is the whole handling of its key press: trimming,
// logging, showing it and writing the message, which the connection window
// flushes to the system at once.

#include "ui_TfmMain.h"

#include "BenchStation.h"
#include "ui_TfmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int calls = argc > 1 ? std::max(100, atoi(argv[1])) : 10000;

    BenchStation station(WavePlayer::Output::Silent);
    if (!station.start())
        return 2;
    QByteArray &received = station.received;
    QElapsedTimer wait;

    QLineEdit *box = station.main->ui()->ebCallEntry;
    box->setEnabled(true);
    std::vector<double> us;
    us.reserve(calls);
    QByteArray expected;
    for (int i = 0; i < calls; ++i) {
        const QString call = QStringLiteral("DL%1ABC").arg(i % 1000);
        box->setText(call);
        expected += ";LOG_CALL:" + call.toLatin1() + ";";
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QElapsedTimer t;
        t.start();
        QApplication::sendEvent(box, &press);
        us.push_back(t.nsecsElapsed() / 1000.0);
        if (i % 100 == 0)
            app.processEvents();
    }
    wait.restart();
    while (received.size() < expected.size() && wait.elapsed() < 10000)
        app.processEvents(QEventLoop::AllEvents, 10);
    if (received != expected) {
        std::fprintf(stderr, "the host received %lld of %lld bytes, or other bytes\n",
                     qlonglong(received.size()), qlonglong(expected.size()));
        return 2;
    }
    std::sort(us.begin(), us.end());
    auto pct = [&](double p) { return us[std::min<size_t>(us.size() - 1, size_t(p * us.size()))]; };
    std::printf("%d calls logged and received by the host\n", calls);
    std::printf("Enter -> LOG_CALL written: p50 %.1f us, p99 %.1f us, max %.1f us (target p99 <= 1000 us)\n",
                pct(0.50), pct(0.99), us.back());
    return pct(0.99) <= 1000 ? 0 : 1;
}
