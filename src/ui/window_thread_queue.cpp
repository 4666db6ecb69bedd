#include "window_thread_queue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cstdint>
#include <stdexcept>

namespace splitwick {

WindowThreadQueue::WindowThreadQueue() : wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (wakeFd_ < 0) throw std::runtime_error("Cannot make the window's event descriptor");
    notifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &WindowThreadQueue::runPosted);
}

WindowThreadQueue::~WindowThreadQueue() {
    delete notifier_;
    ::close(wakeFd_);
}

void WindowThreadQueue::post(std::function<void()> call) {
    {
        const std::lock_guard lock(mutex_);
        if (closed_) return;
        calls_.push_back(std::move(call));
    }
    const uint64_t one = 1;
    // Only a full counter fails, and that wakes the loop all the same.
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void WindowThreadQueue::postAndWait(std::function<void()> call) {
    bool done = false;
    post([this, &call, &done] {
        call();
        const std::lock_guard lock(mutex_);
        done = true;
        ran_.notify_all();
    });
    std::unique_lock lock(mutex_);
    ran_.wait(lock, [&] { return done || closed_; });
}

void WindowThreadQueue::close() {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    calls_.clear();
    ran_.notify_all();
}

// One call at a time from the front: a call that runs an event loop of its own (a question)
// lets those after it run there, still in order.
void WindowThreadQueue::runPosted() {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(wakeFd_, &count, sizeof count);
    for (;;) {
        std::function<void()> call;
        {
            const std::lock_guard lock(mutex_);
            if (calls_.empty()) return;
            call = std::move(calls_.front());
            calls_.pop_front();
        }
        call();
    }
}

} // namespace splitwick
