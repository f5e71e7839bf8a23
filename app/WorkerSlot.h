#pragma once

#include "app/EndOfRun.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <stop_token>
#include <thread>

namespace quorvane::app {

// The one worker thread that may run beside the window. Stopping is a
// request: the work checks its stop token between two reads or two rows and
// returns with what it wrote left in place; nothing is ever killed halfway.
class WorkerSlot : public QObject {
    Q_OBJECT
public:
    using Work = std::function<void(std::stop_token)>;

    explicit WorkerSlot(QObject* parent = nullptr);
    ~WorkerSlot() override;

    // Starts `work` on its own thread; false when a worker runs already.
    bool Start(WorkerKind kind, Work work);
    WorkerKind Running() const { return running_; }
    bool IsRunning() const { return running_ != WorkerKind::None; }
    // Asks the worker to stop and waits until it has, while the window's
    // events go on (the worker may be waiting for an answer from the window).
    void StopAndWait();

signals:
    // On the window's thread, after the worker's thread has ended.
    void Finished(quorvane::app::WorkerKind kind);

private:
    void Reap();

    WorkerKind running_ = WorkerKind::None;
    std::jthread thread_;
};

} // namespace quorvane::app
