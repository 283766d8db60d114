#include "CaseJob.h"

#include <QMetaObject>

CaseJob::CaseJob(QObject *parent) : QObject(parent) {}

CaseJob::~CaseJob()
{
    m_cancel = true;
    if (m_thread)
        m_thread->wait();
}

bool CaseJob::start(const QString &baseFolder, const PracticeCaseRequest &request)
{
    if (m_thread)
        return false;
    m_cancel = false;
    m_thread.reset(QThread::create([this, baseFolder, request] {
        PracticeCaseResult result;
        QString error;
        bool cancelled = false;
        try {
            result = PracticeCase::make(baseFolder, request, [this](int percent) {
                QMetaObject::invokeMethod(
                    this, [this, percent] { emit progress(percent); }, Qt::QueuedConnection);
                return !m_cancel;
            });
        } catch (const CaseCancelled &e) {
            error = e.text();
            cancelled = true;
        } catch (const SynthError &e) {
            error = e.text();
        } catch (const std::exception &e) {
            error = QString::fromLocal8Bit(e.what());
        }
        QMetaObject::invokeMethod(
            this,
            [this, result, error, cancelled] {
                m_thread->wait();
                m_thread.reset();
                emit finished(result, error, cancelled);
            },
            Qt::QueuedConnection);
    }));
    m_thread->start();
    return true;
}
