#include "ToneFiles.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sndfile.h>
#include <vector>

namespace {
int subformat(ToneFiles::WavEncoding encoding) {
    switch (encoding) {
    case ToneFiles::WavEncoding::PcmU8:
        return SF_FORMAT_PCM_U8;
    case ToneFiles::WavEncoding::Pcm16:
        return SF_FORMAT_PCM_16;
    case ToneFiles::WavEncoding::Pcm24:
        return SF_FORMAT_PCM_24;
    case ToneFiles::WavEncoding::Pcm32:
        return SF_FORMAT_PCM_32;
    case ToneFiles::WavEncoding::Float:
        return SF_FORMAT_FLOAT;
    }
    return SF_FORMAT_PCM_16;
}

bool writeFrames(SNDFILE* file, const ToneSpec& tone) {
    const long total = long(std::lround(tone.seconds * tone.sampleRate));
    constexpr long kBlock = 4096;
    std::vector<float> block(size_t(kBlock) * size_t(tone.channels));
    for (long start = 0; start < total; start += kBlock) {
        const long frames = std::min(kBlock, total - start);
        for (long i = 0; i < frames; ++i)
            for (int c = 0; c < tone.channels; ++c)
                block[size_t(i) * size_t(tone.channels) + size_t(c)] =
                    float(ToneFiles::sampleAt(tone, c, tone.firstFrame + start + i));
        if (sf_writef_float(file, block.data(), frames) != frames)
            return false;
    }
    return true;
}

bool writeFile(const std::string& path, const ToneSpec& tone, int format, int kbps) {
    SF_INFO info{};
    info.samplerate = tone.sampleRate;
    info.channels = tone.channels;
    info.format = format;
    if (!sf_format_check(&info))
        return false;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    if (kbps > 0) {
        int mode = SF_BITRATE_MODE_CONSTANT;
        sf_command(file, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
        // The level runs from the highest bit rate (0) to the lowest (1); for MPEG-1 rates
        // (32 kHz and up) that is 320 to 32 kbit/s, in a straight line. Lower rates are
        // MPEG-2 with a smaller range, so there the result is only near `kbps`.
        double level = std::clamp((320.0 - kbps) / (320.0 - 32.0), 0.0, 1.0);
        sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
    }
    // Clipping instead of wrapping when a float sample reaches full scale.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const bool ok = writeFrames(file, tone);
    return sf_close(file) == 0 && ok;
}
}  // namespace

double ToneFiles::sampleAt(const ToneSpec& tone, int channel, long frame) {
    const int c = std::min(channel, 1);
    const double t = double(frame) / tone.sampleRate;
    const double f = tone.frequency[c];
    double phase = 2.0 * std::numbers::pi * f * t;
    if (tone.changeAtSecond >= 0 && t >= tone.changeAtSecond) {
        // Phase-continuous change of frequency.
        const double before = 2.0 * std::numbers::pi * f * tone.changeAtSecond;
        phase = before + 2.0 * std::numbers::pi * f * tone.laterFactor * (t - tone.changeAtSecond);
    }
    return tone.amplitude[c] * std::sin(phase);
}

bool ToneFiles::writeWav(const std::string& path, const ToneSpec& tone, WavEncoding encoding) {
    return writeFile(path, tone, SF_FORMAT_WAV | subformat(encoding), 0);
}

bool ToneFiles::writeMp3(const std::string& path, const ToneSpec& tone, int kbps) {
    return writeFile(path, tone, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, std::max(kbps, 8));
}

bool ToneFiles::canWriteMp3() {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    return sf_format_check(&info) != 0;
}
