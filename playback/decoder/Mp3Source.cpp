#include "Mp3Source.h"

#include "ContentSniffer.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <mpg123.h>
#include <vector>

namespace {

uint32_t bigEndian32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// What the header frame an encoder writes in front of the audio says about the whole stream.
struct StreamHeader {
    enum Kind { None, Xing, Vbri } kind = None;
    int64_t frames = 0;  // audio frames after the header frame
    int samplesPerFrame = 0;
    size_t offset = 0;      // of the header frame
    size_t length = 0;      // of the header frame
    size_t end = 0;         // of the stream
    bool complete = false;  // the stream it describes is the whole file, no more and no less
};

// Two valid frame headers in a row where the first one's length says.
bool framesFollowAt(const unsigned char* data, size_t size, size_t pos) {
    if (pos + 4 > size)
        return false;
    const size_t length = ContentSniffer::mpegFrame(data + pos);
    return length >= 4 && pos + length + 4 <= size &&
           ContentSniffer::mpegFrame(data + pos + length);
}

// Reads the Xing/Info (LAME) or VBRI header of the file's first frame. Only a few pages of the
// file are touched, so opening a long song from a slow disk stays fast.
StreamHeader readStreamHeader(const unsigned char* data, size_t size) {
    StreamHeader header;
    size_t pos = ContentSniffer::id3v2Length(data, size);
    // The first frame, past any junk between the tag and the audio.
    const size_t searchEnd = std::min(size, pos + ContentSniffer::kHeadBytes);
    while (pos < searchEnd && !framesFollowAt(data, size, pos))
        ++pos;
    if (pos >= searchEnd)
        return header;
    const unsigned char* frame = data + pos;
    int samples = 0;
    const size_t frameLength = ContentSniffer::mpegFrame(frame, nullptr, &samples);
    const bool layer3 = ((frame[1] >> 1) & 3) == 1;
    if (!layer3 || pos + frameLength > size)
        return header;
    const bool mpeg1 = ((frame[1] >> 3) & 3) == 3;
    const bool mono = (frame[3] >> 6) == 3;
    const bool crc = (frame[1] & 1) == 0;
    const size_t sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    uint32_t streamBytes = 0;
    const unsigned char* xing = frame + 4 + (crc ? 2 : 0) + sideInfo;
    const unsigned char* vbri = frame + 4 + 32;
    if (xing + 16 <= frame + frameLength &&
        (std::memcmp(xing, "Xing", 4) == 0 || std::memcmp(xing, "Info", 4) == 0)) {
        const uint32_t flags = bigEndian32(xing + 4);
        // Without both counts the header cannot be checked against the file: scan instead.
        if ((flags & 3) != 3)
            return header;
        header.kind = StreamHeader::Xing;
        header.frames = bigEndian32(xing + 8);
        streamBytes = bigEndian32(xing + 12);
    } else if (vbri + 18 <= frame + frameLength && std::memcmp(vbri, "VBRI", 4) == 0) {
        header.kind = StreamHeader::Vbri;
        streamBytes = bigEndian32(vbri + 10);
        header.frames = bigEndian32(vbri + 14);
    } else {
        return header;
    }
    header.samplesPerFrame = samples;
    header.offset = pos;
    header.length = frameLength;
    // The counted bytes start at the header frame (or, when the encoder wrote the ID3v2 tag
    // itself, at the file's start). A file cut short, or one with another stream stitched on
    // after the counted bytes, is left to the scan, which counts what is really there.
    size_t end = pos + streamBytes;
    if (end > size)
        end = streamBytes;
    header.end = end;
    header.complete = header.frames > 0 && streamBytes > frameLength && end <= size &&
                      !framesFollowAt(data, size, end);
    return header;
}

// The scan counts each frame's samples at that frame's own rate; a part of the file at another
// rate (two recordings joined) plays resampled to the first, so it lasts longer or shorter in
// output frames. The frames of other rates are found by walking the frame headers.
int64_t framesAddedByRateChanges(const unsigned char* data, size_t size, int firstRate) {
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

    // The file is mapped rather than read: the header needs a few pages of it, and only a file
    // without one is walked from end to end.
    QFile file(QFile::decodeName(path.c_str()));
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (file.open(QIODevice::ReadOnly) && file.size() >= 4) {
        size = size_t(file.size());
        data = file.map(0, file.size());
    }
    const StreamHeader header = data ? readStreamHeader(data, size) : StreamHeader{};

    int64_t length = 0;
    if (header.complete && header.kind == StreamHeader::Xing &&
        int64_t(mpg123_framelength(handle)) == header.frames) {
        // libmpg123 takes the frame count and, with the LAME extension, the encoder delay and
        // padding from this header, so its length is exact without a scan.
        length = mpg123_length(handle);
        source->indexFrom_ = int64_t(header.offset + header.length);
        source->indexCount_ = header.frames;
    } else if (header.complete && header.kind == StreamHeader::Vbri) {
        // libmpg123 does not know this header and decodes its frame as one of silence.
        length = (header.frames + 1) * header.samplesPerFrame;
        source->indexFrom_ = int64_t(header.offset);
        source->indexCount_ = header.frames + 1;
    } else {
        if (mpg123_scan(handle) != MPG123_OK)
            return nullptr;
        length = mpg123_length(handle);
        if (length > 0 && data)
            length += framesAddedByRateChanges(data, size, int(rate));
    }
    if (length <= 0)
        return nullptr;

    source->indexTo_ = int64_t(header.end);
    source->path_ = path;
    source->format_ = {int(rate), 2};
    source->lengthFrames_ = length;

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

void Mp3Source::indexFrames() {
    QFile file(QFile::decodeName(path_.c_str()));
    if (!file.open(QIODevice::ReadOnly) || file.size() < indexTo_)
        return;
    const unsigned char* data = file.map(0, file.size());
    if (!data)
        return;
    // libmpg123 keeps up to 1000 entries, each one a power of two frames after the last.
    off_t step = 1;
    while (indexCount_ / step >= 1000)
        step *= 2;
    std::vector<off_t> offsets;
    offsets.reserve(size_t(indexCount_ / step + 1));
    int64_t frames = 0;
    size_t pos = size_t(indexFrom_);
    while (pos + 4 <= size_t(indexTo_)) {
        const size_t length = ContentSniffer::mpegFrame(data + pos);
        if (length < 4)
            return;  // not the unbroken run of frames the header counted: let libmpg123 parse
        if (frames % step == 0)
            offsets.push_back(off_t(pos));
        ++frames;
        pos += length;
    }
    if (frames == indexCount_)
        mpg123_set_index(handle_, offsets.data(), step, offsets.size());
}

bool Mp3Source::seek(int64_t frame) {
    frame = std::clamp<int64_t>(frame, 0, lengthFrames_);
    if (indexFrom_ >= 0 && frame > 0) {
        indexFrames();
        indexFrom_ = -1;
    }
    return mpg123_seek(handle_, off_t(frame), SEEK_SET) >= 0;
}
