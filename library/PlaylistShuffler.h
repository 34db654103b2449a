#pragma once

#include "core/clsArrayList.h"

#include <random>

// Shuffles the playlist with one generator seeded once, so shuffles in quick succession differ.
class PlaylistShuffler {
public:
    PlaylistShuffler();  // seeded from std::random_device
    explicit PlaylistShuffler(std::mt19937::result_type seed);

    void Shuffle(clsArrayList& list);  // PlaylistOps::Shuffle with Draw()
    float Draw();                      // uniform in [0, 1), never 1

private:
    std::mt19937 generator_;
};
