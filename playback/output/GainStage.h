#pragma once

#include <cstddef>

// The output stage over interleaved stereo samples: whatever a decoder, a down-mix, a synth or
// a loudness gain produced, the device gets numbers within full scale, then the per-channel
// gain. NaN becomes silence; below -1 dBFS samples pass unchanged, bit for bit; above, a soft
// knee bends them towards full scale, which they never pass, so a boost or a loud mix is
// rounded off instead of clipped. Runs in the audio callback on every sample: no allocation,
// no lock, no call.
class GainStage {
public:
    static constexpr float kKnee = 0.891250938f;  // -1 dBFS
    static constexpr float kHeadroom = 1.0f - kKnee;

    static void apply(float* samples, size_t count, float left, float right) {
        for (size_t i = 0; i + 1 < count; i += 2) {
            samples[i] = limit(samples[i]) * left;
            samples[i + 1] = limit(samples[i + 1]) * right;
        }
    }

    static float limit(float v) {
        v = v == v ? v : 0.0f;  // NaN is the only value unequal to itself
        const float magnitude = v < 0.0f ? -v : v;
        if (magnitude <= kKnee)  // nearly every sample of music: one well-predicted branch
            return v;
        // Above the knee: knee + headroom · u / (1 + u), which leaves the knee at slope 1 and
        // only approaches full scale. The cap keeps infinity from giving inf / inf.
        float over = (magnitude - kKnee) / kHeadroom;
        over = over > 1e30f ? 1e30f : over;
        float bent = kKnee + kHeadroom * (over / (1.0f + over));
        bent = bent > 1.0f ? 1.0f : bent;
        return v < 0.0f ? -bent : bent;
    }
};
