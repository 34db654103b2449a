#pragma once

#include <cstdint>

// The play modes as the settings file stores them; the numbers are the file's.
enum class RepeatMode : int16_t {
    On = 0,      // from the top again after the last row (one song: that song again)
    Off = 1,     // stop after the last row (one song: after it)
    Random = 2,  // a random row each time
};

enum class PlayCount : int16_t {
    OneSong = 0,
    AllSongs = 1,
};

// The colour slots of the scheme (clsOption::PlayerColor, the .col files), by their index.
enum class ColorSlot : int16_t {
    Body = 0,
    Buttons = 1,
    LyricBack = 2,
    PlayListBack = 3,
    PlayListText = 4,
    StatusBack = 5,
    StatusText = 6,
    TagInfoBack = 7,
    TagInfoText = 8,
    LyricText = 9,
    ClockText = 10,
    FolderStatusText = 11,
    StartTimeText = 12,
    FolderStatusBack = 13,
    StopTimeText = 14,
    FavoritesBack = 15,
    FavoritesText = 16,
    FolderViewBack = 17,
    FolderViewText = 18,
    SeekBarBack = 19,
    SeekBarText = 20,
};
