#pragma once
// Makes a practice case on a thread of its own, so the window stays live:
// it reports the work done and its end on the thread that started it, and
// can be cancelled at any time (the case is then not made, and nothing of it
// stays on the disk).

#include "pileup-synth/PracticeCase.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>

class CaseJob : public QObject
{
    Q_OBJECT

public:
    explicit CaseJob(QObject *parent = nullptr);
    // Cancels a job still running and waits for it to stop.
    ~CaseJob() override;

    // False while another job runs.
    bool start(const QString &baseFolder, const PracticeCaseRequest &request);
    void cancel() { m_cancel = true; }
    bool running() const { return m_thread != nullptr; }

signals:
    void progress(int percent);
    // `error` is empty when the case was made; otherwise what failed, or
    // that it was cancelled.
    void finished(const PracticeCaseResult &result, const QString &error, bool cancelled);

private:
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_cancel{false};
};
