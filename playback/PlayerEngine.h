#pragma once

#include "playback/output/PcmSource.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

// A file read ahead for playing: its headers and decoder, made on any thread, so that opening
// it on the UI thread never waits on the disk.
struct PreparedSong {
    QString path;
    std::unique_ptr<PcmSource> source;  // null when nothing can play the file
    bool library = false;               // made for the MP3/WAV library, not the media control
};

// The engine as the play sequence drives it: one open song, and at most one joined behind it.
// clsZAPT_MMC is the player's; tests drive the sequence on a fake one. UI thread only.
class PlayerEngine {
public:
    virtual ~PlayerEngine() = default;

    // The open song's path, its length and position in whole seconds (0 when none).
    virtual QString getPath() const = 0;
    virtual int32_t getTotalSecond() const = 0;
    virtual int32_t playSecond() = 0;
    // How far into the open song the listener is, to the millisecond where the output knows
    // (see PlaybackRoute::heardPosition); 0 when nothing is open.
    virtual std::chrono::milliseconds heardPosition() { return std::chrono::seconds(playSecond()); }
    // 0 stopped (nothing open or not started), 1 playing, 2 paused.
    virtual int32_t getState() = 0;

    // Opens a prepared song, replacing the open one; false when it cannot play it.
    virtual bool open_(PreparedSong prepared) = 0;
    // Starts, stops, pauses, resumes and moves the open song; false when it cannot.
    virtual bool play() = 0;
    virtual bool stop_() = 0;
    virtual bool pause() = 0;
    virtual bool restart() = 0;
    virtual bool seekTo(std::chrono::milliseconds position) = 0;

    // Joins a prepared song behind the playing one, `blank` of silence between them;
    // false when it cannot (it is then opened as usual when its turn comes).
    virtual bool queueNext(PreparedSong prepared, std::chrono::milliseconds blank) = 0;
    // The joined song, empty when none; dropQueued forgets it.
    virtual QString queuedPath() const = 0;
    virtual void dropQueued() = 0;
    // After the playing song's end: true when `path` joined and now plays as the open song.
    virtual bool adoptJoined(const QString& path) = 0;

    // `handler` runs on the UI thread once the open song's last sample has been heard; never
    // for a song a later stop_, open_ or adoptJoined replaced.
    virtual void setEndHandler(std::function<void()> handler) = 0;
};
