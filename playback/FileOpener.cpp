#include "FileOpener.h"

FileOpener::FileOpener(QObject* parent)
    : QObject(parent), shared_(std::make_shared<Shared>()), wake_(new ThreadWake(this)),
      thread_([shared = shared_, this] { run(shared, this); }) {
    connect(wake_, &ThreadWake::woken, this, &FileOpener::deliver);
}

FileOpener::~FileOpener() {
    std::unique_lock lock(shared_->mutex);
    shared_->quit = true;
    // Callbacks belong to this thread: drop them here, not wherever the last slot goes.
    for (auto& job : shared_->waiting)
        job.reset();
    for (auto& handed : shared_->done)
        takeCallback(*handed.first);
    shared_->done.clear();
    if (shared_->running)
        takeCallback(*shared_->running);
    shared_->wake.notify_all();
    const bool finished =
        shared_->wake.wait_for(lock, std::chrono::seconds(2), [this] { return shared_->finished; });
    lock.unlock();
    if (finished)
        thread_.join();
    else
        thread_.detach();
}

void FileOpener::open(Kind kind, const QString& path, Done done) {
    auto slot = std::make_shared<Slot>();
    slot->done = std::move(done);
    slot->detached = kind == Kind::Join;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->waiting[int(kind)] = Job{path, slot};
    }
    shared_->wake.notify_all();
    if (kind == Kind::Join)
        return;
    std::unique_lock lock(slot->mutex);
    if (wait_.count() > 0)
        slot->ready.wait_for(lock, wait_, [&] { return slot->result.has_value(); });
    if (!slot->result) {
        slot->detached = true;
        return;
    }
    clsZAPT_MMC::Prepared prepared = std::move(*slot->result);
    Done callback = std::move(slot->done);
    lock.unlock();
    callback(std::move(prepared));
}

void FileOpener::run(const std::shared_ptr<Shared>& shared, FileOpener* owner) {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(shared->mutex);
            shared->wake.wait(
                lock, [&] { return shared->quit || shared->waiting[0] || shared->waiting[1]; });
            if (shared->quit)
                break;
            // A song to play goes before the one to join behind the playing song.
            auto& next = shared->waiting[0] ? shared->waiting[0] : shared->waiting[1];
            job = std::move(*next);
            next.reset();
            shared->running = job.slot;
        }
        clsZAPT_MMC::Prepared prepared = clsZAPT_MMC::Prepare(job.path);
        {
            std::lock_guard lock(job.slot->mutex);
            if (!job.slot->detached) {
                job.slot->result = std::move(prepared);
                job.slot->ready.notify_one();
                continue;
            }
        }
        // Handed over under the lock the destructor takes to set `quit`, so the owner is
        // never woken once it is going.
        std::lock_guard lock(shared->mutex);
        shared->running.reset();
        if (shared->quit)
            break;
        shared->done.emplace_back(job.slot, std::move(prepared));
        owner->wake_->wake();
    }
    std::lock_guard lock(shared->mutex);
    shared->finished = true;
    shared->wake.notify_all();
}

void FileOpener::deliver() {
    decltype(shared_->done) done;
    {
        std::lock_guard lock(shared_->mutex);
        done.swap(shared_->done);
    }
    for (auto& [slot, prepared] : done)
        if (Done callback = takeCallback(*slot))
            callback(std::move(prepared));
}

FileOpener::Done FileOpener::takeCallback(Slot& slot) {
    std::lock_guard lock(slot.mutex);
    return std::exchange(slot.done, nullptr);
}
