#pragma once
// Work on a season off the GUI thread: the window stays responsive, sees progress every 50 ms
// and can cancel between two documents.

#include <QElapsedTimer>
#include <QObject>
#include <atomic>
#include <functional>

class QThread;

class SeasonTask : public QObject
{
    Q_OBJECT
public:
    explicit SeasonTask(QObject *parent = nullptr) : QObject(parent) {}
    // Waits for the work to stop (cancelled first).
    ~SeasonTask() override;

    // Runs work on a thread of its own; one task at a time.
    void start(std::function<void(SeasonTask &)> work);
    bool running() const { return m_thread != nullptr; }
    void cancel() { m_cancelled = true; }

    // For the work: whether to stop, and how far it is (reported at most every 50 ms).
    bool cancelled() const { return m_cancelled; }
    void report(int done, int total);

Q_SIGNALS:
    void progress(int done, int total);
    // Back on the GUI thread, whether the work ran to its end or was cancelled.
    void finished(bool cancelled);

private:
    QThread *m_thread = nullptr;
    std::atomic<bool> m_cancelled{false};
    QElapsedTimer m_sinceReport; // used by the work's thread only
};
