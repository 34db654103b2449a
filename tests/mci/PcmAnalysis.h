#pragma once

#include "playback/output/PcmSource.h"

#include <cmath>
#include <numbers>
#include <vector>

// Small measurements on decoded interleaved float audio, shared by the media-control tests.
namespace PcmAnalysis {

inline std::vector<float> readAll(PcmSource& source, long maxFrames = 30 * 48000) {
    const int channels = source.format().channels;
    std::vector<float> out;
    std::vector<float> buffer(4096 * static_cast<size_t>(channels));
    long total = 0;
    while (total < maxFrames) {
        const long got = source.read(buffer.data(), 4096);
        if (got <= 0)
            break;
        out.insert(out.end(), buffer.begin(), buffer.begin() + got * channels);
        total += got;
    }
    return out;
}

inline std::vector<float> readFrames(PcmSource& source, long frames) {
    std::vector<float> out(static_cast<size_t>(frames) * source.format().channels);
    long done = 0;
    while (done < frames) {
        const long got = source.read(out.data() + done * source.format().channels, frames - done);
        if (got <= 0)
            break;
        done += got;
    }
    out.resize(static_cast<size_t>(done) * source.format().channels);
    return out;
}

inline long frameCount(const std::vector<float>& pcm, int channels) {
    return static_cast<long>(pcm.size() / static_cast<size_t>(channels));
}

// Frequency of channel 0 over [first, first + count) from its rising zero crossings.
inline double pitchHz(const std::vector<float>& pcm, int channels, int rate, long first,
                      long count) {
    int crossings = 0;
    long firstCross = -1;
    long lastCross = -1;
    for (long i = first + 1; i < first + count; ++i) {
        if (pcm[(i - 1) * channels] < 0 && pcm[i * channels] >= 0) {
            if (firstCross < 0)
                firstCross = i;
            lastCross = i;
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0;
    return (crossings - 1) * double(rate) / double(lastCross - firstCross);
}

inline double rms(const std::vector<float>& pcm, int channels, long first, long count,
                  int channel = 0) {
    double sum = 0;
    for (long i = first; i < first + count; ++i) {
        const double v = pcm[i * channels + channel];
        sum += v * v;
    }
    return std::sqrt(sum / double(count));
}

// Power of one frequency on channel 0 (Goertzel).
inline double power(const std::vector<float>& pcm, int channels, int rate, long first, long count,
                    double hz) {
    const double w = 2 * std::numbers::pi * hz / rate;
    const double k = 2 * std::cos(w);
    double s1 = 0;
    double s2 = 0;
    for (long i = first; i < first + count; ++i) {
        const double s0 = pcm[i * channels] + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return (s1 * s1 + s2 * s2 - k * s1 * s2) / double(count * count);
}

}  // namespace PcmAnalysis
