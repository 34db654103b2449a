#include "MciMedia.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <sndfile.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

namespace MciMedia {

namespace {

void putSample(AVFrame* frame, int channel, int index, double value) {
    const auto format = static_cast<AVSampleFormat>(frame->format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int channels = frame->ch_layout.nb_channels;
    uint8_t* base = frame->extended_data[planar ? channel : 0];
    const int slot = planar ? index : index * channels + channel;
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_FLT:
        reinterpret_cast<float*>(base)[slot] = static_cast<float>(value);
        break;
    case AV_SAMPLE_FMT_DBL:
        reinterpret_cast<double*>(base)[slot] = value;
        break;
    case AV_SAMPLE_FMT_S16:
        reinterpret_cast<int16_t*>(base)[slot] = static_cast<int16_t>(std::lround(value * 32767));
        break;
    case AV_SAMPLE_FMT_S32:
        reinterpret_cast<int32_t*>(base)[slot] =
            static_cast<int32_t>(std::llround(value * 2147483647.0));
        break;
    default:
        break;
    }
}

bool drain(AVCodecContext* codec, AVFormatContext* fmt, AVStream* stream, const AVFrame* frame,
           AVPacket* packet) {
    if (avcodec_send_frame(codec, frame) < 0)
        return false;
    for (;;) {
        const int r = avcodec_receive_packet(codec, packet);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
            return true;
        if (r < 0)
            return false;
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        if (av_interleaved_write_frame(fmt, packet) < 0)
            return false;
    }
}

// The encoder's first sample format that putSample() writes.
AVSampleFormat pickFormat(const AVCodec* codec) {
    if (!codec->sample_fmts)
        return AV_SAMPLE_FMT_FLTP;
    for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f) {
        switch (av_get_packed_sample_fmt(*f)) {
        case AV_SAMPLE_FMT_FLT:
        case AV_SAMPLE_FMT_DBL:
        case AV_SAMPLE_FMT_S16:
        case AV_SAMPLE_FMT_S32:
            return *f;
        default:
            break;
        }
    }
    return codec->sample_fmts[0];
}

int pickRate(const AVCodec* codec, int wanted) {
    if (!codec->supported_samplerates)
        return wanted;
    for (const int* r = codec->supported_samplerates; *r; ++r) {
        if (*r == wanted)
            return wanted;
    }
    return codec->supported_samplerates[0];
}

void appendNumber(QByteArray& out, uint32_t value) {
    char bytes[5];
    int n = 0;
    bytes[n++] = char(value & 0x7F);
    while (value >>= 7)
        bytes[n++] = char((value & 0x7F) | 0x80);
    while (n > 0)
        out.append(bytes[--n]);
}

void appendBe(QByteArray& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

QByteArray chunk(const char* id, const QByteArray& body) {
    QByteArray out(id, 4);
    appendBe(out, uint32_t(body.size()), 4);
    return out + body;
}

void appendTempo(QByteArray& track, uint32_t delta, uint32_t tempo) {
    appendNumber(track, delta);
    track.append("\xFF\x51\x03", 3);
    appendBe(track, tempo, 3);
}

void appendEnd(QByteArray& track, uint32_t delta) {
    appendNumber(track, delta);
    track.append("\xFF\x2F\x00", 3);
}

bool writeWithSndfile(const QString& path, const Tone& tone, int format) {
    SF_INFO info{};
    info.samplerate = tone.sampleRate;
    info.channels = tone.channels;
    info.format = format;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    const int64_t total = std::llround(tone.seconds * tone.sampleRate);
    std::vector<float> block;
    double phase = 0;
    bool ok = true;
    for (int64_t pos = 0; pos < total && ok; pos += 4096) {
        const int64_t n = std::min<int64_t>(4096, total - pos);
        block.assign(static_cast<size_t>(n * tone.channels), 0.0f);
        for (int64_t i = 0; i < n; ++i) {
            const float v = static_cast<float>(tone.amplitude * std::sin(phase));
            phase = std::fmod(phase + 2 * std::numbers::pi * tone.frequency / tone.sampleRate,
                              2 * std::numbers::pi);
            for (int ch = 0; ch < tone.channels; ++ch)
                block[static_cast<size_t>(i * tone.channels + ch)] = v;
        }
        ok = sf_writef_float(file, block.data(), n) == n;
    }
    return sf_close(file) == 0 && ok;
}

}  // namespace

bool writeWav(const QString& path, const Tone& tone) {
    return writeWithSndfile(path, tone, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
}

bool writeMp3(const QString& path, const Tone& tone) {
    return writeWithSndfile(path, tone, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
}

bool hasEncoder(const char* name) {
    return avcodec_find_encoder_by_name(name) != nullptr;
}

bool writeTone(const QString& path, const char* encoder, const Tone& tone) {
    const AVCodec* codec = avcodec_find_encoder_by_name(encoder);
    if (!codec)
        return false;
    const QByteArray file = QFile::encodeName(path);
    AVFormatContext* fmt = nullptr;
    if (avformat_alloc_output_context2(&fmt, nullptr, nullptr, file.constData()) < 0 || !fmt)
        return false;

    AVCodecContext* c = avcodec_alloc_context3(codec);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool ok = false;
    do {
        AVStream* stream = avformat_new_stream(fmt, nullptr);
        if (!stream || !c || !packet || !frame)
            break;
        c->sample_fmt = pickFormat(codec);
        c->sample_rate = pickRate(codec, tone.sampleRate);
        av_channel_layout_default(&c->ch_layout, tone.channels);
        c->bit_rate = 128000;
        c->time_base = AVRational{1, c->sample_rate};
        c->strict_std_compliance = FF_COMPLIANCE_EXPERIMENTAL;
        if (fmt->oformat->flags & AVFMT_GLOBALHEADER)
            c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (avcodec_open2(c, codec, nullptr) < 0)
            break;
        if (avcodec_parameters_from_context(stream->codecpar, c) < 0)
            break;
        stream->time_base = c->time_base;
        if (tone.title)
            av_dict_set(&fmt->metadata, "title", tone.title, 0);
        if (tone.trackGain) {
            av_dict_set(&fmt->metadata, tone.trackGainTag, tone.trackGain, 0);
            av_dict_set(&stream->metadata, tone.trackGainTag, tone.trackGain, 0);
        }
        if (avio_open(&fmt->pb, file.constData(), AVIO_FLAG_WRITE) < 0)
            break;
        if (avformat_write_header(fmt, nullptr) < 0)
            break;

        const bool anySize = codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE;
        const bool smallLast = anySize || (codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
        const int frameSize = c->frame_size > 0 ? c->frame_size : 1024;
        frame->format = c->sample_fmt;
        frame->sample_rate = c->sample_rate;
        frame->nb_samples = frameSize;
        av_channel_layout_copy(&frame->ch_layout, &c->ch_layout);
        if (av_frame_get_buffer(frame, 0) < 0)
            break;

        const int64_t total = std::llround(tone.seconds * c->sample_rate);
        const double glide = tone.sweepTo > 0 ? tone.sweepTo - tone.frequency : 0.0;
        double phase = 0;
        bool written = true;
        for (int64_t pos = 0; pos < total && written; pos += frameSize) {
            if (av_frame_make_writable(frame) < 0) {
                written = false;
                break;
            }
            const int n = int(std::min<int64_t>(frameSize, total - pos));
            frame->nb_samples = smallLast ? n : frameSize;
            for (int i = 0; i < frame->nb_samples; ++i) {
                double value = 0;
                if (i < n) {
                    value = tone.amplitude * std::sin(phase);
                    const double t = double(pos + i) / c->sample_rate;
                    const double f = tone.frequency + glide * t / tone.seconds;
                    phase = std::fmod(phase + 2 * std::numbers::pi * f / c->sample_rate,
                                      2 * std::numbers::pi);
                }
                for (int ch = 0; ch < tone.channels; ++ch)
                    putSample(frame, ch, i, value);
            }
            frame->pts = pos;
            written = drain(c, fmt, stream, frame, packet);
        }
        if (!written || !drain(c, fmt, stream, nullptr, packet))
            break;
        ok = av_write_trailer(fmt) == 0;
    } while (false);

    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&c);
    if (fmt->pb)
        avio_closep(&fmt->pb);
    avformat_free_context(fmt);
    return ok;
}

double midiSeconds(const Midi& midi) {
    double seconds = 0;
    for (size_t beat = 0; beat < midi.notes.size(); ++beat) {
        const bool second = midi.tempoChangeBeat >= 0 && int(beat) >= midi.tempoChangeBeat;
        seconds += (second ? midi.secondTempo : midi.tempo) / 1e6;
    }
    return seconds;
}

QByteArray midiFile(const Midi& midi) {
    const uint32_t beat = uint32_t(midi.ticksPerQuarter);
    const uint32_t gap = beat / 8;  // each note is released a little before the next starts
    const uint32_t totalTicks = beat * uint32_t(midi.notes.size());

    QByteArray tempoTrack;
    appendTempo(tempoTrack, 0, midi.tempo);
    uint32_t tempoTick = 0;
    if (midi.tempoChangeBeat >= 0) {
        tempoTick = beat * uint32_t(midi.tempoChangeBeat);
        appendTempo(tempoTrack, tempoTick, midi.secondTempo);
    }

    QByteArray notes;
    appendNumber(notes, 0);
    notes.append(char(0xC0));
    notes.append(char(midi.program));
    for (const int note : midi.notes) {
        appendNumber(notes, 0);
        notes.append(char(0x90));
        notes.append(char(note));
        notes.append(char(100));
        appendNumber(notes, beat - gap);
        notes.append(char(0x80));
        notes.append(char(note));
        notes.append(char(0));
        appendNumber(notes, gap);
        // A silent controller keeps the last tick on a channel event in every track.
        notes.append(char(0xB0));
        notes.append(char(1));
        notes.append(char(0));
    }

    QByteArray header;
    appendBe(header, uint32_t(midi.format), 2);
    appendBe(header, midi.format == 0 ? 1 : 2, 2);
    appendBe(header, beat, 2);
    QByteArray out = chunk("MThd", header);
    if (midi.format == 0) {
        // One track: the tempo change has to sit between the notes in time order.
        QByteArray track;
        appendTempo(track, 0, midi.tempo);
        uint32_t tick = 0;
        appendNumber(track, 0);
        track.append(char(0xC0));
        track.append(char(midi.program));
        for (size_t i = 0; i < midi.notes.size(); ++i) {
            const uint32_t start = beat * uint32_t(i);
            if (midi.tempoChangeBeat >= 0 && start == tempoTick && tempoTick > 0) {
                appendTempo(track, start - tick, midi.secondTempo);
                tick = start;
            }
            appendNumber(track, start - tick);
            track.append(char(0x90));
            track.append(char(midi.notes[i]));
            track.append(char(100));
            appendNumber(track, beat - gap);
            track.append(char(0x80));
            track.append(char(midi.notes[i]));
            track.append(char(0));
            tick = start + beat - gap;
        }
        appendEnd(track, totalTicks - tick);
        return out + chunk("MTrk", track);
    }
    // The tempo track ends early, so the length has to come from the note track.
    appendEnd(tempoTrack, 0);
    appendEnd(notes, 0);
    return out + chunk("MTrk", tempoTrack) + chunk("MTrk", notes);
}

}  // namespace MciMedia
