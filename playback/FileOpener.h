#pragma once

#include "core/ThreadWake.h"
#include "playback/clsZAPT_MMC.h"

#include <QObject>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

// Opens files (clsZAPT_MMC::Prepare) on a thread of its own, so that a slow disk, a network
// share or a sound font being loaded never holds the window for long. open() waits a short
// while for the result and then hands it to `done` at once, so an ordinary file starts without
// a trip through the event loop; a slower one is handed over later on the thread this object
// lives on, never after the object has been destroyed. One open runs at a time; of the opens
// waiting to run, only the newest of each kind is kept, as an older one has been overtaken.
class FileOpener : public QObject {
    Q_OBJECT
public:
    enum class Kind { Play, Join };
    using Done = std::function<void(clsZAPT_MMC::Prepared)>;

    explicit FileOpener(QObject* parent = nullptr);
    // Drops the opens waiting and waits a little for the one in progress; one stuck on a dead
    // network share is left to finish on its own, and its result is dropped.
    ~FileOpener() override;
    FileOpener(const FileOpener&) = delete;
    FileOpener& operator=(const FileOpener&) = delete;

    void open(Kind kind, const QString& path, Done done);
    // How long open() waits for a Play open before letting it finish later; Join opens never
    // wait, as nothing waits for them.
    void setWait(std::chrono::milliseconds wait) { wait_ = wait; }

private:
    // One open, shared by the caller while it waits and the thread that does it. `done` is
    // taken out and run or dropped on the owner's thread only: it may hold objects of that
    // thread, and the thread may hold the last reference to the slot.
    struct Slot {
        std::mutex mutex;
        std::condition_variable ready;
        std::optional<clsZAPT_MMC::Prepared> result;
        bool detached = false;  // the caller went on: the result goes through the event loop
        Done done;
    };
    struct Job {
        QString path;
        std::shared_ptr<Slot> slot;
    };
    // What the thread shares with this object; it outlives the object if the thread is stuck.
    struct Shared {
        std::mutex mutex;
        std::condition_variable wake;
        std::optional<Job> waiting[2];
        std::shared_ptr<Slot> running;  // the open the thread is doing
        // Opens done after their caller went on, for deliver() on the owner's thread.
        std::vector<std::pair<std::shared_ptr<Slot>, clsZAPT_MMC::Prepared>> done;
        bool quit = false;
        bool finished = false;
    };
    static void run(const std::shared_ptr<Shared>& shared, FileOpener* owner);
    void deliver();
    static Done takeCallback(Slot& slot);

    std::chrono::milliseconds wait_{50};
    std::shared_ptr<Shared> shared_;
    ThreadWake* wake_ = nullptr;  // a child: the thread stops before it goes
    std::thread thread_;
};
