// The play sequence on a fake engine and a fake clock: which songs start, in which order, and
// when the sequence stops, with no window, no sound device and no real time.
#include "library/CueSheet.h"
#include "library/PlayHistory.h"
#include "playback/PlayerController.h"
#include "support/TempDir.h"

#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using State = PlayerController::State;

namespace {

// Time moves only in advance(); due timers fire in time order, those due together in the
// order they were started. Test thread only.
class FakeClock final : public PlayerClock {
public:
    class FakeTimer final : public Timer {
    public:
        FakeTimer(FakeClock& clock, bool repeat, std::function<void()> timeout)
            : clock_(clock), repeat_(repeat), timeout_(std::move(timeout)) {
            clock_.timers_.push_back(this);
        }
        ~FakeTimer() override { std::erase(clock_.timers_, this); }
        void start(std::chrono::milliseconds interval) override {
            interval_ = interval;
            due_ = clock_.now_ + interval;
            order_ = ++clock_.starts_;
            active_ = true;
        }
        void stop() override { active_ = false; }
        bool isActive() const override { return active_; }

    private:
        friend class FakeClock;
        FakeClock& clock_;
        bool repeat_;
        std::function<void()> timeout_;
        std::chrono::milliseconds interval_{0};
        std::chrono::milliseconds due_{0};
        uint64_t order_ = 0;
        bool active_ = false;
    };

    std::unique_ptr<Timer> makeTimer(bool repeat, std::function<void()> timeout) override {
        return std::make_unique<FakeTimer>(*this, repeat, std::move(timeout));
    }

    void advance(std::chrono::milliseconds by) {
        const auto until = now_ + by;
        for (;;) {
            FakeTimer* next = nullptr;
            for (FakeTimer* t : timers_) {
                if (t->active_ && t->due_ <= until &&
                    (!next || std::pair(t->due_, t->order_) < std::pair(next->due_, next->order_)))
                    next = t;
            }
            if (!next)
                break;
            now_ = next->due_;
            if (next->repeat_)
                next->due_ += std::max(next->interval_, 1ms);
            else
                next->active_ = false;
            next->timeout_();
        }
        now_ = until;
    }

private:
    std::vector<FakeTimer*> timers_;
    std::chrono::milliseconds now_{0};
    uint64_t starts_ = 0;
};

// One open song and at most one joined behind it. A file named "broken-open…" does not open,
// "broken-play…" opens but does not start. A song ends only when finish() says so; a joined
// song is then heard until adoptJoined takes it over. Test thread only.
class FakeEngine final : public PlayerEngine {
public:
    QHash<QString, int32_t> lengths;  // seconds; 60 when not listed
    QStringList started;              // every song started, adopted ones included
    QStringList opened;

    // The playing song's last sample is heard.
    void finish() {
        ASSERT_EQ(state_, 1) << "nothing plays";
        joinedHeard_ = !queued_.isEmpty();
        if (!joinedHeard_)
            state_ = 0;
        if (auto handler = onEnd_)
            handler();
    }

    QString getPath() const override { return path_; }
    int32_t getTotalSecond() const override {
        return path_.isEmpty() ? 0 : lengths.value(path_, 60);
    }
    int32_t playSecond() override { return 0; }
    int32_t getState() override { return state_; }
    bool open_(PreparedSong prepared) override {
        stop_();
        opened << prepared.path;
        if (fails(prepared.path, "open"))
            return false;
        path_ = prepared.path;
        return true;
    }
    bool play() override {
        if (path_.isEmpty() || state_ != 0 || fails(path_, "play"))
            return false;
        state_ = 1;
        started << path_;
        return true;
    }
    bool stop_() override {
        path_.clear();
        queued_.clear();
        joinedHeard_ = false;
        state_ = 0;
        return true;
    }
    bool pause() override { return toggle(1, 2); }
    bool restart() override { return toggle(2, 1); }
    bool seekTo(std::chrono::milliseconds) override { return false; }  // no test seeks
    bool queueNext(PreparedSong prepared, std::chrono::milliseconds) override {
        if (state_ != 1 || joinedHeard_)
            return false;
        queued_ = prepared.path;
        return true;
    }
    QString queuedPath() const override { return queued_; }
    void dropQueued() override {
        if (!joinedHeard_)
            queued_.clear();
    }
    bool adoptJoined(const QString& path) override {
        if (!joinedHeard_ || path != queued_)
            return false;
        path_ = std::exchange(queued_, QString());
        joinedHeard_ = false;
        started << path_;
        return true;
    }
    void setEndHandler(std::function<void()> handler) override { onEnd_ = std::move(handler); }

private:
    static bool fails(const QString& path, const char* step) {
        return QFileInfo(path).fileName().startsWith(u"broken-%1"_s.arg(QLatin1String(step)));
    }
    bool toggle(int32_t from, int32_t to) {
        if (state_ != from)
            return false;
        state_ = to;
        return true;
    }

    QString path_;
    QString queued_;
    bool joinedHeard_ = false;
    int32_t state_ = 0;
    std::function<void()> onEnd_;
};

// The playlist box as a plain list with a selected row. Test thread only.
class ListRows final : public PlayRows {
public:
    clsArrayList list;
    int32_t selected = -1;

    const clsArrayList& entries() const override { return list; }
    int32_t rowCount() const override { return list.Count(); }
    int32_t selectedRow() const override { return selected; }
    void setSelectedRow(int32_t row) override { selected = row; }
    void showRow(int32_t row) override { selected = row; }
};

// A controller over files that exist (empty ones: the fake engine reads none of them). Opens
// hand the file back at once, or with holdOpens when releaseOpens says so. Test thread only.
struct Rig {
    explicit Rig(const QStringList& names, PlayCount playNumber = PlayCount::AllSongs,
                 RepeatMode repeatMode = RepeatMode::Off, int16_t blankMillis = 0) {
        for (const QString& name : names)
            rows.list.Add(dir.write(name, {}));
        options.setSongsToPlay(playNumber);
        options.setRepeat(repeatMode);
        options.setBlankSec(blankMillis);
        options.setTimerStopMode(0);
        QObject::connect(&controller, &PlayerController::cannotAccess,
                         [this](const QString& path) { cannotAccess << path; });
    }

    QString path(int32_t row) const { return rows.list.Value(row); }
    static QStringList names(const QStringList& paths) {
        QStringList out;
        for (const QString& p : paths)
            out << QFileInfo(p).fileName();
        return out;
    }
    QStringList startedNames() const { return names(engine.started); }

    // The playing song ends and the blank time passes.
    void endSong() {
        engine.finish();
        clock.advance(options.BlankTime());
    }
    void releaseOpens() {
        for (auto& [path, done] : std::exchange(heldOpens, {}))
            done(PreparedSong{path, nullptr, false});
    }
    bool stopped() {
        return controller.state() == State::Stopped && engine.getState() == 0 &&
               !controller.PlayTimeRunning() && controller.PlayingIndex() == -1;
    }

    TempDir dir;
    FakeClock clock;
    FakeEngine engine;
    ListRows rows;
    clsOption options;
    clsArrayList reserve;
    clsArrayList history;
    bool holdOpens = false;
    std::vector<std::pair<QString, std::function<void(PreparedSong)>>> heldOpens;
    QStringList cannotAccess;
    PlayerController controller{
        engine,
        rows,
        options,
        {reserve, history},
        clock,
        [this](bool, const QString& path, std::function<void(PreparedSong)> done) {
            if (holdOpens)
                heldOpens.emplace_back(path, std::move(done));
            else
                done(PreparedSong{path, nullptr, false});
        }};
};

const QStringList kSongs = {u"a.mp3"_s, u"b.mp3"_s, u"c.mp3"_s, u"d.mp3"_s};

}  // namespace

TEST(PlayerController, TheModesDecideWhatFollowsAnEnd) {
    struct Case {
        const char* name;
        PlayCount playNumber;
        RepeatMode repeatMode;
        int rows;
        int32_t selected;                       // before the play command
        std::function<void(Rig&)> duringFirst;  // while the first song plays
        int ends;
        QStringList started;
        bool stops;
        int32_t selectionAfter;
    };
    const auto none = [](Rig&) {};
    const Case cases[] = {
        {"all songs, no repeat: through, then stop on row 0",
         PlayCount::AllSongs,
         RepeatMode::Off,
         3,
         0,
         none,
         3,
         {u"a.mp3"_s, u"b.mp3"_s, u"c.mp3"_s},
         true,
         0},
        {"all songs, repeat: wraps to row 0",
         PlayCount::AllSongs,
         RepeatMode::On,
         2,
         1,
         none,
         1,
         {u"b.mp3"_s, u"a.mp3"_s},
         false,
         0},
        {"one song, no repeat",
         PlayCount::OneSong,
         RepeatMode::Off,
         2,
         0,
         none,
         1,
         {u"a.mp3"_s},
         true,
         0},
        {"one song, repeat",
         PlayCount::OneSong,
         RepeatMode::On,
         2,
         1,
         none,
         1,
         {u"b.mp3"_s, u"b.mp3"_s},
         false,
         1},
        {"random with one entry plays it again",
         PlayCount::AllSongs,
         RepeatMode::Random,
         1,
         -1,
         none,
         1,
         {u"a.mp3"_s, u"a.mp3"_s},
         false,
         0},
        {"the user's selection during a song is next",
         PlayCount::AllSongs,
         RepeatMode::Off,
         4,
         0,
         [](Rig& r) { r.rows.selected = 2; },
         1,
         {u"a.mp3"_s, u"c.mp3"_s},
         false,
         2},
        {"started with nothing selected, the first song plays once",
         PlayCount::AllSongs,
         RepeatMode::Off,
         2,
         -1,
         none,
         2,
         {u"a.mp3"_s, u"b.mp3"_s},
         true,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r(kSongs.mid(0, c.rows), c.playNumber, c.repeatMode);
        r.rows.selected = c.selected;
        r.controller.Play();
        c.duringFirst(r);
        for (int i = 0; i < c.ends; ++i)
            r.endSong();
        EXPECT_EQ(r.startedNames(), c.started);
        EXPECT_EQ(r.rows.selected, c.selectionAfter);
        if (c.stops) {
            EXPECT_TRUE(r.stopped());
        } else {
            EXPECT_EQ(r.controller.state(), State::Playing);
            EXPECT_EQ(r.controller.PlayingIndex(), c.selectionAfter);
        }
    }
}

TEST(PlayerController, TheReserveListComesFirstAndStopAfterSongBeforeIt) {
    Rig r(kSongs.mid(0, 3), PlayCount::AllSongs, RepeatMode::On);
    int taken = 0;
    int stoppedAfterSong = 0;
    QObject::connect(&r.controller, &PlayerController::reserveTaken, [&] { ++taken; });
    QObject::connect(&r.controller, &PlayerController::stoppedAfterSong,
                     [&] { ++stoppedAfterSong; });
    r.reserve.Add(r.path(2));
    r.rows.selected = 0;
    r.controller.Play();
    r.endSong();
    EXPECT_EQ(r.startedNames(), (QStringList{u"a.mp3"_s, u"c.mp3"_s}));
    EXPECT_EQ(r.reserve.Count(), 0);
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(r.rows.selected, 0);  // the playlist's place is kept

    r.reserve.Add(r.path(1));
    r.controller.SetStopAfterSong(true);
    r.endSong();
    EXPECT_TRUE(r.stopped());
    EXPECT_EQ(stoppedAfterSong, 1);
    EXPECT_FALSE(r.controller.StopAfterSong());  // once only
    EXPECT_EQ(r.reserve.Count(), 1);
}

TEST(PlayerController, TheHistoryKeepsEachEndedSongOnceAndAtMostAHundred) {
    Rig r({u"a.mp3"_s}, PlayCount::OneSong, RepeatMode::Off);
    QStringList old;
    for (int i = 0; i < 120; ++i)
        old << u"/old/%1.mp3"_s.arg(i);
    old.insert(5, r.path(0).toUpper());
    r.history.assign(old);
    r.controller.Play();
    r.endSong();
    EXPECT_EQ(r.history.Count(), PlayHistory::kLimit);
    EXPECT_EQ(r.history.Value(0), r.path(0));
    EXPECT_FALSE(r.history.items().mid(1).contains(r.path(0), Qt::CaseInsensitive));
}

// A file that will not play is passed over by the modes, with no box and no history entry; the
// sequence stops once a whole round has failed, and at once when the modes would only try the
// same file again (without waiting out the blank time first).
TEST(PlayerController, UnplayableFilesArePassedOver) {
    enum class End { Plays, Stops, StopsAtOnce };
    struct Case {
        const char* name;
        PlayCount playNumber;
        RepeatMode repeatMode;
        QStringList rows;
        QStringList started;
        End end;
    };
    const Case cases[] = {
        {"skipped to one that plays",
         PlayCount::AllSongs,
         RepeatMode::On,
         {u"broken-open.mp3"_s, u"broken-play.mp3"_s, u"a.mp3"_s},
         {u"a.mp3"_s},
         End::Plays},
        {"a full round of them stops",
         PlayCount::AllSongs,
         RepeatMode::On,
         {u"broken-open.mp3"_s, u"broken-play.mp3"_s},
         {},
         End::Stops},
        {"one the modes would repeat stops at once",
         PlayCount::OneSong,
         RepeatMode::On,
         {u"broken-open.mp3"_s, u"a.mp3"_s, u"b.mp3"_s},
         {},
         End::StopsAtOnce},
    };
    constexpr int16_t kBlankMillis = 30000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r(c.rows, c.playNumber, c.repeatMode, kBlankMillis);
        r.rows.selected = 0;
        r.controller.Play();
        r.clock.advance(0ms);
        EXPECT_EQ(r.stopped(), c.end == End::StopsAtOnce);
        r.clock.advance(std::chrono::milliseconds(kBlankMillis) * c.rows.size());
        EXPECT_EQ(r.startedNames(), c.started);
        EXPECT_EQ(r.stopped(), c.end != End::Plays);
        EXPECT_EQ(r.history.Count(), 0);
        EXPECT_TRUE(r.cannotAccess.isEmpty());
    }
}

TEST(PlayerController, AMissingFileIsReportedAndNothingElseChanges) {
    Rig r({u"a.mp3"_s});
    r.controller.Play();
    const QString gone = r.dir.file(u"gone.mp3"_s);
    r.controller.PlayFile(gone);
    EXPECT_EQ(r.cannotAccess, QStringList{gone});
    EXPECT_EQ(r.engine.getPath(), r.path(0));
    EXPECT_EQ(r.engine.getState(), 1);
    EXPECT_EQ(r.controller.state(), State::Playing);
    EXPECT_TRUE(r.controller.PlayTimeRunning());
    EXPECT_EQ(r.controller.PlayingIndex(), 0);
}

// A disc image's tracks are entries of their sheet: they play and join as files do, and one
// whose sheet is gone is reported as a missing file is.
TEST(PlayerController, TracksOfADiscPlayAndJoinAsFilesDo) {
    Rig r({u"disc.cue"_s});
    const QString sheet = r.path(0);
    r.rows.list.Clear();
    for (int track : {1, 2})
        r.rows.list.Add(CueSheet::EncodeTrackReference({sheet, track}));
    r.engine.lengths[r.path(0)] = 3;
    r.rows.selected = 0;
    r.controller.Play();
    EXPECT_EQ(r.engine.getPath(), r.path(0));
    r.clock.advance(PlayerController::kTick);
    EXPECT_EQ(r.engine.queuedPath(), r.path(1));
    EXPECT_TRUE(r.cannotAccess.isEmpty());

    const QString gone = CueSheet::EncodeTrackReference({r.dir.file(u"gone.cue"_s), 1});
    r.controller.PlayFile(gone);
    EXPECT_EQ(r.cannotAccess, QStringList{gone});
}

// The blank time holds the next song back; whatever the user does during it counts, and a
// pause there does nothing, as nothing plays.
TEST(PlayerController, TheStepAfterTheBlankTimeReadsTheListsAsTheyAreThen) {
    struct Case {
        const char* name;
        bool reserved;  // c.mp3 in the reserve list when the song ends
        std::function<void(Rig&)> duringBlank;
        QStringList started;
    };
    const Case cases[] = {
        {"pause pressed",
         false,
         [](Rig& r) { r.controller.TogglePause(); },
         {u"a.mp3"_s, u"b.mp3"_s}},
        {"reserve list emptied", true, [](Rig& r) { r.reserve.Clear(); }, {u"a.mp3"_s, u"b.mp3"_s}},
        {"another row selected",
         false,
         [](Rig& r) { r.rows.selected = 2; },
         {u"a.mp3"_s, u"c.mp3"_s}},
        {"playlist cleared",
         false,
         [](Rig& r) {
             r.rows.list.Clear();
             r.rows.selected = -1;
         },
         {u"a.mp3"_s}},
        {"stopped", false, [](Rig& r) { r.controller.StopPlay(); }, {u"a.mp3"_s}},
        {"rows from the selection on deleted",
         false,
         [](Rig& r) {
             r.rows.list.Delete(2);
             r.rows.list.Delete(1);
         },
         {u"a.mp3"_s}},
    };
    constexpr auto kBlank = 800ms;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r(kSongs.mid(0, 3), PlayCount::AllSongs, RepeatMode::Off,
              static_cast<int16_t>(kBlank.count()));
        if (c.reserved)
            r.reserve.Add(r.path(2));
        r.rows.selected = 0;
        r.controller.Play();
        r.engine.finish();
        r.clock.advance(kBlank - 1ms);
        ASSERT_EQ(r.startedNames(), QStringList{u"a.mp3"_s});
        c.duringBlank(r);
        r.clock.advance(1ms);
        EXPECT_EQ(r.startedNames(), c.started);
        if (c.started.size() == 1) {
            EXPECT_TRUE(r.stopped());
        } else {
            EXPECT_EQ(r.controller.state(), State::Playing);
            EXPECT_EQ(r.rows.selected, r.rows.list.items().indexOf(r.engine.getPath()));
        }
        EXPECT_TRUE(r.cannotAccess.isEmpty());
    }
}

// Near its end the playing song has the next one joined behind it; the end steps still decide.
TEST(PlayerController, TheJoinedNextSongPlaysOnlyWhenTheEndStepsChooseIt) {
    struct Case {
        const char* name;
        std::function<void(Rig&)> afterJoin;
        QStringList started;
        QStringList opened;  // the joined song is not opened again
    };
    const Case cases[] = {
        {"chosen", [](Rig&) {}, {u"a.mp3"_s, u"b.mp3"_s}, {u"a.mp3"_s}},
        {"another row selected",
         [](Rig& r) { r.rows.selected = 2; },
         {u"a.mp3"_s, u"c.mp3"_s},
         {u"a.mp3"_s, u"c.mp3"_s}},
        {"stop after the song",
         [](Rig& r) { r.controller.SetStopAfterSong(true); },
         {u"a.mp3"_s},
         {u"a.mp3"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r(kSongs.mid(0, 3));
        r.engine.lengths[r.path(0)] = 3;  // within the join's lead from the start
        r.rows.selected = 0;
        r.controller.Play();
        r.clock.advance(PlayerController::kTick);
        ASSERT_EQ(r.engine.queuedPath(), r.path(1));
        c.afterJoin(r);
        r.endSong();
        EXPECT_EQ(r.startedNames(), c.started);
        EXPECT_EQ(Rig::names(r.engine.opened), c.opened);
        EXPECT_EQ(r.history.items(), QStringList{r.path(0)});
        if (c.started.size() == 1) {
            EXPECT_TRUE(r.stopped());
        } else {
            EXPECT_EQ(r.engine.getState(), 1);
            EXPECT_EQ(r.controller.PlayingIndex(), r.rows.selected);
        }
    }
}

TEST(PlayerController, PauseAndResumeHoldTheStateAndThePlayTime) {
    Rig r({u"a.mp3"_s});
    r.rows.selected = 0;
    r.controller.Play();
    r.controller.TogglePause();
    EXPECT_EQ(r.controller.state(), State::Paused);
    EXPECT_EQ(r.engine.getState(), 2);
    r.clock.advance(2s);
    EXPECT_EQ(r.controller.ElapsedSeconds(), 0);
    r.controller.TogglePause();
    EXPECT_EQ(r.controller.state(), State::Playing);
    EXPECT_EQ(r.engine.getState(), 1);
    r.clock.advance(1s);
    EXPECT_EQ(r.controller.ElapsedSeconds(), 1.0);

    // Stopped, it starts nothing and clears the selection.
    r.controller.StopPlay();
    r.controller.TogglePause();
    EXPECT_TRUE(r.stopped());
    EXPECT_EQ(r.rows.selected, -1);
}

TEST(PlayerController, PreviousAndNextWrap) {
    const struct {
        int32_t from;
        int32_t direction;
        int32_t to;
    } cases[] = {{0, -1, 2}, {2, +1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from);
        Rig r(kSongs.mid(0, 3));
        r.rows.selected = c.from;
        r.controller.Step(c.direction);
        EXPECT_EQ(r.rows.selected, c.to);
        EXPECT_EQ(r.engine.getPath(), r.path(c.to));
        EXPECT_EQ(r.controller.PlayingIndex(), c.to);
    }
}

// The file is read off the UI thread: its song starts when it arrives, unless a stop or another
// song came first.
TEST(PlayerController, AnOpenThatArrivesLateStartsItsSongOnlyIfStillWanted) {
    struct Case {
        const char* name;
        std::function<void(Rig&)> before;  // before the open arrives
        QStringList started;
    };
    const Case cases[] = {
        {"arrives", [](Rig&) {}, {u"a.mp3"_s}},
        {"stopped first", [](Rig& r) { r.controller.StopPlay(); }, {}},
        {"another song first", [](Rig& r) { r.controller.Step(+1); }, {u"b.mp3"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r(kSongs.mid(0, 2));
        r.holdOpens = true;
        r.rows.selected = 0;
        r.controller.Play();
        EXPECT_EQ(r.controller.state(), State::Opening);
        c.before(r);
        r.releaseOpens();  // in the order asked, the late one first
        EXPECT_EQ(r.startedNames(), c.started);
        if (c.started.isEmpty())
            EXPECT_TRUE(r.stopped());
        else
            EXPECT_TRUE(r.controller.PlayTimeRunning());
    }
}

TEST(PlayerController, SignalsTellEachStep) {
    Rig r(kSongs.mid(0, 2));
    std::vector<State> states;
    QStringList starts;
    QObject::connect(&r.controller, &PlayerController::stateChanged,
                     [&](State s) { states.push_back(s); });
    QObject::connect(&r.controller, &PlayerController::songStarted,
                     [&](int32_t row, const QString& path) {
                         starts << u"%1 %2"_s.arg(row).arg(QFileInfo(path).fileName());
                     });
    r.rows.selected = 0;
    r.controller.Play();
    r.endSong();
    r.controller.StopPlay();
    EXPECT_EQ(states, (std::vector{State::Opening, State::Playing, State::BetweenSongs,
                                   State::Opening, State::Playing, State::Stopped}));
    EXPECT_EQ(starts, (QStringList{u"0 a.mp3"_s, u"1 b.mp3"_s}));
}
