#pragma once

#include "playback/decoder/vbmp3.h"

#include <QString>
#include <cstdint>

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
    bool open_(const QString& filePath);
    bool play();
    bool stop_();
    bool seek_(int32_t Value);
    int32_t getState();
    bool pause();
    bool restart();
    int16_t SetVolume(int32_t left, int32_t right);

protected:
    bool isLibraryRoute() const;
    void sendCommand(const char* command);
    bool openOnControl();

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
};
