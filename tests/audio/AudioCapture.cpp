#include "AudioCapture.h"

#include "playback/output/SoundSystem.h"

#include <cmath>
#include <cstdlib>
#include <fstream>

namespace {
constexpr float kSilence = 1e-4f;
}

AudioCapture::AudioCapture(std::string path) : path_(std::move(path)) {}

void AudioCapture::arm() const {
    setenv("SDL_DISKAUDIOFILE", path_.c_str(), 1);
}

bool AudioCapture::load() {
    if (!SoundSystem::closeDeviceIfIdle())
        return false;
    std::ifstream in(path_, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    const auto bytes = size_t(in.tellg());
    in.seekg(0);
    samples_.assign(bytes / sizeof(float), 0.0f);
    return bool(in.read(reinterpret_cast<char*>(samples_.data()),
                        std::streamsize(samples_.size() * sizeof(float))));
}

long AudioCapture::firstSound() const {
    for (size_t i = 0; i < samples_.size(); ++i)
        if (std::fabs(samples_[i]) > kSilence)
            return long(i / 2);
    return -1;
}

std::vector<float> AudioCapture::soundOf(int channel, long marginFrames) const {
    long first = -1, last = -1;
    for (long f = 0; f < frames(); ++f) {
        if (std::fabs(samples_[size_t(2 * f)]) > kSilence ||
            std::fabs(samples_[size_t(2 * f + 1)]) > kSilence) {
            if (first < 0)
                first = f;
            last = f;
        }
    }
    std::vector<float> out;
    for (long f = first + marginFrames; first >= 0 && f <= last - marginFrames; ++f)
        out.push_back(samples_[size_t(2 * f + channel)]);
    return out;
}

double AudioCapture::frequency(const std::vector<float>& channel, int rate) {
    long firstRise = -1, lastRise = -1, rises = 0;
    for (size_t i = 1; i < channel.size(); ++i) {
        if (channel[i - 1] < 0.0f && channel[i] >= 0.0f) {
            if (firstRise < 0)
                firstRise = long(i);
            lastRise = long(i);
            ++rises;
        }
    }
    if (rises < 2)
        return 0.0;
    return double(rises - 1) * rate / double(lastRise - firstRise);
}

double AudioCapture::amplitude(const std::vector<float>& channel) {
    if (channel.empty())
        return 0.0;
    double sum = 0.0;
    for (float s : channel)
        sum += double(s) * s;
    return std::sqrt(sum / double(channel.size())) * std::sqrt(2.0);
}
