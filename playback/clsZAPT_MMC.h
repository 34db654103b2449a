#pragma once

#include "playback/EndReport.h"
#include "playback/PlayerEngine.h"
#include "playback/decoder/vbmp3.h"
#include "playback/output/PcmSource.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class ControlRoute;
class LibraryRoute;
class MciControl;
class PlaybackRoute;

// The player engine: one small interface over the two routes a file is played on. Names ending
// in "mp3" or "wav" (exactly, case-sensitive) go to the MP3/WAV library (LibraryRoute), unless
// their content is not MP3 or WAV; everything else goes to the media-control object
// (ControlRoute), which opens every file by its content. Used from the UI thread only, and
// needs no window.
class clsZAPT_MMC : public PlayerEngine {
public:
    clsZAPT_MMC();
    ~clsZAPT_MMC() override;
    clsZAPT_MMC(const clsZAPT_MMC&) = delete;
    clsZAPT_MMC& operator=(const clsZAPT_MMC&) = delete;

    QString getPath() const override;
    int32_t getTotalSecond() const override;
    int32_t playSecond() override;
    std::chrono::milliseconds heardPosition() override;
    int32_t bitrate() const;
    void setMMC(MciControl* age_mmc);

    // What opening a file reads from the disk (its headers; for MIDI, the sound font), done on
    // any thread by Prepare(), so that the UI thread never waits on a slow disk; open_ and
    // queueNext then finish with it at once. A track of a disc image ("disc.cue?3") is prepared
    // as a song of its own: its length, position, seeks and end are the track's.
    using Prepared = PreparedSong;
    static Prepared Prepare(const QString& filePath);
    bool open_(Prepared prepared) override;
    bool open_(const QString& filePath) { return open_(Prepare(filePath)); }
    bool play() override;
    bool stop_() override;
    bool seek_(int32_t Value) { return seekTo(std::chrono::seconds(Value)); }
    bool seekTo(std::chrono::milliseconds position) override;
    int32_t getState() override;
    bool pause() override;
    bool restart() override;

    // Join of the song that is to follow, `blank` of silence after the playing one, on
    // the same route (the library's file after the library's, the control's after the
    // control's): false when it cannot join (then it is played as usual when its turn comes).
    // queuedPath() is the song joined behind the playing one, empty when none.
    bool queueNext(const QString& filePath, std::chrono::milliseconds blank);
    bool queueNext(Prepared prepared, std::chrono::milliseconds blank) override;
    QString queuedPath() const override { return QueuedPath; }
    void dropQueued() override;
    // Once the playing song's end has been heard: true when `filePath` is the song that joined
    // and is now playing; it then becomes the open file, as if opened and played.
    bool adoptJoined(const QString& filePath) override;

    // UI thread only. `handler` runs on the UI thread once the playing song's last sample has
    // been heard, for the song opened, or adopted, last; never for one that a later stop_,
    // open_ or adoptJoined has replaced.
    void setEndHandler(std::function<void()> handler) override;

protected:
    QString FileExtension;
    QString CurrentPath;
    int32_t TotalSec = 0;
    bool Opened = false;
    QString QueuedPath;
    std::chrono::milliseconds QueuedBlank{0};

private:
    PlaybackRoute& routeFor(bool library);

    // Both routes report into it; stop_, open_ and adoptJoined move its generation.
    EndReport ends_;
    // Destroyed before ends_: once they are gone no end is reported.
    std::unique_ptr<LibraryRoute> library_;
    std::unique_ptr<ControlRoute> control_;
    // The route of the latest open_; the control's until the first.
    PlaybackRoute* route_ = nullptr;
};
