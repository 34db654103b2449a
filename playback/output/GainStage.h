#pragma once

#include <cstddef>

// The output stage over interleaved stereo samples: whatever a decoder produced, the device
// gets numbers within full scale (NaN becomes silence, infinities and overloads are clamped),
// then the per-channel gain. Runs in the audio callback on every sample: no allocation, no
// lock, no branch the compiler cannot turn into selects.
class GainStage {
public:
    static void apply(float* samples, size_t count, float left, float right) {
        for (size_t i = 0; i + 1 < count; i += 2) {
            samples[i] = limit(samples[i]) * left;
            samples[i + 1] = limit(samples[i + 1]) * right;
        }
    }

private:
    static float limit(float v) {
        v = v == v ? v : 0.0f;  // NaN is the only value unequal to itself
        v = v < -1.0f ? -1.0f : v;
        return v > 1.0f ? 1.0f : v;
    }
};
