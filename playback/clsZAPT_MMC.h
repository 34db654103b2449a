#pragma once

#include "playback/decoder/vbmp3.h"
#include "playback/output/PcmSource.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

class MciControl;

// The player engine: one small interface over the two ways a file is played. Names ending in
// "mp3" or "wav" (exactly, case-sensitive) go to the MP3/WAV library, unless their content is
// not MP3 or WAV; everything else goes to the media-control object, which opens every file by
// its content. Used from the UI thread only.
class clsZAPT_MMC {
public:
    clsZAPT_MMC();
    clsZAPT_MMC(const clsZAPT_MMC&) = delete;
    clsZAPT_MMC& operator=(const clsZAPT_MMC&) = delete;

    QString getPath() const;
    int32_t getTotalSecond() const;
    int32_t playSecond();
    int32_t bitrate() const;
    void setMMC(MciControl* age_mmc);

    // What opening a file reads from the disk (its headers; for MIDI, the sound font), done on
    // any thread by Prepare(), so that the UI thread never waits on a slow disk; open_ and
    // queueNext then finish with it at once.
    struct Prepared {
        QString path;
        std::unique_ptr<PcmSource> source;  // null when nothing can play the file
        bool library = false;               // made for the MP3/WAV library, not the control
    };
    static Prepared Prepare(const QString& filePath);
    bool open_(Prepared prepared);
    bool open_(const QString& filePath) { return open_(Prepare(filePath)); }
    bool play();
    bool stop_();
    bool seek_(int32_t Value);
    int32_t getState();
    bool pause();
    bool restart();
    int16_t SetVolume(int32_t left, int32_t right);

    // Join of the song that is to follow, `blankMillis` of silence after the playing one, on
    // the same route (the library's file after the library's, the control's after the
    // control's): false when it cannot join (then it is played as usual when its turn comes).
    // queuedPath() is the song joined behind the playing one, empty when none.
    bool queueNext(const QString& filePath, int32_t blankMillis);
    bool queueNext(Prepared prepared, int32_t blankMillis);
    QString queuedPath() const { return QueuedPath; }
    void dropQueued();
    // Once the playing song's end has been heard: true when `filePath` is the song that joined
    // and is now playing; it then becomes the open file, as if opened and played.
    bool adoptJoined(const QString& filePath);

protected:
    bool isLibraryRoute() const;
    void sendCommand(const char* command);
    bool openOnControl(std::unique_ptr<PcmSource> source);

    QString FileExtension;
    QString CurrentPath;
    ::MciControl* MciControl = nullptr;
    OpenFileInfo FileInfo{};
    int32_t TotalSec = 0;
    int32_t PlaySec = 0;
    bool Opened = false;
    // The route of the latest open_: the name's guess, or the control when the library
    // could not play what the name promised.
    bool LibraryRoute = false;
    QString QueuedPath;
    // The control's source made by the latest open_, handed to the control at play().
    std::optional<std::unique_ptr<PcmSource>> PendingSource;
    int32_t QueuedBlank = 0;
};
