#include "playback/FileOpener.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

// Notes the thread that destroys it: a callback must die on the thread that gave it, as it
// may hold that thread's objects (a guarded pointer to the player, say).
struct DropWitness {
    std::thread::id* droppedOn;
    ~DropWitness() { *droppedOn = std::this_thread::get_id(); }
};

enum class Ending { AnsweredAtOnce, ThroughEventLoop, OpenerDestroyed };

struct OpenCase {
    const char* name;
    FileOpener::Kind kind;
    std::chrono::milliseconds wait;
    Ending ending;
};

}  // namespace

TEST(FileOpener, CallbacksRunAndDieOnTheCallersThread) {
    const OpenCase cases[] = {
        {"play answered while waiting", FileOpener::Kind::Play, std::chrono::seconds(5),
         Ending::AnsweredAtOnce},
        {"play handed over later", FileOpener::Kind::Play, std::chrono::milliseconds(0),
         Ending::ThroughEventLoop},
        {"join", FileOpener::Kind::Join, std::chrono::seconds(5), Ending::ThroughEventLoop},
        {"opener destroyed first", FileOpener::Kind::Play, std::chrono::milliseconds(0),
         Ending::OpenerDestroyed},
    };
    const auto self = std::this_thread::get_id();
    for (const auto& c : cases) {
        // The thread that opens may or may not hold the last reference; repeat to meet both.
        for (int round = 0; round < 20; ++round) {
            SCOPED_TRACE(testing::Message() << c.name << ", round " << round);
            std::thread::id droppedOn;
            int answers = 0;
            {
                auto opener = std::make_unique<FileOpener>();
                opener->setWait(c.wait);
                auto witness = std::make_shared<DropWitness>(DropWitness{&droppedOn});
                opener->open(c.kind, QStringLiteral("/nonexistent/song.mp3"),
                             [witness = std::move(witness), &answers](auto) { ++answers; });
                if (c.ending == Ending::ThroughEventLoop) {
                    const QDeadlineTimer deadline(std::chrono::seconds(5));
                    while (answers == 0 && !deadline.hasExpired())
                        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
                }
            }
            EXPECT_EQ(answers, c.ending == Ending::OpenerDestroyed ? 0 : 1);
            EXPECT_EQ(droppedOn, self);
        }
    }
}
