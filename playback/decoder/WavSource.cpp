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
}  // namespace

std::unique_ptr<WavSource> WavSource::open(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return nullptr;
    std::unique_ptr<WavSource> source(new WavSource(file));
    if (info.frames <= 0 || info.channels <= 0 || info.samplerate <= 0)
        return nullptr;
    source->format_ = {info.samplerate, info.channels};
    source->lengthFrames_ = info.frames;
    source->bitrate_ =
        int(int64_t(info.samplerate) * info.channels * bitsPerSample(info.format) / 1000);
    return source;
}

WavSource::~WavSource() {
    sf_close(file_);
}

long WavSource::read(float* out, long frames) {
    return long(sf_readf_float(file_, out, frames));
}

bool WavSource::seek(int64_t frame) {
    return sf_seek(file_, std::clamp<int64_t>(frame, 0, lengthFrames_), SEEK_SET) >= 0;
}
