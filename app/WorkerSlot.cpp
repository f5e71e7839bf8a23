#include "app/WorkerSlot.h"

#include <QEventLoop>
#include <QMetaObject>

namespace quorvane::app {

WorkerSlot::WorkerSlot(QObject* parent) : QObject(parent) {}

WorkerSlot::~WorkerSlot() {
    // The window goes away only after its worker: a thread left running would
    // write into records that are being destroyed.
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
}

bool WorkerSlot::Start(WorkerKind kind, Work work) {
    if (IsRunning() || kind == WorkerKind::None) {
        return false;
    }
    running_ = kind;
    // The slot outlives the thread (its destructor joins it), so the thread
    // may name it to the end.
    thread_ = std::jthread([this, work = std::move(work)](std::stop_token stop) {
        work(stop);
        // The last act of the worker: hand its end to the window's thread.
        QMetaObject::invokeMethod(this, &WorkerSlot::Reap, Qt::QueuedConnection);
    });
    return true;
}

void WorkerSlot::Reap() {
    if (!IsRunning()) {
        return;
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    const WorkerKind kind = running_;
    running_ = WorkerKind::None;
    emit Finished(kind);
}

void WorkerSlot::StopAndWait() {
    if (!IsRunning()) {
        return;
    }
    thread_.request_stop();
    QEventLoop loop;
    connect(this, &WorkerSlot::Finished, &loop, &QEventLoop::quit);
    while (IsRunning()) {
        loop.exec();
    }
}

} // namespace quorvane::app
