#pragma once

#include <cstddef>
#include <vector>

// Mixes any number of channels down to stereo with the usual (ITU) coefficients, as FFmpeg's
// resampler does for float output: front left and right as they are, the centre and the
// surrounds at -3 dB, a back centre at -6 dB on both sides, the LFE channel left out. Nothing
// is scaled down, so a loud full mix can exceed full scale; the output stage clamps.
class StereoDownmix {
public:
    enum class Place {
        Left,
        Right,
        Centre,
        BackCentre,
        SurroundLeft,
        SurroundRight,
        Unknown,  // a channel whose place is not said: to both sides like the centre
        Dropped,  // LFE, and directional components that have no meaning on their own
    };

    // Where the channels of a file without a channel map sit, by their count (the WAVE
    // defaults: 5.1 is L R C LFE Ls Rs, 7.1 adds the side pair).
    static std::vector<Place> defaultLayout(int channels);

    explicit StereoDownmix(std::vector<Place> layout);
    int channels() const { return int(left_.size()); }
    // `in` holds frames × channels() samples, `out` receives frames × 2.
    void mix(const float* in, long frames, float* out) const;

private:
    std::vector<float> left_;
    std::vector<float> right_;
};
