#include "PcmConverter.h"

#include <SDL.h>
#include <algorithm>

PcmConverter::~PcmConverter() {
    if (stream_)
        SDL_FreeAudioStream(stream_);
}

bool PcmConverter::configure(PcmSource::Format in, int outRate) {
    if (stream_) {
        SDL_FreeAudioStream(stream_);
        stream_ = nullptr;
    }
    if (in.sampleRate <= 0 || in.channels <= 0 || outRate <= 0)
        return false;
    in_ = in;
    outRate_ = outRate;
    inFrames_ = outFrames_ = 0;
    if (in.sampleRate != outRate) {
        stream_ = SDL_NewAudioStream(AUDIO_F32SYS, 2, in.sampleRate, AUDIO_F32SYS, 2, outRate);
        if (!stream_)
            return false;
    }
    return true;
}

void PcmConverter::convert(const float* in, long frames, std::vector<float>& out) {
    std::vector<float>& target = stream_ ? stereo_ : out;
    target.resize(size_t(frames) * 2);
    float* dst = target.data();
    const int ch = in_.channels;
    if (ch == 2) {
        std::copy(in, in + frames * 2, dst);
    } else if (ch == 1) {
        for (long i = 0; i < frames; ++i)
            dst[2 * i] = dst[2 * i + 1] = in[i];
    } else {
        for (long i = 0; i < frames; ++i) {
            dst[2 * i] = in[i * ch];
            dst[2 * i + 1] = in[i * ch + 1];
        }
    }
    if (stream_) {
        SDL_AudioStreamPut(stream_, stereo_.data(), int(stereo_.size() * sizeof(float)));
        inFrames_ += frames;
        drainStream(out);
    }
}

void PcmConverter::flush(std::vector<float>& out) {
    out.clear();
    if (!stream_)
        return;
    const int64_t expected = inFrames_ * outRate_ / in_.sampleRate;
    // Silence pushes the last real frames through the filter; what it adds is cut off below.
    const std::vector<float> silence(size_t(in_.sampleRate / 50) * 2, 0.0f);
    std::vector<float> more;
    for (int round = 0; round < 10 && outFrames_ < expected; ++round) {
        SDL_AudioStreamPut(stream_, silence.data(), int(silence.size() * sizeof(float)));
        drainStream(more);
        out.insert(out.end(), more.begin(), more.end());
    }
    SDL_AudioStreamClear(stream_);
    const int64_t extra = outFrames_ - expected;
    if (extra > 0)
        out.resize(out.size() - std::min(out.size(), size_t(extra) * 2));
    outFrames_ = inFrames_ = 0;
}

void PcmConverter::reset() {
    if (stream_)
        SDL_AudioStreamClear(stream_);
    inFrames_ = outFrames_ = 0;
}

void PcmConverter::drainStream(std::vector<float>& out) {
    const int bytes = SDL_AudioStreamAvailable(stream_);
    out.resize(size_t(bytes) / sizeof(float));
    const int got = bytes > 0 ? SDL_AudioStreamGet(stream_, out.data(), bytes) : 0;
    out.resize(got > 0 ? (size_t(got) / sizeof(float)) & ~size_t(1) : 0);
    outFrames_ += int64_t(out.size() / 2);
}
