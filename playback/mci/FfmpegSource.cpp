#include "FfmpegSource.h"

#include "core/FileAccess.h"
#include "playback/output/ReplayGain.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/replaygain.h>
#include <libswresample/swresample.h>
}

namespace {

// Broken files are reported through open()'s result; FFmpeg's own chatter only clutters the
// terminal the player was started from.
void quietenFfmpeg() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_FATAL); });
}

// A lossy decoder needs a little audio before the target to rebuild its overlap after a flush.
constexpr int kPrerollMs = 100;
constexpr int kMaxRate = 96000;

// The gains and peaks FFmpeg found: the side data its demuxers make of ReplayGain tags and of
// an MP3's LAME header (MP3, FLAC, APE), else the tag text itself, which Vorbis comments (Ogg,
// Opus, FLAC), APE tags and MP4 atoms leave in the stream's or the file's metadata.
ReplayGainTags replayGainOf(const AVFormatContext* format, const AVStream* stream) {
    ReplayGainTags tags;
    const auto dB = [](int32_t gain) -> std::optional<float> {
        if (gain == INT32_MIN)
            return std::nullopt;
        return std::clamp(float(gain) / 100000.0f, -ReplayGain::kMaxDb, ReplayGain::kMaxDb);
    };
    const auto peak = [](uint32_t value) -> std::optional<float> {
        const float linear = float(value) / 100000.0f;
        return value > 0 && linear <= 64 ? std::optional<float>(linear) : std::nullopt;
    };
    size_t size = 0;
    const uint8_t* data = av_stream_get_side_data(stream, AV_PKT_DATA_REPLAYGAIN, &size);
    if (data && size >= sizeof(AVReplayGain)) {
        const auto* gain = reinterpret_cast<const AVReplayGain*>(data);
        tags = {dB(gain->track_gain), dB(gain->album_gain), peak(gain->track_peak),
                peak(gain->album_peak)};
    }
    const struct {
        const char* key;
        std::optional<float> ReplayGainTags::*field;
        std::optional<float> (*parse)(std::string_view);
    } fields[] = {{"REPLAYGAIN_TRACK_GAIN", &ReplayGainTags::trackDb, ReplayGain::parseDb},
                  {"REPLAYGAIN_ALBUM_GAIN", &ReplayGainTags::albumDb, ReplayGain::parseDb},
                  {"REPLAYGAIN_TRACK_PEAK", &ReplayGainTags::trackPeak, ReplayGain::parsePeak},
                  {"REPLAYGAIN_ALBUM_PEAK", &ReplayGainTags::albumPeak, ReplayGain::parsePeak},
                  // Opus taggers write the EBU R128 form instead.
                  {"R128_TRACK_GAIN", &ReplayGainTags::trackDb, ReplayGain::parseR128Db},
                  {"R128_ALBUM_GAIN", &ReplayGainTags::albumDb, ReplayGain::parseR128Db}};
    for (const auto& f : fields) {
        for (AVDictionary* metadata : {stream->metadata, format->metadata}) {
            // Keys match in any letter case unless AV_DICT_MATCH_CASE is given.
            const AVDictionaryEntry* entry = av_dict_get(metadata, f.key, nullptr, 0);
            if (entry && !(tags.*f.field))
                tags.*f.field = f.parse(entry->value);
        }
    }
    return tags;
}

bool openInput(const QString& path, AVFormatContext** fmt) {
    if (path.isEmpty())
        return false;
    // The "file:" prefix keeps a colon in a file name from being read as a protocol, and the
    // whitelist keeps playlist-like containers from reaching anything but local files.
    const QByteArray url = QByteArrayLiteral("file:") + modZAUtil::NativePath(path);
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const int opened = avformat_open_input(fmt, url.constData(), nullptr, &options);
    av_dict_free(&options);
    return opened >= 0;
}

}  // namespace

bool FfmpegSource::readTags(const QString& path, QStringList& fields) {
    quietenFfmpeg();
    AVFormatContext* fmt = nullptr;
    if (!openInput(path, &fmt))
        return false;
    const int audio = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    fields.clear();
    // Keys in any letter case: Matroska's TITLE, an ID3 tag's title.
    for (const char* key : {"title", "artist", "album", "track", "date", "album_artist"}) {
        const AVDictionaryEntry* entry = av_dict_get(fmt->metadata, key, nullptr, 0);
        if (!entry && audio >= 0)
            entry = av_dict_get(fmt->streams[audio]->metadata, key, nullptr, 0);
        fields << (entry ? QString::fromUtf8(entry->value) : QString());
    }
    avformat_close_input(&fmt);
    return true;
}

std::unique_ptr<FfmpegSource> FfmpegSource::open(const QString& path) {
    quietenFfmpeg();
    std::unique_ptr<FfmpegSource> source(new FfmpegSource);
    if (!source->init(path))
        return nullptr;
    return source;
}

FfmpegSource::~FfmpegSource() {
    swr_free(&swr_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    avformat_close_input(&fmt_);
}

bool FfmpegSource::init(const QString& path) {
    if (!openInput(path, &fmt_))
        return false;
    if (avformat_find_stream_info(fmt_, nullptr) < 0)
        return false;

    const AVCodec* decoder = nullptr;
    streamIndex_ = av_find_best_stream(fmt_, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (streamIndex_ < 0 || !decoder)
        return false;
    for (unsigned i = 0; i < fmt_->nb_streams; ++i) {
        if (static_cast<int>(i) != streamIndex_)
            fmt_->streams[i]->discard = AVDISCARD_ALL;
    }
    AVStream* stream = fmt_->streams[streamIndex_];

    codec_ = avcodec_alloc_context3(decoder);
    if (!codec_ || avcodec_parameters_to_context(codec_, stream->codecpar) < 0)
        return false;
    codec_->pkt_timebase = stream->time_base;
    if (avcodec_open2(codec_, decoder, nullptr) < 0)
        return false;
    if (codec_->sample_rate <= 0 || codec_->ch_layout.nb_channels <= 0)
        return false;

    // DSD decodes to PCM at an eighth of its bit rate (352.8 kHz and up), more than a sound
    // server takes: such rates are resampled to a half, quarter … at or below 96 kHz.
    format_.sampleRate = codec_->sample_rate;
    while (format_.sampleRate > kMaxRate)
        format_.sampleRate /= 2;
    format_.channels = std::min(codec_->ch_layout.nb_channels, 2);

    const AVRational sampleBase{1, format_.sampleRate};
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        lengthFrames_ = av_rescale_q(stream->duration, stream->time_base, sampleBase);
    else if (fmt_->duration != AV_NOPTS_VALUE && fmt_->duration > 0)
        lengthFrames_ = av_rescale(fmt_->duration, format_.sampleRate, AV_TIME_BASE);

    const int64_t bits = fmt_->bit_rate > 0 ? fmt_->bit_rate : stream->codecpar->bit_rate;
    bitrate_ = static_cast<int>(std::max<int64_t>(0, bits) / 1000);

    setReplayGain(replayGainOf(fmt_, stream));

    rawAc3_ = std::strcmp(fmt_->iformat->name, "ac3") == 0 ||
              std::strcmp(fmt_->iformat->name, "eac3") == 0;
    origin_ = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (!packet_ || !frame_)
        return false;

    // A text file or a cut-off header can get this far; only a decoded frame proves audio.
    return refill();
}

int64_t FfmpegSource::frameStart() const {
    const int64_t ts = frame_->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE)
        return nextFrame_;
    const AVStream* stream = fmt_->streams[streamIndex_];
    return av_rescale_q(ts - origin_, stream->time_base, AVRational{1, format_.sampleRate});
}

bool FfmpegSource::convertFrame() {
    const int inChannels = frame_->ch_layout.nb_channels;
    if (frame_->nb_samples <= 0 || inChannels <= 0 || frame_->sample_rate <= 0)
        return true;
    if (!swr_ || frame_->sample_rate != swrInRate_ || frame_->format != swrInFormat_ ||
        inChannels != swrInChannels_) {
        swr_free(&swr_);
        AVChannelLayout outLayout;
        av_channel_layout_default(&outLayout, format_.channels);
        AVChannelLayout inLayout;
        if (frame_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC ||
            av_channel_layout_copy(&inLayout, &frame_->ch_layout) < 0)
            av_channel_layout_default(&inLayout, inChannels);
        const int made = swr_alloc_set_opts2(
            &swr_, &outLayout, AV_SAMPLE_FMT_FLT, format_.sampleRate, &inLayout,
            static_cast<AVSampleFormat>(frame_->format), frame_->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&inLayout);
        av_channel_layout_uninit(&outLayout);
        if (made < 0 || swr_init(swr_) < 0) {
            swr_free(&swr_);
            return false;
        }
        swrInRate_ = frame_->sample_rate;
        swrInFormat_ = frame_->format;
        swrInChannels_ = inChannels;
    }

    const int channels = format_.channels;
    const int room = swr_get_out_samples(swr_, frame_->nb_samples);
    if (room <= 0)
        return true;
    const size_t base = pending_.size();
    pending_.resize(base + static_cast<size_t>(room) * channels);
    auto* outPlane = reinterpret_cast<uint8_t*>(pending_.data() + base);
    const int got =
        swr_convert(swr_, &outPlane, room, const_cast<const uint8_t**>(frame_->extended_data),
                    frame_->nb_samples);
    if (got < 0) {
        pending_.resize(base);
        return false;
    }
    pending_.resize(base + static_cast<size_t>(got) * channels);

    if (!originKnown_) {
        // Containers do not agree on where the first sample lies (ASF puts it a few frames
        // after its start time); the first decoded frame is position 0 by definition.
        originKnown_ = true;
        if (frame_->best_effort_timestamp != AV_NOPTS_VALUE)
            origin_ = frame_->best_effort_timestamp;
    }
    if (discardUntil_ >= 0) {
        // The first frame after a seek tells where the demuxer really landed.
        nextFrame_ = frameStart();
        // ASF stamps packets in milliseconds, coarser than a sample, and a raw stream (AC-3)
        // only estimates the stamp from where in the file it landed; their codecs cut the
        // stream into equal frames from the start, so the true start is the nearest frame.
        const AVStream* stream = fmt_->streams[streamIndex_];
        if (av_cmp_q(stream->time_base, AVRational{1, format_.sampleRate}) > 0 || rawAc3_)
            nextFrame_ = std::llround(double(nextFrame_) / got) * got;
        if (nextFrame_ + got <= discardUntil_) {
            pending_.resize(base);
        } else {
            if (nextFrame_ < discardUntil_)
                pendingPos_ = base + static_cast<size_t>(discardUntil_ - nextFrame_) * channels;
            discardUntil_ = -1;
        }
    }
    nextFrame_ += got;
    return true;
}

bool FfmpegSource::refill() {
    while (pendingPos_ >= pending_.size()) {
        pending_.clear();
        pendingPos_ = 0;
        if (decoderEnded_)
            return false;

        int result = avcodec_receive_frame(codec_, frame_);
        if (result == 0) {
            const bool converted = convertFrame();
            av_frame_unref(frame_);
            if (!converted) {
                decoderEnded_ = true;
                return false;
            }
            continue;
        }
        if (result != AVERROR(EAGAIN)) {
            // AVERROR_EOF after the flush, or a decoder that gave up: either way the end.
            decoderEnded_ = true;
            return false;
        }

        result = av_read_frame(fmt_, packet_);
        if (result < 0) {
            demuxEnded_ = true;
            avcodec_send_packet(codec_, nullptr);
            continue;
        }
        if (packet_->stream_index == streamIndex_)
            avcodec_send_packet(codec_, packet_);  // a damaged packet is skipped
        av_packet_unref(packet_);
    }
    return true;
}

long FfmpegSource::read(float* out, long frames) {
    const size_t channels = static_cast<size_t>(format_.channels);
    long done = 0;
    while (done < frames) {
        if (pendingPos_ >= pending_.size() && !refill())
            break;
        const size_t available = (pending_.size() - pendingPos_) / channels;
        const size_t n = std::min<size_t>(available, static_cast<size_t>(frames - done));
        std::memcpy(out + static_cast<size_t>(done) * channels, pending_.data() + pendingPos_,
                    n * channels * sizeof(float));
        pendingPos_ += n * channels;
        done += static_cast<long>(n);
    }
    return done;
}

bool FfmpegSource::seek(int64_t frame) {
    frame = std::max<int64_t>(frame, 0);
    if (lengthFrames_ >= 0)
        frame = std::min(frame, lengthFrames_);
    // May lie before the start: priming packets (AAC, Opus) sit at negative times.
    const int64_t from = frame - int64_t(format_.sampleRate) * kPrerollMs / 1000;

    const AVStream* stream = fmt_->streams[streamIndex_];
    const int64_t ts =
        origin_ + av_rescale_q(from, AVRational{1, format_.sampleRate}, stream->time_base);
    if (av_seek_frame(fmt_, streamIndex_, ts, AVSEEK_FLAG_BACKWARD) < 0) {
        const int64_t fileStart = fmt_->start_time != AV_NOPTS_VALUE ? fmt_->start_time : 0;
        const int64_t t = fileStart + av_rescale(from, AV_TIME_BASE, format_.sampleRate);
        // Raw streams (WavPack, TTA, MP2, AC-3) have nothing before their start to land on.
        if (avformat_seek_file(fmt_, -1, INT64_MIN, t, std::max(t, fileStart), 0) < 0)
            return false;
    }
    avcodec_flush_buffers(codec_);
    if (swr_)
        swr_init(swr_);
    pending_.clear();
    pendingPos_ = 0;
    demuxEnded_ = false;
    decoderEnded_ = false;
    nextFrame_ = std::max<int64_t>(from, 0);
    discardUntil_ = frame;
    return true;
}
