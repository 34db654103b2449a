#include "WavSource.h"

#include <algorithm>
#include <sndfile.h>

namespace {
int bitsPerSample(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
        return 8;
    case SF_FORMAT_PCM_16:
        return 16;
    case SF_FORMAT_PCM_24:
        return 24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 32;
    case SF_FORMAT_DOUBLE:
        return 64;
    default:
        return 0;
    }
}
StereoDownmix::Place placeOf(int speaker) {
    using P = StereoDownmix::Place;
    switch (speaker) {
    case SF_CHANNEL_MAP_LEFT:
    case SF_CHANNEL_MAP_FRONT_LEFT:
    case SF_CHANNEL_MAP_FRONT_LEFT_OF_CENTER:
        return P::Left;
    case SF_CHANNEL_MAP_RIGHT:
    case SF_CHANNEL_MAP_FRONT_RIGHT:
    case SF_CHANNEL_MAP_FRONT_RIGHT_OF_CENTER:
        return P::Right;
    case SF_CHANNEL_MAP_MONO:
    case SF_CHANNEL_MAP_CENTER:
    case SF_CHANNEL_MAP_FRONT_CENTER:
    case SF_CHANNEL_MAP_TOP_CENTER:
    case SF_CHANNEL_MAP_TOP_FRONT_CENTER:
    case SF_CHANNEL_MAP_AMBISONIC_B_W:
        return P::Centre;
    case SF_CHANNEL_MAP_REAR_CENTER:
    case SF_CHANNEL_MAP_TOP_REAR_CENTER:
        return P::BackCentre;
    case SF_CHANNEL_MAP_REAR_LEFT:
    case SF_CHANNEL_MAP_SIDE_LEFT:
    case SF_CHANNEL_MAP_TOP_FRONT_LEFT:
    case SF_CHANNEL_MAP_TOP_REAR_LEFT:
        return P::SurroundLeft;
    case SF_CHANNEL_MAP_REAR_RIGHT:
    case SF_CHANNEL_MAP_SIDE_RIGHT:
    case SF_CHANNEL_MAP_TOP_FRONT_RIGHT:
    case SF_CHANNEL_MAP_TOP_REAR_RIGHT:
        return P::SurroundRight;
    case SF_CHANNEL_MAP_LFE:
    case SF_CHANNEL_MAP_AMBISONIC_B_X:
    case SF_CHANNEL_MAP_AMBISONIC_B_Y:
    case SF_CHANNEL_MAP_AMBISONIC_B_Z:
        return P::Dropped;
    default:
        return P::Unknown;
    }
}

std::vector<StereoDownmix::Place> layoutOf(SNDFILE* file, int channels) {
    std::vector<int> map(size_t(channels), SF_CHANNEL_MAP_INVALID);
    if (sf_command(file, SFC_GET_CHANNEL_MAP_INFO, map.data(), int(map.size() * sizeof(int))) !=
        SF_TRUE)
        return StereoDownmix::defaultLayout(channels);
    std::vector<StereoDownmix::Place> layout;
    for (const int speaker : map)
        layout.push_back(placeOf(speaker));
    return layout;
}

}  // namespace

std::unique_ptr<WavSource> WavSource::open(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return nullptr;
    std::unique_ptr<WavSource> source(new WavSource(file));
    if (info.frames <= 0 || info.channels <= 0 || info.samplerate <= 0)
        return nullptr;
    source->format_ = {info.samplerate, std::min(info.channels, 2)};
    if (info.channels > 2)
        source->downmix_.emplace(layoutOf(file, info.channels));
    source->lengthFrames_ = info.frames;
    source->bitrate_ =
        int(int64_t(info.samplerate) * info.channels * bitsPerSample(info.format) / 1000);
    return source;
}

WavSource::~WavSource() {
    sf_close(file_);
}

long WavSource::read(float* out, long frames) {
    if (!downmix_)
        return long(sf_readf_float(file_, out, frames));
    wide_.resize(size_t(frames) * size_t(downmix_->channels()));
    const long got = long(sf_readf_float(file_, wide_.data(), frames));
    if (got > 0)
        downmix_->mix(wide_.data(), got, out);
    return got;
}

bool WavSource::seek(int64_t frame) {
    return sf_seek(file_, std::clamp<int64_t>(frame, 0, lengthFrames_), SEEK_SET) >= 0;
}
