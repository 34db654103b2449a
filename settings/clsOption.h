#pragma once

#include "settings/PlayModes.h"

#include <QString>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>

// How tag text that names no encoding of its own is read: Auto guesses Shift_JIS or
// Windows-1252 from the bytes; the others always take the one they name.
enum class UnmarkedText : int16_t { Auto = 0, Japanese = 1, Western = 2 };

// Which ReplayGain a song plays at: its album's while the songs come in order and its track's
// when they come at random (the default), always the track's, always the album's, or none.
enum class GainMode : int16_t { AlbumInOrder = 0, Track = 1, Album = 2, Off = 3 };

// Every persistent setting of the player, under its name, saved in the ten-line settings file.
// Numbers are stored as 16-bit values; the properties typed 32-bit clamp what they are given.
class clsOption {
public:
    static constexpr int kNumericCount = 47;
    static constexpr int kColorCount = 21;
    static constexpr int kEntryCount = 3;
    static constexpr int32_t kButtonFaceColor = static_cast<int32_t>(0x8000000F);
    // The field of the file types from bit 256 on: a first line that ends before it was
    // written before those types existed and ticks none of them.
    static constexpr int kMoreFileTypes = 40;
    // ReplayGain and resume, after it: a line written before them reads their defaults.
    static constexpr int kGainMode = 41;
    static constexpr int kPreampTenthsDb = 42;
    static constexpr int kPreventClipping = 43;
    static constexpr int kResume = 44;
    static constexpr int kResumeSecond = 45;
    static constexpr int kResumeFileCheck = 46;

    clsOption();

    void InitializeOption();
    void InitializePlayerColor();

    // Loads the settings file. Extra fields are ignored, missing fields and lines keep their
    // values, a number outside its field's range keeps the current value. Returns false only
    // when the file cannot be read.
    bool ReadOption(const QString& fileName, const QString& terminated = QStringLiteral(","));
    // Writes the settings file through a temporary file; false when it could not be written.
    bool WriteOption(const QString& fileName,
                     const QString& terminated = QStringLiteral(",")) const;

    int16_t PositionX() const { return num_[0]; }
    void setPositionX(int16_t v) { num_[0] = v; }
    int16_t PositionY() const { return num_[1]; }
    void setPositionY(int16_t v) { num_[1] = v; }
    int16_t FormWidthNormal() const { return num_[2]; }
    void setFormWidthNormal(int16_t v) { num_[2] = v; }
    int16_t FormHeightNormal() const { return num_[3]; }
    void setFormHeightNormal(int16_t v) { num_[3] = v; }
    int16_t OptionTab() const { return num_[4]; }
    void setOptionTab(int16_t v) { num_[4] = v; }
    // PlayNumber and RepeatMode as stored; the program reads them typed (SongsToPlay, Repeat).
    int16_t PlayNumber() const { return num_[5]; }
    void setPlayNumber(int16_t v) { num_[5] = v; }
    int16_t RepeatMode() const { return num_[6]; }
    void setRepeatMode(int16_t v) { num_[6] = v; }
    // A stored number that names no mode reads as one song, and as repeat on.
    PlayCount SongsToPlay() const {
        return num_[5] == 1 ? PlayCount::AllSongs : PlayCount::OneSong;
    }
    void setSongsToPlay(PlayCount v) { num_[5] = static_cast<int16_t>(v); }
    ::RepeatMode Repeat() const {
        return num_[6] == 1 || num_[6] == 2 ? static_cast<::RepeatMode>(num_[6]) : ::RepeatMode::On;
    }
    void setRepeat(::RepeatMode v) { num_[6] = static_cast<int16_t>(v); }
    int16_t TimerMode() const { return num_[7]; }
    void setTimerMode(int16_t v) { num_[7] = v; }
    // The silence between two songs, stored in milliseconds under its old name.
    int16_t BlankSec() const { return num_[8]; }
    void setBlankSec(int16_t v) { num_[8] = v; }
    // A negative stored time is none.
    std::chrono::milliseconds BlankTime() const {
        return std::chrono::milliseconds(num_[8] > 0 ? num_[8] : 0);
    }
    // Kept within what the file stores: 0 to 32767 ms.
    void setBlankTime(std::chrono::milliseconds v) {
        num_[8] =
            static_cast<int16_t>(std::clamp<std::chrono::milliseconds::rep>(v.count(), 0, 32767));
    }
    int16_t TimerShuffleFlg() const { return num_[9]; }
    void setTimerShuffleFlg(int16_t v) { num_[9] = v; }
    int16_t TimerSaveFlg() const { return num_[10]; }
    void setTimerSaveFlg(int16_t v) { num_[10] = v; }
    int16_t StartHour() const { return num_[11]; }
    void setStartHour(int16_t v) { num_[11] = v; }
    int16_t StartMinute() const { return num_[12]; }
    void setStartMinute(int16_t v) { num_[12] = v; }
    int16_t StopHour() const { return num_[13]; }
    void setStopHour(int16_t v) { num_[13] = v; }
    int16_t StopMinute() const { return num_[14]; }
    void setStopMinute(int16_t v) { num_[14] = v; }
    int16_t FirstAction() const { return num_[15]; }
    void setFirstAction(int16_t v) { num_[15] = v; }
    int16_t SetCurrentPathAction() const { return num_[16]; }
    void setSetCurrentPathAction(int16_t v) { num_[16] = v; }
    // The ticked file types, one bit a type: the first eight are stored under GetFileType, the
    // later ones (from bit 256 on) in a field of their own at the end of the first line.
    int32_t GetFileType() const {
        return (num_[17] & 0xFF) | (static_cast<uint16_t>(num_[kMoreFileTypes]) << 8);
    }
    void setGetFileType(int32_t v) {
        num_[17] = static_cast<int16_t>(v & 0xFF);
        num_[kMoreFileTypes] = static_cast<int16_t>((v >> 8) & 0x7FFF);
    }
    int16_t VagueSearch() const { return num_[18]; }
    void setVagueSearch(int16_t v) { num_[18] = v; }
    int16_t PrimaryCurrentPath() const { return num_[19]; }
    void setPrimaryCurrentPath(int16_t v) { num_[19] = v; }
    int16_t TimerStopMode() const { return num_[21]; }
    void setTimerStopMode(int16_t v) { num_[21] = v; }
    int16_t LastPlayIndex() const { return num_[22]; }
    void setLastPlayIndex(int16_t v) { num_[22] = v; }
    int32_t LyricFormPositionX() const { return num_[23]; }
    void setLyricFormPositionX(int32_t v) { num_[23] = clamp16(v); }
    int32_t LyricFormPositionY() const { return num_[24]; }
    void setLyricFormPositionY(int32_t v) { num_[24] = clamp16(v); }
    int32_t LyricFormWidth() const { return num_[25]; }
    void setLyricFormWidth(int32_t v) { num_[25] = clamp16(v); }
    int32_t LyricFormHeight() const { return num_[26]; }
    void setLyricFormHeight(int32_t v) { num_[26] = clamp16(v); }
    int32_t DispLyricFlg() const { return num_[27]; }
    void setDispLyricFlg(int32_t v) { num_[27] = clamp16(v); }
    int32_t FormStatus() const { return num_[28]; }
    void setFormStatus(int32_t v) { num_[28] = clamp16(v); }
    int16_t FormWidthMini() const { return num_[29]; }
    void setFormWidthMini(int16_t v) { num_[29] = v; }
    int16_t FormHeightMini() const { return num_[30]; }
    void setFormHeightMini(int16_t v) { num_[30] = v; }
    int16_t DispTimeType() const { return num_[31]; }
    void setDispTimeType(int16_t v) { num_[31] = v; }
    int16_t ToolTipText() const { return num_[32]; }
    void setToolTipText(int16_t v) { num_[32] = v; }
    int16_t TrayIcon() const { return num_[33]; }
    void setTrayIcon(int16_t v) { num_[33] = v; }
    int32_t SoftVolumeLeft() const { return num_[34]; }
    void setSoftVolumeLeft(int32_t v) { num_[34] = clamp16(v); }
    int32_t SoftVolumeRight() const { return num_[35]; }
    void setSoftVolumeRight(int32_t v) { num_[35] = clamp16(v); }
    int32_t MakeLyricListAuto() const { return num_[36]; }
    void setMakeLyricListAuto(int32_t v) { num_[36] = clamp16(v); }
    int32_t AutoSmallWindow() const { return num_[37]; }
    void setAutoSmallWindow(int32_t v) { num_[37] = clamp16(v); }
    int32_t IgnoreWord() const { return num_[38]; }
    void setIgnoreWord(int32_t v) { num_[38] = clamp16(v); }
    // Last on the first line, so that a line written before it existed reads as Auto; a
    // number that names no choice reads as Auto too.
    ::UnmarkedText UnmarkedText() const {
        return num_[39] == 1 || num_[39] == 2 ? static_cast<::UnmarkedText>(num_[39])
                                              : ::UnmarkedText::Auto;
    }
    void setUnmarkedText(::UnmarkedText v) { num_[39] = static_cast<int16_t>(v); }
    // A number that names no mode reads as the default.
    ::GainMode GainMode() const {
        const int16_t v = num_[kGainMode];
        return v >= 1 && v <= 3 ? static_cast<::GainMode>(v) : ::GainMode::AlbumInOrder;
    }
    void setGainMode(::GainMode v) { num_[kGainMode] = static_cast<int16_t>(v); }
    // Stored in tenths of a dB, read within ±15 dB.
    double PreampDb() const { return std::clamp<int16_t>(num_[kPreampTenthsDb], -150, 150) / 10.0; }
    void setPreampDb(double db) {
        num_[kPreampTenthsDb] = static_cast<int16_t>(std::lround(std::clamp(db, -15.0, 15.0) * 10));
    }
    bool PreventClipping() const { return num_[kPreventClipping] != 0; }
    void setPreventClipping(bool v) { num_[kPreventClipping] = v ? 1 : 0; }
    // Resume: the song heard at the last end, taken up where it was when "play at start"
    // plays it. Its row is LastPlayIndex; the check tells whether that row still holds it.
    bool Resume() const { return num_[kResume] != 0; }
    void setResume(bool v) { num_[kResume] = v ? 1 : 0; }
    std::chrono::seconds ResumePosition() const {
        return std::chrono::seconds(std::max<int16_t>(num_[kResumeSecond], 0));
    }
    void setResumePosition(std::chrono::seconds v) {
        num_[kResumeSecond] = static_cast<int16_t>(std::clamp<int64_t>(v.count(), 0, 32767));
    }
    uint16_t ResumeFileCheck() const { return static_cast<uint16_t>(num_[kResumeFileCheck]); }
    void setResumeFileCheck(uint16_t v) { num_[kResumeFileCheck] = static_cast<int16_t>(v); }
    // Index 20 is read as GetSubFolder and written as SearchMode.
    int16_t GetSubFolder() const { return num_[20]; }
    void setSearchMode(int16_t v) { num_[20] = v; }

    // Every string setting is one line of the settings file: a value holding a line break is
    // refused and the previous value kept.
    QString LastCurrentFolder() const { return folders_[0]; }
    void setLastCurrentFolder(const QString& v) { setLine(folders_[0], v); }
    QString LyricFolder() const { return folders_[1]; }
    void setLyricFolder(const QString& v) { setLine(folders_[1], v); }

    QString EntryPath(int16_t index) const { return entryPath_.at(index); }
    void setEntryPath(int16_t index, const QString& v) { setLine(entryPath_.at(index), v); }
    QString EntryPathName(int16_t index) const { return entryPathName_.at(index); }
    void setEntryPathName(int16_t index, const QString& v) { setLine(entryPathName_.at(index), v); }
    int16_t EntryPathCount() const { return kEntryCount; }
    int16_t EntryPathNameCount() const { return kEntryCount; }

    int32_t PlayerColor(int16_t index) const { return colors_.at(index); }
    void setPlayerColor(int16_t index, int32_t v) { colors_.at(index) = v; }
    int32_t PlayerColor(ColorSlot slot) const { return colors_.at(static_cast<size_t>(slot)); }
    int16_t PlayerColorCount() const { return kColorCount; }

    // Raw access by index, for the file format and for tests.
    int16_t numeric(int index) const { return num_.at(index); }

private:
    static void setLine(QString& setting, const QString& v);
    static int16_t clamp16(int32_t v) {
        return static_cast<int16_t>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
    }

    std::array<int16_t, kNumericCount> num_{};
    std::array<QString, 2> folders_;
    std::array<QString, kEntryCount> entryPath_;
    std::array<QString, kEntryCount> entryPathName_;
    std::array<int32_t, kColorCount> colors_{};
};
