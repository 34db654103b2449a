#include "PlaylistShuffler.h"

#include "PlaylistOps.h"

PlaylistShuffler::PlaylistShuffler() : generator_(std::random_device{}()) {}

PlaylistShuffler::PlaylistShuffler(std::mt19937::result_type seed) : generator_(seed) {}

float PlaylistShuffler::Draw() {
    // 24 random bits fill a float's mantissa exactly; uniform_real_distribution<float> may
    // round up to 1.0.
    return static_cast<float>(generator_() >> 8) * (1.0f / 16777216.0f);
}

void PlaylistShuffler::Shuffle(clsArrayList& list) {
    PlaylistOps::Shuffle(list, [this] { return Draw(); });
}
