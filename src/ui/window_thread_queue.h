#pragma once
#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class QSocketNotifier;

namespace splitwick {

// Calls from a job's thread, run on the window's thread in the order they came. They pass
// through a queue behind a std::mutex, and an eventfd wakes the window's event loop: the job's
// thread runs no Qt code, and what it hands over is ordered where ThreadSanitizer sees it (Qt's
// own event queue is not built for it).
class WindowThreadQueue : public QObject {
  public:
    WindowThreadQueue();
    ~WindowThreadQueue() override;

    // From any thread: the call runs on the window's thread after those posted before it.
    void post(std::function<void()> call);
    // From the job's thread: as post, and returns once the call has run (or the queue closed).
    void postAndWait(std::function<void()> call);
    // The window goes: calls not run yet are dropped, and none is taken any more.
    void close();

  private:
    void runPosted();

    int wakeFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    std::mutex mutex_;
    std::condition_variable ran_;
    std::deque<std::function<void()>> calls_;
    bool closed_ = false;
};

} // namespace splitwick
