#pragma once

#include "playback/output/PcmSource.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

// One way of playing a file, as the engine (clsZAPT_MMC) sees it: the MP3/WAV library
// (LibraryRoute) or the media-control object (ControlRoute). A route plays one song at a time,
// with at most one more joined behind it. Every call but the end report is made on the UI
// thread; none of them waits on the disk, as the source was read beforehand.
class PlaybackRoute {
public:
    enum class State { Stopped, Playing, Paused };

    virtual ~PlaybackRoute() = default;

    // Opens `path` with its prepared `source` (null when nothing could read it), replacing
    // whatever the route had open. False when the route cannot play it; nothing is open then.
    // A route may read nothing before play() and fail there instead.
    virtual bool open(const QString& path, std::unique_ptr<PcmSource> source) = 0;
    // Starts the open song from its beginning. False when nothing is open or the sound output
    // refuses to start; no end is reported then.
    virtual bool play() = 0;
    // Holds the playing song where it is; false when the route sees that nothing plays (the
    // control, driven by commands, takes every pause and resume).
    virtual bool pause() = 0;
    // Goes on from where pause() held; false when the route sees that nothing is paused.
    virtual bool resume() = 0;
    // Stops and closes the open song; once it returns, no end report of that song is made any
    // more (one may have been made while it ran). False when the route could not stop.
    virtual bool stop() = 0;
    // Moves within the open song; false when nothing is open or `position` lies past its end.
    virtual bool seek(std::chrono::milliseconds position) = 0;
    virtual State state() const = 0;
    // Whole seconds into the open song and its length; zero while nothing is open.
    virtual std::chrono::seconds position() const = 0;
    virtual std::chrono::seconds length() const = 0;
    // How far into the open song the listener is, to the millisecond where the route knows
    // (what a sound server still holds not counted); whole seconds elsewhere. UI thread.
    virtual std::chrono::milliseconds heardPosition() const { return position(); }
    // kbit/s of the open song's file as the route knows it; 0 when it does not.
    virtual int32_t bitrateKbps() const = 0;

    // Joins `path` behind the playing song in the same stream, its first sample after exactly
    // `blank` of silence. False when it cannot join (nothing plays, another sample rate, no
    // source): the song is then opened as usual when its turn comes. A play, pause, seek or
    // stop forgets a song joined and not yet heard, as dropQueued() does.
    virtual bool queueNext(const QString& path, std::unique_ptr<PcmSource> source,
                           std::chrono::milliseconds blank) = 0;
    virtual void dropQueued() = 0;
    // Once the playing song's end has been reported: true when `path` joined and is now
    // heard; it then is the open song. False before that end, or for any other path.
    virtual bool takeJoined(const QString& path) = 0;

    // Where the route reports that the open song's last sample has been heard, once per song
    // (a joined one included). Called on any thread, the audio thread too, so `report` must
    // neither block nor allocate. Set once, on the UI thread, before the first open().
    virtual void setEndReport(std::function<void()> report) = 0;
};
