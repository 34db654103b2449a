#include "Mp3Source.h"

#include "ContentSniffer.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mpg123.h>

namespace {

// The scan counts each frame's samples at that frame's own rate; a part of the file at another
// rate (two recordings joined) plays resampled to the first, so it lasts longer or shorter in
// output frames. The frames of other rates are found by walking the frame headers.
int64_t framesAddedByRateChanges(const std::string& path, int firstRate) {
    QFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::ReadOnly) || file.size() < 4)
        return 0;
    const size_t size = size_t(file.size());
    const unsigned char* data = file.map(0, file.size());
    if (!data)
        return 0;
    double extra = 0;
    size_t pos = ContentSniffer::id3v2Length(data, size);
    while (pos + 4 <= size) {
        int rate = 0;
        int samples = 0;
        const size_t length = ContentSniffer::mpegFrame(data + pos, &rate, &samples);
        // A frame counts when the next one follows where its length says (or the file ends);
        // anything else is resynchronised over byte by byte, as the decoder does.
        if (length < 4 ||
            (pos + length + 4 <= size && ContentSniffer::mpegFrame(data + pos + length) == 0)) {
            ++pos;
            continue;
        }
        if (rate != firstRate)
            extra += samples * (double(firstRate) / rate - 1.0);
        pos += length;
    }
    return std::llround(extra);
}

}  // namespace

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
    // A later part at another rate is resampled to this one by the decoder, so it neither
    // plays at the wrong speed nor makes the output reopen in the middle of the song.
    mpg123_param(handle, MPG123_FORCE_RATE, rate, 0.0);
    if (mpg123_scan(handle) != MPG123_OK)
        return nullptr;
    const off_t length = mpg123_length(handle);
    if (length <= 0)
        return nullptr;

    source->format_ = {int(rate), 2};
    source->lengthFrames_ = int64_t(length) + framesAddedByRateChanges(path, int(rate));

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
