#include "ui/desktop/seasontask.h"

#include <QThread>

SeasonTask::~SeasonTask()
{
    if (!m_thread)
        return;
    m_cancelled = true;
    m_thread->wait();
    delete m_thread;
}

void SeasonTask::start(std::function<void(SeasonTask &)> work)
{
    if (m_thread)
        return;
    m_cancelled = false;
    m_sinceReport.invalidate();
    m_thread = QThread::create([this, work = std::move(work)] { work(*this); });
    connect(m_thread, &QThread::finished, this, [this] {
        m_thread->deleteLater();
        m_thread = nullptr;
        Q_EMIT finished(m_cancelled);
    });
    m_thread->start();
}

void SeasonTask::report(int done, int total)
{
    if (m_sinceReport.isValid() && m_sinceReport.elapsed() < 50 && done < total)
        return;
    m_sinceReport.start();
    Q_EMIT progress(done, total);
}
