#pragma once

#include <atomic>
#include <functional>
#include <stop_token>
#include <thread>

namespace quorvane {

// One worker at a time, stopped cooperatively.
class ScanWorker {
public:
    ~ScanWorker() { StopAndWait(); }
    void Start(std::function<void(std::stop_token)> work);
    bool Running() const { return running_.load(); }
    // Blocks until the worker ended by itself.
    void Wait();
    // Asks the worker to stop at its next safe point and waits for it.
    void StopAndWait();

private:
    std::jthread thread_;
    std::atomic<bool> running_{false};
};

} // namespace quorvane
