#pragma once

#include "playback/output/PcmSource.h"

#include <memory>
#include <string>

struct mpg123_handle_struct;

// MPEG audio through libmpg123, always decoded to stereo float (mono is doubled by the
// decoder). The length is exact: taken from the Xing/Info (LAME) or VBRI header when the file
// has one that covers it, else from a scan of the whole file. The encoder delay and padding a
// LAME header records are cut off, so the samples are exactly those that were encoded, and
// seeks land on the sample asked for.
class Mp3Source : public PcmSource {
public:
    // Null when the file cannot be opened or holds no decodable frame.
    static std::unique_ptr<Mp3Source> open(const std::string& path);
    ~Mp3Source() override;

    Format format() const override { return format_; }
    int64_t lengthFrames() const override { return lengthFrames_; }
    long read(float* out, long frames) override;
    bool seek(int64_t frame) override;
    int bitrate() const override { return bitrate_; }

private:
    explicit Mp3Source(mpg123_handle_struct* handle) : handle_(handle) {}

    mpg123_handle_struct* handle_;
    Format format_;
    int64_t lengthFrames_ = 0;
    int bitrate_ = 0;
};
