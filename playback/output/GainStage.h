#pragma once

#include <cstddef>

// The output stage's per-channel gain over interleaved stereo samples. Runs in the audio
// callback: no allocation, no lock.
class GainStage {
public:
    static void apply(float* samples, size_t count, float left, float right) {
        if (left == 1.0f && right == 1.0f)
            return;
        for (size_t i = 0; i + 1 < count; i += 2) {
            samples[i] *= left;
            samples[i + 1] *= right;
        }
    }
};
