#include "engine/scan/ScanWorker.h"

namespace quorvane {

void ScanWorker::Start(std::function<void(std::stop_token)> work) {
    StopAndWait();
    running_ = true;
    thread_ = std::jthread([this, work = std::move(work)](std::stop_token stop) {
        work(stop);
        running_ = false;
    });
}

void ScanWorker::Wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void ScanWorker::StopAndWait() {
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
}

} // namespace quorvane
