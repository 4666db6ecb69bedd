#pragma once
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "pass_writer.h"

namespace splitwick {

class WriterThread;

// The job's events as the pass that reads and scans tells them, while a writer runs on a thread
// of its own: each goes into the writer's queue as a mark, and goes out when the writer has
// passed the mark, after the writer's own events before it. So the caller hears them all on its
// thread, in the order one thread would have told them, and the pass does not wait for them.
class OrderedEvents : public JobEvents {
  public:
    explicit OrderedEvents(JobEvents& caller) : caller_(caller) {}
    JobEvents& caller() const { return caller_; }
    // The writer whose queue the events go through; nullptr for none.
    void writeBeside(WriterThread* writer) { writer_ = writer; }

    void logged(const std::string& line) override;
    void phase(const std::string& word) override;
    void progress(const Progress& progress) override;
    void trackFound(const Track& track, const std::string& line) override;
    void outputCreated(const std::string& path) override;
    void warning(const std::string& line) override;
    void outputsPlaced(const std::string& line) override;
    // A pass's start and end wait for the writer to catch up: the caller may look at the
    // source meanwhile.
    void passStarted(const SourceFile& source, bool writesOutput) override;
    void passEnded(StopReason reason) override;
    bool stopRequested() const override { return caller_.stopRequested(); }

    using Event = std::function<void(JobEvents&)>;

  private:
    void tell(Event event);

    JobEvents& caller_;
    WriterThread* writer_ = nullptr;
};

// A pass writer run on a thread of its own, beside the pass that reads and scans: the payload
// runs (their bytes copied), LPCM headers and the pass's event marks go to it in batches
// through a queue of at most QueueLimit bytes, so that cutting frames and muxing them overlap
// reading the next chunks. What needs the writer's answer or its whole state (a track added, a
// part's end, the finish) waits until it has caught up and then runs on the caller's thread.
// The events of both sides go out on the caller's thread as each batch is handed over. A
// failure on the writer's thread stops it at once, and the caller's side throws it at its next
// batch or event; a stopped pass (Cancel) drops what the writer has not taken yet.
class WriterThread : public PassWriter {
  public:
    static constexpr size_t QueueLimit = 4 * 1024 * 1024;
    // A batch is handed over once it holds this much: the thread's wake-ups stay few, and the
    // writer waits little for the first batch after a catch-up.
    static constexpr size_t BatchBytes = 128 * 1024;
    // The most payload the pass hands on beyond what the writer has taken: the queue, the
    // batch the writer works on and the one being filled.
    static constexpr size_t ReadAhead = QueueLimit + 2 * BatchBytes;

    // Makes the writer as `make` does, its events held until the caller's thread tells them.
    WriterThread(const MkvSetup& setup, const PassWriterMaker& make, OrderedEvents& scanSide);
    ~WriterThread() override;
    WriterThread(const WriterThread&) = delete;
    WriterThread& operator=(const WriterThread&) = delete;

    bool addTrack(const TrackPlan& plan) override;
    void partEnded() override;
    void finish(const TitleChapters& chapters) override;
    std::vector<TrackPlan> tracks() const override { return writer_->tracks(); }
    std::vector<TrackPlan> leftOut() const override { return writer_->leftOut(); }

    void payload(PayloadRun& run) override;
    void lpcmHeader(const Track& track, const LpcmHeader& header) override;
    void scanEnded(StopReason reason) override;

    // An event of the pass's side: told at once when the writer has nothing waiting, else once
    // it has passed its mark.
    void tell(OrderedEvents::Event event);
    // Hands over the batch being filled, waits until the writer has taken all it was handed
    // and tells the events so far. Throws the writer's failure, once; with mayThrow false
    // (in a pass's end, which may be a failure's way out) it never throws.
    void catchUp(bool mayThrow = true);

  private:
    struct Item;
    struct Batch;
    class HeldEvents;

    void handOver();
    void run();
    void runBatch(const Batch& batch);
    // Tells the caller the events of both sides up to where the writer has come.
    void release();
    // Drops what waits in the queue and the pass's events behind it.
    void dropWaiting();
    // A call into the writer on the caller's thread, once it has caught up.
    void direct(const std::function<void()>& call);
    void throwFailure(bool mayThrow);

    OrderedEvents& scanSide_;
    std::unique_ptr<HeldEvents> held_;
    std::unique_ptr<PassWriter> writer_;
    std::unique_ptr<Batch> filling_;
    std::deque<OrderedEvents::Event> scanEvents_; // the pass's events, each behind its mark

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Batch>> queue_;  // handed over, not yet written
    std::vector<std::unique_ptr<Batch>> spare_; // written, to be filled again
    size_t queuedBytes_ = 0;
    bool busy_ = false;     // the thread is writing a batch it took
    bool stopping_ = false; // the thread is to end
    std::exception_ptr failure_;
    bool failureThrown_ = false;
    std::thread thread_;
};

// The maker of a demux's writer on a thread of its own beside its pass, which tells its events
// through scanSide.
PassWriterMaker writerBesidePass(const PassWriterMaker& make, OrderedEvents& scanSide);

} // namespace splitwick
