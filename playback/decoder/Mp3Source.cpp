#include "Mp3Source.h"

#include <algorithm>
#include <filesystem>
#include <mpg123.h>

std::unique_ptr<Mp3Source> Mp3Source::open(const std::string& path) {
    int error = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (!handle)
        return nullptr;
    std::unique_ptr<Mp3Source> source(new Mp3Source(handle));

    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    mpg123_format_none(handle);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(handle, rates[i], MPG123_STEREO, MPG123_ENC_FLOAT_32);

    if (mpg123_open(handle, path.c_str()) != MPG123_OK)
        return nullptr;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
        channels != 2 || encoding != MPG123_ENC_FLOAT_32)
        return nullptr;
    if (mpg123_scan(handle) != MPG123_OK)
        return nullptr;
    const off_t length = mpg123_length(handle);
    if (length <= 0)
        return nullptr;

    source->format_ = {int(rate), 2};
    source->lengthFrames_ = int64_t(length);

    mpg123_frameinfo info{};
    if (mpg123_info(handle, &info) == MPG123_OK) {
        if (info.vbr == MPG123_ABR)
            source->bitrate_ = info.abr_rate;
        else if (info.vbr == MPG123_CBR)
            source->bitrate_ = info.bitrate;
    }
    if (source->bitrate_ <= 0) {
        // Variable rate: the average over the file.
        std::error_code ec;
        const auto bytes = std::filesystem::file_size(path, ec);
        if (!ec)
            source->bitrate_ =
                int(double(bytes) * 8.0 * double(rate) / double(length) / 1000.0 + 0.5);
    }
    return source;
}

Mp3Source::~Mp3Source() {
    mpg123_close(handle_);
    mpg123_delete(handle_);
}

long Mp3Source::read(float* out, long frames) {
    auto* bytes = reinterpret_cast<unsigned char*>(out);
    const size_t wanted = size_t(frames) * 2 * sizeof(float);
    size_t total = 0;
    while (total < wanted) {
        size_t done = 0;
        const int result = mpg123_read(handle_, bytes + total, wanted - total, &done);
        total += done;
        if (result == MPG123_NEW_FORMAT || (result == MPG123_OK && done > 0))
            continue;
        // End of track, an error, or a decoder that gives nothing more: stop here.
        break;
    }
    const long got = long(total / (2 * sizeof(float)));
    return got;
}

bool Mp3Source::seek(int64_t frame) {
    frame = std::clamp<int64_t>(frame, 0, lengthFrames_);
    return mpg123_seek(handle_, off_t(frame), SEEK_SET) >= 0;
}
