#pragma once

#include "core/clsArrayList.h"
#include "playback/NextSongRule.h"
#include "playback/PlayerClock.h"
#include "playback/PlayerEngine.h"
#include "settings/clsOption.h"

#include <QObject>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// The playlist as the play sequence sees it: its entries and the selected row, which is the
// current song's row. The window's playlist box is one; tests use a plain one.
class PlayRows {
public:
    virtual ~PlayRows() = default;
    virtual const clsArrayList& entries() const = 0;
    // Rows shown; the same as the entries but while the list is being refilled.
    virtual int32_t rowCount() const = 0;
    virtual int32_t selectedRow() const = 0;  // -1 when none
    virtual void setSelectedRow(int32_t row) = 0;
    // Selects `row` and scrolls so that it stands near the top (a random pick).
    virtual void showRow(int32_t row) = 0;
};

// The play sequence: what plays, in which order, and what happens between songs (the blank
// time, the reserve queue, stop after the song, the modes, a file that fails, a song joined
// without a gap). It owns the play state and tells the world through signals; the window's
// buttons, the play timer and the desktop's media controls call it. It touches no widget, so
// tests run it on a fake engine and a fake clock. UI thread only.
class PlayerController : public QObject {
    Q_OBJECT
public:
    enum class State {
        Stopped,  // nothing plays
        Opening,  // a song is being read from the disk
        Playing,
        Paused,
        BetweenSongs,  // the blank time, or the step after a song that would not play
    };
    // Reads the file's headers for playing, on any thread, and hands them to `done` on this
    // one; a join is an open for the song to come.
    using OpenSong =
        std::function<void(bool join, const QString& path, std::function<void(PreparedSong)> done)>;

    struct Lists {
        clsArrayList& reserve;  // played before the playlist, first entry first
        clsArrayList& history;  // the songs heard, newest first
    };

    PlayerController(PlayerEngine& engine, PlayRows& rows, clsOption& options, Lists lists,
                     PlayerClock& clock, OpenSong openSong, QObject* parent = nullptr);
    ~PlayerController() override;

    // A file the sequence or the user chose. A missing file is reported (cannotAccess) and
    // nothing else changes.
    void PlayFile(const QString& path);
    // Selects the row GetPlayIndex gives, then plays it: every start of a playlist row.
    void PlaySelectedRow();
    // The playing song has ended: the history, then stop-after-song, the reserve queue, the
    // modes and the blank time decide what comes next.
    void PlayNextSong();
    void StopPlay();
    // Pauses or resumes; between two songs it does nothing, as nothing plays.
    void TogglePause();
    // The play command: the selected row, or in random mode a random one.
    void Play();
    // The previous (-1) or next (+1) row, played at once.
    void Step(int32_t direction);
    // Moves to `second` of the playing song, or to the millisecond (a lyric line); seeked with
    // the whole second. False when the engine cannot.
    bool Seek(int32_t second) { return SeekTo(std::chrono::seconds(second)); }
    bool SeekTo(std::chrono::milliseconds position);
    // Joins the next song behind the playing one when its end is near; called on each tick.
    void PrepareGaplessJoin();
    // One tick of the play time while a song is heard: the position, then the join.
    void tmrPlayTime_Timer();

    void TogglePlayNumber();
    void CycleRepeatMode();
    void SetModes(PlayCount playNumber, RepeatMode repeatMode);

    // The soft volume moved (the volume window and keys change it): tells the world.
    void NotifyVolume() { Q_EMIT volumeChanged(); }

    // The row that played last, -1 when stopped or the playlist was cleared.
    int32_t PlayingIndex() const { return playingIndex_; }
    void ForgetPlayingIndex() { playingIndex_ = -1; }
    int32_t GetPlayIndex() const;
    State state() const { return state_; }
    // Seconds heard of the playing song, by the play-time tick.
    double ElapsedSeconds() const { return elapsedSeconds_; }
    // How far into the playing or paused song the listener is, to the millisecond, from the
    // sound output (a pause holds it, a seek moves it when the new place is heard); 0 at other
    // times. UI thread.
    std::chrono::milliseconds heardPosition() const;
    bool PlayTimeRunning() const { return tick_->isActive(); }
    // The timed stop: the sequence stops when the playing song ends.
    bool StopAfterSong() const { return stopAfterSong_; }
    void SetStopAfterSong(bool stop) { stopAfterSong_ = stop; }
    bool InBlankTime() const { return blankWait_->isActive(); }

    static constexpr std::chrono::milliseconds kTick{500};  // TimeDisplay::kTickSeconds

Q_SIGNALS:
    void stateChanged(PlayerController::State state);
    // A song started (the same one again too); `row` is the playlist row, -1 when none.
    void songStarted(int32_t row, const QString& path);
    // The playing song ended and is in the history; the next step follows.
    void songEnded(const QString& path);
    // Each tick while a song plays.
    void positionChanged();
    // The play time starts again from nothing: a new song, the step between two, a stop.
    void playTimeReset();
    // StopPlay ran: nothing plays and no song is current.
    void stopped();
    void seeked(int32_t second);
    void modesChanged();
    void volumeChanged();
    // A song is about to be opened: what could take the process down comes next.
    void opening();
    // A path that cannot be reached; the window says so.
    void cannotAccess(const QString& path);
    // The first entry of the reserve list was taken to play.
    void reserveTaken();
    // Stopped at the end of a song because the timed stop asked so.
    void stoppedAfterSong();

private:
    void setState(State state);
    void startedPlaying(const QString& path);
    void playFailed(const QString& path);
    void continueAfterBlank(const QString& ended, bool failed = false);
    void nextFromPlayList(const QString& ended, bool failed, bool waited);
    void waitThen(std::chrono::milliseconds wait, std::function<void()> next);
    void moveSelection(int32_t step);
    void resetPlayTime();
    template <class Done> void openThen(bool join, const QString& path, Done done);
    std::chrono::milliseconds blankTime() const;
    NextSongRule::Input ruleInput(const QString& finished) const;
    std::optional<QString> PredictNextSong();

    PlayerEngine& engine_;
    PlayRows& rows_;
    clsOption& options_;
    Lists lists_;
    OpenSong openSong_;
    NextSongRule nextSongRule_;
    std::unique_ptr<PlayerClock::Timer> blankWait_;  // the blank time between two songs
    std::unique_ptr<PlayerClock::Timer> tick_;       // the play time, while a song is heard
    std::function<void()> afterBlank_;               // what the blank time ends in
    uint64_t openSerial_ = 0;   // moves with every start and stop: a late open is dropped
    QString joinOpening_;       // the song being opened to join behind the playing one
    int32_t failedInARow_ = 0;  // files that would not play, one after another
    int32_t playingIndex_ = -1;
    double elapsedSeconds_ = 0;
    bool stopAfterSong_ = false;
    State state_ = State::Stopped;
};
