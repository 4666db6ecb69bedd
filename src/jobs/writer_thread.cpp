#include "writer_thread.h"

#include <cstring>

#include "engine/pack_layout.h"
#include "engine/sizes.h"

namespace splitwick {

// A payload run or an LPCM header as the pass handed it, its bytes in the batch, or the mark of
// an event of the pass.
struct WriterThread::Item {
    enum class Is : uint8_t { Run, LpcmHeader, Mark };
    Is is;
    const Track* track;
    size_t offset, length;
    PacketKind kind;
    uint32_t pendingPts;
    int64_t pts, dts;
    bool continuesPacket;
};

struct WriterThread::Batch {
    // Room for a full batch, the run that fills it (at most a pack's) and the padding: grown
    // by doubling instead, every batch would hold twice that.
    Batch() { bytes.reserve(BatchBytes + PackSize + ReadPadding); }

    std::vector<uint8_t> bytes;
    std::vector<Item> items;

    size_t add(const uint8_t* data, size_t length) {
        const size_t offset = bytes.size();
        bytes.insert(bytes.end(), data, data + length);
        return offset;
    }
    void clear() {
        bytes.clear();
        items.clear();
    }
};

// The writer's events, kept in order until the caller's thread tells them, with the marks of
// the pass's events between them (empty events) where the writer passed them.
class WriterThread::HeldEvents : public JobEvents {
  public:
    using Event = OrderedEvents::Event;

    void logged(const std::string& line) override {
        hold([line](JobEvents& to) { to.logged(line); });
    }
    void phase(const std::string& word) override {
        hold([word](JobEvents& to) { to.phase(word); });
    }
    void progress(const Progress& progress) override {
        hold([progress](JobEvents& to) { to.progress(progress); });
    }
    void trackFound(const Track& track, const std::string& line) override {
        hold([&track, line](JobEvents& to) { to.trackFound(track, line); });
    }
    void outputCreated(const std::string& path) override {
        hold([path](JobEvents& to) { to.outputCreated(path); });
    }
    void warning(const std::string& line) override {
        hold([line](JobEvents& to) { to.warning(line); });
    }

    void mark() { hold(nullptr); }

    std::vector<Event> take() {
        std::vector<Event> taken;
        const std::lock_guard lock(mutex_);
        taken.swap(events_);
        return taken;
    }

  private:
    void hold(Event event) {
        const std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }

    std::mutex mutex_;
    std::vector<Event> events_;
};

void OrderedEvents::tell(Event event) {
    if (writer_ != nullptr)
        writer_->tell(std::move(event));
    else
        event(caller_);
}

void OrderedEvents::logged(const std::string& line) {
    tell([line](JobEvents& to) { to.logged(line); });
}

void OrderedEvents::phase(const std::string& word) {
    tell([word](JobEvents& to) { to.phase(word); });
}

void OrderedEvents::progress(const Progress& progress) {
    tell([progress](JobEvents& to) { to.progress(progress); });
}

void OrderedEvents::trackFound(const Track& track, const std::string& line) {
    tell([&track, line](JobEvents& to) { to.trackFound(track, line); });
}

void OrderedEvents::outputCreated(const std::string& path) {
    tell([path](JobEvents& to) { to.outputCreated(path); });
}

void OrderedEvents::warning(const std::string& line) {
    tell([line](JobEvents& to) { to.warning(line); });
}

void OrderedEvents::outputsPlaced(const std::string& line) {
    tell([line](JobEvents& to) { to.outputsPlaced(line); });
}

void OrderedEvents::passStarted(const SourceFile& source, bool writesOutput) {
    if (writer_ != nullptr) writer_->catchUp();
    caller_.passStarted(source, writesOutput);
}

void OrderedEvents::passEnded(StopReason reason) {
    // Told by the pass as it goes, also on a failure's way out.
    if (writer_ != nullptr) writer_->catchUp(false);
    caller_.passEnded(reason);
}

WriterThread::WriterThread(const MkvSetup& setup, const PassWriterMaker& make,
                           OrderedEvents& scanSide)
    : scanSide_(scanSide), held_(std::make_unique<HeldEvents>()),
      filling_(std::make_unique<Batch>()) {
    writer_ =
        make({setup.output, setup.title, setup.defaults, setup.flacLevel, setup.placesNs,
              setup.laterParts, setup.titleLengthNs, setup.clusterCrc, setup.openFiles, *held_});
    release();
    thread_ = std::thread([this] { run(); });
    scanSide_.writeBeside(this);
}

WriterThread::~WriterThread() {
    scanSide_.writeBeside(nullptr);
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

bool WriterThread::addTrack(const TrackPlan& plan) {
    bool added = false;
    direct([&] { added = writer_->addTrack(plan); });
    return added;
}

void WriterThread::partEnded() {
    direct([&] { writer_->partEnded(); });
}

void WriterThread::finish(const TitleChapters& chapters) {
    direct([&] { writer_->finish(chapters); });
}

void WriterThread::payload(PayloadRun& run) {
    const size_t offset = filling_->add(run.data, run.length);
    filling_->items.push_back({Item::Is::Run, run.track, offset, run.length, run.kind,
                               run.pendingPts, run.pts, run.dts, run.continuesPacket});
    if (filling_->bytes.size() >= BatchBytes) handOver();
}

void WriterThread::lpcmHeader(const Track& track, const LpcmHeader& header) {
    const size_t offset = filling_->add(header.data(), header.size());
    filling_->items.push_back({Item::Is::LpcmHeader, &track, offset, header.size(),
                               PacketKind::None, 0, NoTimestamp, NoTimestamp, false});
}

void WriterThread::scanEnded(StopReason reason) {
    // A stopped pass makes no file: the writer need not take what waits.
    if (reason == StopReason::Cancelled)
        dropWaiting();
    else
        catchUp();
}

void WriterThread::tell(OrderedEvents::Event event) {
    // On one thread the writer's failure would have ended the pass before this event.
    throwFailure(std::uncaught_exceptions() == 0);
    bool idle = false;
    {
        const std::lock_guard lock(mutex_);
        idle = failure_ || (queue_.empty() && !busy_);
    }
    if (idle && filling_->items.empty()) {
        release();
        event(scanSide_.caller());
        return;
    }
    scanEvents_.push_back(std::move(event));
    filling_->items.push_back(
        {Item::Is::Mark, nullptr, 0, 0, PacketKind::None, 0, NoTimestamp, NoTimestamp, false});
}

void WriterThread::handOver() {
    std::unique_ptr<Batch> next;
    {
        std::unique_lock lock(mutex_);
        // A batch larger than the queue goes alone.
        changed_.wait(lock, [&] {
            return failure_ || queue_.empty() ||
                   queuedBytes_ + filling_->bytes.size() <= QueueLimit;
        });
        if (failure_) {
            filling_->clear();
        } else {
            // The parsers may read past the last run, as past a pass's chunk.
            filling_->bytes.insert(filling_->bytes.end(), ReadPadding, 0);
            queuedBytes_ += filling_->bytes.size();
            queue_.push_back(std::move(filling_));
            if (!spare_.empty()) {
                next = std::move(spare_.back());
                spare_.pop_back();
            }
        }
    }
    changed_.notify_all();
    if (filling_ == nullptr) filling_ = next ? std::move(next) : std::make_unique<Batch>();
    release();
    throwFailure(true);
}

void WriterThread::catchUp(bool mayThrow) {
    if (!filling_->items.empty()) {
        try {
            handOver();
        } catch (...) {
            if (mayThrow) throw;
        }
    }
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return failure_ || (queue_.empty() && !busy_); });
    }
    release();
    throwFailure(mayThrow);
}

void WriterThread::throwFailure(bool mayThrow) {
    std::exception_ptr failure;
    {
        const std::lock_guard lock(mutex_);
        if (!failure_ || failureThrown_ || !mayThrow) return;
        failureThrown_ = true;
        failure = failure_;
    }
    std::rethrow_exception(failure);
}

void WriterThread::release() {
    for (const HeldEvents::Event& event : held_->take()) {
        if (event) {
            event(scanSide_.caller());
        } else if (!scanEvents_.empty()) {
            const OrderedEvents::Event marked = std::move(scanEvents_.front());
            scanEvents_.pop_front();
            marked(scanSide_.caller());
        }
    }
}

void WriterThread::dropWaiting() {
    {
        std::unique_lock lock(mutex_);
        for (auto& left : queue_) {
            queuedBytes_ -= left->bytes.size();
            left->clear();
            spare_.push_back(std::move(left));
        }
        queue_.clear();
        changed_.wait(lock, [&] { return !busy_; });
    }
    filling_->clear();
    release();
    // Behind marks the writer never reached: a pass stopped there would not have told them.
    scanEvents_.clear();
}

void WriterThread::direct(const std::function<void()>& call) {
    catchUp();
    try {
        call();
    } catch (...) {
        release();
        throw;
    }
    release();
}

void WriterThread::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || (!queue_.empty() && !failure_); });
        if (stopping_) return;
        std::unique_ptr<Batch> batch = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        lock.unlock();
        std::exception_ptr failure;
        try {
            runBatch(*batch);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        busy_ = false;
        queuedBytes_ -= batch->bytes.size();
        batch->clear();
        spare_.push_back(std::move(batch));
        if (failure) {
            // What waits is never written: the pass stops at its next batch or event.
            failure_ = failure;
            for (auto& left : queue_) {
                left->clear();
                spare_.push_back(std::move(left));
            }
            queue_.clear();
            queuedBytes_ = 0;
        }
        // The pass, held back by a full queue, goes on once half of it is written: it and the
        // writer change places far less often than once a batch.
        if (failure_ || queuedBytes_ <= QueueLimit / 2) changed_.notify_all();
    }
}

void WriterThread::runBatch(const Batch& batch) {
    for (const Item& item : batch.items) {
        const uint8_t* data = batch.bytes.data() + item.offset;
        if (item.is == Item::Is::Mark) {
            held_->mark();
        } else if (item.is == Item::Is::LpcmHeader) {
            LpcmHeader header;
            std::memcpy(header.data(), data, header.size());
            writer_->lpcmHeader(*item.track, header);
        } else {
            uint32_t pendingPts = item.pendingPts;
            PayloadRun run{item.kind,  data,     item.length, item.track,
                           pendingPts, item.pts, item.dts,    item.continuesPacket};
            writer_->payload(run);
        }
    }
}

PassWriterMaker writerBesidePass(const PassWriterMaker& make, OrderedEvents& scanSide) {
    return [make, &scanSide](const MkvSetup& setup) {
        return std::unique_ptr<PassWriter>(std::make_unique<WriterThread>(setup, make, scanSide));
    };
}

} // namespace splitwick
