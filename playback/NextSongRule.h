#pragma once

#include "core/clsArrayList.h"
#include "settings/PlayModes.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <random>

// What plays after a song has ended, by the play-number and repeat modes, once the timed stop
// and the reserve list have had their turn. The playlist box's selection is the current row,
// so the answer is a new selection plus whether to stop.
//
// Random rows come from one generator seeded once, so two draws in the same second differ.
class NextSongRule {
public:
    struct Input {
        int32_t selectedRow = -1;                // of lstPlayList, -1 when none
        const clsArrayList* playList = nullptr;  // not empty (an empty playlist ends earlier)
        int32_t rowCount = 0;                    // rows of lstPlayList
        QString finishedPath;                    // the song that has just ended (history entry 0)
        PlayCount playNumber = PlayCount::AllSongs;
        RepeatMode repeatMode = RepeatMode::On;
    };

    struct Decision {
        bool advanced = false;             // the selection moved one row on (wrapping)
        bool stop = false;                 // StopPlay and end; no next song
        std::optional<int32_t> randomRow;  // random mode: the row drawn (may be past the box)
        int32_t selectedRow = -1;          // the box's selection afterwards
        int32_t playRow = -1;              // the row to play, -1 when stopping
    };

    NextSongRule();  // seeded from std::random_device
    explicit NextSongRule(std::mt19937::result_type seed);

    Decision Decide(const Input& input);

    // r = Int(Rnd × n): a row in 0..n-1, the same row possibly again; 0 when n < 1. Also the
    // row the play command picks in random mode.
    int32_t DrawRow(int32_t n);

    // The row a draw in [0, 1) gives for n rows.
    static int32_t RowForDraw(double draw, int32_t n);

private:
    std::mt19937 generator_;
};
