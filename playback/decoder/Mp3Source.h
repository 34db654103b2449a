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
    // Hands libmpg123 the byte offset of every frame, from a walk over the frame headers.
    void indexFrames();

    mpg123_handle_struct* handle_;
    std::string path_;
    // A file opened by its header has no frame index yet: without one libmpg123 reaches a
    // far position by parsing every frame before it (0.15 s an hour), so the first seek
    // builds one from the bytes [indexFrom_, indexTo_), which must hold indexCount_ frames.
    int64_t indexFrom_ = -1;
    int64_t indexTo_ = 0;
    int64_t indexCount_ = 0;
    Format format_;
    int64_t lengthFrames_ = 0;
    int bitrate_ = 0;
};
