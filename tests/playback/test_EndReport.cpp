#include "playback/EndReport.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

// A report reaches the handler on the UI thread's next turn, never inside report(), and only
// while the song it was made for is still the one playing. Reports made before or during a
// stop are stale; one made after it is for the song that plays then.
TEST(EndReport, ReachesTheHandlerOnlyForTheSongStillPlaying) {
    enum class Then { Nothing, Twice, Forget, ReportDuringStop, ReportAfterStop };
    struct Case {
        Then then;
        int handled;
    };
    const Case cases[] = {
        {Then::Nothing, 1},          {Then::Twice, 1},           {Then::Forget, 0},
        {Then::ReportDuringStop, 0}, {Then::ReportAfterStop, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.then));
        EndReport ends;
        int handled = 0;
        ends.setHandler([&] { ++handled; });
        switch (c.then) {
        case Then::Nothing:
            ends.report();
            EXPECT_EQ(handled, 0) << "not inside report()";
            break;
        case Then::Twice:
            ends.report();
            ends.report();
            break;
        case Then::Forget:
            ends.report();
            ends.forget();
            break;
        case Then::ReportDuringStop:
            EXPECT_TRUE(ends.stopAndForget([&] {
                ends.report();
                return true;
            }));
            break;
        case Then::ReportAfterStop:
            ends.report();
            ends.stopAndForget([] { return true; });
            ends.report();
            break;
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(handled, c.handled);
    }
}

}  // namespace
