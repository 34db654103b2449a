#pragma once

#include "playback/output/PcmSource.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVPacket;
struct AVFrame;
struct SwrContext;

// Every compressed format FFmpeg knows (WMA, Ogg, FLAC, M4A, Opus, APE …) as interleaved float
// at the stream's own rate; more than two channels are mixed down to stereo.
class FfmpegSource : public PcmSource {
public:
    // nullptr when the file cannot be read or holds no decodable audio.
    static std::unique_ptr<FfmpegSource> open(const QString& path);
    // The container's tag (Matroska, DSF and DSDIFF ID3, TAK and TTA APE tags and the like)
    // without decoding: title, artist, album, track, date, album artist. False when the file
    // does not open.
    static bool readTags(const QString& path, QStringList& fields);
    ~FfmpegSource() override;
    FfmpegSource(const FfmpegSource&) = delete;
    FfmpegSource& operator=(const FfmpegSource&) = delete;

    Format format() const override { return format_; }
    int64_t lengthFrames() const override { return lengthFrames_; }
    long read(float* out, long frames) override;
    bool seek(int64_t frame) override;
    int bitrate() const override { return bitrate_; }

private:
    FfmpegSource() = default;
    bool init(const QString& path);
    // Decodes until some samples are pending or the stream has ended. False at the end.
    bool refill();
    bool convertFrame();
    int64_t frameStart() const;

    AVFormatContext* fmt_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    SwrContext* swr_ = nullptr;
    int streamIndex_ = -1;
    int swrInRate_ = 0;
    int swrInFormat_ = -1;
    int swrInChannels_ = 0;

    Format format_;
    int64_t lengthFrames_ = -1;
    int bitrate_ = 0;

    std::vector<float> pending_;  // converted samples not yet handed out
    size_t pendingPos_ = 0;       // in floats
    int64_t origin_ = 0;          // stream time of the first sample
    bool originKnown_ = false;
    bool rawAc3_ = false;        // stamps estimated from the file position after a seek
    int64_t nextFrame_ = 0;      // stream position of the next decoded sample
    int64_t discardUntil_ = -1;  // after a seek: drop samples before this frame
    bool demuxEnded_ = false;
    bool decoderEnded_ = false;
};
