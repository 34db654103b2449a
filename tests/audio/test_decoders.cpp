#include "AudioTestSupport.h"
#include "playback/decoder/ContentSniffer.h"
#include "playback/decoder/Mp3Source.h"
#include "playback/decoder/PcmSourceFactory.h"
#include "playback/decoder/WavSource.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <vector>

namespace {

std::vector<float> readFrames(PcmSource& source, long frames) {
    const int ch = source.format().channels;
    std::vector<float> out(size_t(frames) * size_t(ch));
    long done = 0;
    while (done < frames) {
        const long got = source.read(out.data() + size_t(done) * size_t(ch), frames - done);
        if (got <= 0)
            break;
        done += got;
    }
    out.resize(size_t(done) * size_t(ch));
    return out;
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class DecoderTest : public ::testing::Test {
protected:
    std::string path(const char* name) const { return tempPath(dir, name); }
    TempDir dir;
};

TEST_F(DecoderTest, Mp3LengthIsExactAndBitRateIsTheFiles) {
    ToneSpec tone;
    tone.seconds = 2.0;
    for (int kbps : {96, 128, 192, 320}) {
        SCOPED_TRACE(kbps);
        const std::string file = path("len.mp3");
        ASSERT_TRUE(ToneFiles::writeMp3(file, tone, kbps));
        auto source = Mp3Source::open(file);
        ASSERT_TRUE(source);
        EXPECT_EQ(source->format().sampleRate, 44100);
        EXPECT_EQ(source->format().channels, 2);
        EXPECT_EQ(source->lengthFrames(), 88200);
        EXPECT_EQ(source->bitrate(), kbps);
        // The decoder gives exactly the frames it announced.
        EXPECT_EQ(readFrames(*source, 100000).size(), size_t(88200 * 2));
    }
}

// Also in a song long enough for the frame index to keep only every second frame or fewer.
TEST_F(DecoderTest, Mp3SeekLandsOnTheExactSample) {
    for (const double seconds : {3.0, 60.0}) {
        SCOPED_TRACE(seconds);
        ToneSpec tone;
        tone.seconds = seconds;
        tone.frequency[0] = 441;
        tone.frequency[1] = 1234;
        const std::string file = path("seek.mp3");
        ASSERT_TRUE(ToneFiles::writeMp3(file, tone, 192));
        auto straight = Mp3Source::open(file);
        ASSERT_TRUE(straight);
        const long target = long(seconds * 44100 * 0.9) + 77;
        const auto whole = readFrames(*straight, target + 2000);
        ASSERT_EQ(whole.size(), size_t(target + 2000) * 2);

        auto jumped = Mp3Source::open(file);
        ASSERT_TRUE(jumped->seek(target));
        const auto part = readFrames(*jumped, 2000);
        ASSERT_EQ(part.size(), size_t(4000));
        double worst = 0;
        for (size_t i = 0; i < part.size(); ++i)
            worst = std::max(worst, double(std::fabs(part[i] - whole[size_t(target) * 2 + i])));
        EXPECT_LT(worst, 1e-3);
    }
}

// The header frame of a LAME file (Xing/Info with the LAME extension) in other shapes.
enum class Mp3Shape { AsWritten, HeaderRemoved, VbriHeader, CutShort, StreamAppended };

std::string reshapeMp3(const std::string& bytes, Mp3Shape shape) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t headerFrame = ContentSniffer::mpegFrame(data);
    const std::string audio = bytes.substr(headerFrame);
    switch (shape) {
    case Mp3Shape::AsWritten:
        return bytes;
    case Mp3Shape::HeaderRemoved:
        return audio;
    case Mp3Shape::VbriHeader: {
        // Fraunhofer's header: 32 bytes after the frame header, big-endian byte and frame
        // counts at 10 and 14.
        std::string frame = bytes.substr(0, 4) + std::string(headerFrame - 4, '\0');
        size_t frames = 0;
        for (size_t pos = 0; pos + 4 <= audio.size(); ++frames)
            pos += ContentSniffer::mpegFrame(data + headerFrame + pos);
        auto put32 = [&](size_t at, uint32_t v) {
            for (int i = 0; i < 4; ++i)
                frame[at + size_t(i)] = char(v >> (24 - 8 * i));
        };
        frame.replace(36, 6, std::string("VBRI\0\1", 6));
        put32(46, uint32_t(bytes.size()));
        put32(50, uint32_t(frames));
        return frame + audio;
    }
    case Mp3Shape::CutShort:
        return bytes.substr(0, bytes.size() / 2);
    case Mp3Shape::StreamAppended:
        return bytes + audio;
    }
    return bytes;
}

// The length comes from the header when it covers the file and from a scan otherwise; either
// way it is exactly the number of frames the decoder gives.
TEST_F(DecoderTest, Mp3LengthIsExactWithAndWithoutAHeader) {
    ToneSpec tone;
    tone.seconds = 2.0;
    ASSERT_TRUE(ToneFiles::writeMp3(path("lame.mp3"), tone, 128));
    const std::string written = readBytes(path("lame.mp3"));
    ASSERT_EQ(written.compare(36, 4, "Info"), 0) << "the writer's header frame moved";
    const struct {
        Mp3Shape shape;
        const char* name;
        int64_t length;  // 0: whatever the decoder gives
    } cases[] = {
        {Mp3Shape::AsWritten, "as written", 88200},
        // Without the LAME extension the encoder delay and padding stay in.
        {Mp3Shape::HeaderRemoved, "no header", 0},
        {Mp3Shape::VbriHeader, "VBRI header", 0},
        {Mp3Shape::CutShort, "cut short", 0},
        {Mp3Shape::StreamAppended, "another stream after it", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(path("shaped.mp3"), reshapeMp3(written, c.shape));
        auto source = Mp3Source::open(path("shaped.mp3"));
        ASSERT_TRUE(source);
        const int64_t decoded = int64_t(readFrames(*source, 1 << 20).size() / 2);
        EXPECT_EQ(source->lengthFrames(), decoded);
        if (c.length)
            EXPECT_EQ(decoded, c.length);
        else
            EXPECT_NE(decoded, 88200);
        // The last frames are where the length says. (libmpg123 seeks only to whole frames in
        // the later streams of a stitched file.)
        if (c.shape == Mp3Shape::StreamAppended)
            continue;
        ASSERT_TRUE(source->seek(source->lengthFrames() - 100));
        EXPECT_EQ(readFrames(*source, 1000).size(), size_t(200));
    }
}

// The encoder's delay is cut off: the first sample out is the first sample that went in.
TEST_F(DecoderTest, Mp3StartsWithTheFirstSampleEncoded) {
    ToneSpec tone;
    tone.seconds = 1.0;
    tone.frequency[0] = 441;
    tone.frequency[1] = 1234;
    ASSERT_TRUE(ToneFiles::writeMp3(path("start.mp3"), tone, 320));
    auto source = Mp3Source::open(path("start.mp3"));
    ASSERT_TRUE(source);
    const auto out = readFrames(*source, 44100);
    ASSERT_EQ(out.size(), size_t(44100 * 2));
    // The offset at which the decoded samples best match the tone.
    int bestLag = 0;
    double bestError = 1e300;
    for (int lag = -1500; lag <= 1500; ++lag) {
        double error = 0;
        for (long f = 2000; f < 6000; ++f)
            for (int ch = 0; ch < 2; ++ch)
                error += std::pow(
                    out[size_t(f) * 2 + size_t(ch)] - ToneFiles::sampleAt(tone, ch, f + lag), 2);
        if (error < bestError) {
            bestError = error;
            bestLag = lag;
        }
    }
    EXPECT_EQ(bestLag, 0);
    double worst = 0;
    for (long f = 0; f < 44100; ++f)
        for (int ch = 0; ch < 2; ++ch)
            worst = std::max(worst, std::fabs(out[size_t(f) * 2 + size_t(ch)] -
                                              ToneFiles::sampleAt(tone, ch, f)));
    EXPECT_LT(worst, 0.05);
}

TEST_F(DecoderTest, WavSamplesAndSeekAreExact) {
    ToneSpec tone;
    tone.sampleRate = 32000;
    tone.channels = 2;
    tone.seconds = 1.0;
    tone.frequency[1] = 1000;
    const std::string file = path("exact.wav");
    ASSERT_TRUE(ToneFiles::writeWav(file, tone, ToneFiles::WavEncoding::Pcm24));
    auto source = WavSource::open(file);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->lengthFrames(), 32000);
    EXPECT_EQ(source->bitrate(), 32000 * 2 * 24 / 1000);
    ASSERT_TRUE(source->seek(12345));
    const auto part = readFrames(*source, 100);
    ASSERT_EQ(part.size(), 200u);
    for (long i = 0; i < 100; ++i) {
        EXPECT_NEAR(part[size_t(2 * i)], ToneFiles::sampleAt(tone, 0, 12345 + i), 1e-6);
        EXPECT_NEAR(part[size_t(2 * i + 1)], ToneFiles::sampleAt(tone, 1, 12345 + i), 1e-6);
    }
}

TEST_F(DecoderTest, DecoderIsChosenByContentNotByName) {
    ToneSpec tone;
    tone.channels = 1;
    tone.seconds = 0.2;
    const std::string wavNamedMp3 = path("really-wav.mp3");
    ASSERT_TRUE(ToneFiles::writeWav(wavNamedMp3, tone));
    auto wav = PcmSourceFactory::open(wavNamedMp3);
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->format().channels, 1);  // the MP3 decoder would give two
    EXPECT_EQ(wav->lengthFrames(), 8820);

    const std::string mp3NamedWav = path("really-mp3.wav");
    ASSERT_TRUE(ToneFiles::writeMp3(mp3NamedWav, tone, 64));
    EXPECT_FALSE(PcmSourceFactory::looksLikeWave(mp3NamedWav));
    auto mp3 = PcmSourceFactory::open(mp3NamedWav);
    ASSERT_TRUE(mp3);
    EXPECT_EQ(mp3->format().channels, 2);
}

// More than two channels are mixed down by where each sits: a centre-only 5.1 file is heard on
// both sides at -3 dB, the LFE channel is left out, a surround goes to its own side.
TEST_F(DecoderTest, SurroundFilesAreMixedDownToStereo) {
    const struct {
        const char* what;
        int channels;
        uint32_t mask;       // WAVE_FORMAT_EXTENSIBLE speaker mask; 0: a plain WAV
        int active;          // the one channel that carries the tone
        double left, right;  // its gain on each side
    } cases[] = {
        {"5.1 centre", 6, 0, 2, 0.7071, 0.7071},
        {"5.1 LFE", 6, 0, 3, 0, 0},
        {"5.1 left surround", 6, 0, 4, 0.7071, 0},
        {"5.1 front right", 6, 0, 1, 0, 1},
        {"L R C LFE by the mask", 4, 0x0F, 2, 0.7071, 0.7071},
        {"L R back-centre by the mask", 3, 0x103, 2, 0.5, 0.5},
    };
    constexpr int kRate = 48000;
    constexpr long kFrames = kRate / 4;
    constexpr double kAmplitude = 0.5;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = path("surround.wav");
        SF_INFO info{};
        info.samplerate = kRate;
        info.channels = c.channels;
        info.format = (c.mask ? SF_FORMAT_WAVEX : SF_FORMAT_WAV) | SF_FORMAT_FLOAT;
        SNDFILE* out = sf_open(file.c_str(), SFM_WRITE, &info);
        ASSERT_TRUE(out);
        std::vector<float> samples(size_t(kFrames) * size_t(c.channels), 0.0f);
        for (long i = 0; i < kFrames; ++i)
            samples[size_t(i) * size_t(c.channels) + size_t(c.active)] =
                float(kAmplitude * std::sin(2 * M_PI * 1000.0 * double(i) / kRate));
        ASSERT_EQ(sf_writef_float(out, samples.data(), kFrames), kFrames);
        sf_close(out);
        if (c.mask) {
            // libsndfile writes only its default mask; the one wanted goes into the extensible
            // format chunk by hand (offset 40 of its canonical header).
            std::string bytes = readBytes(file);
            ASSERT_EQ(bytes.substr(20, 2), std::string("\xfe\xff", 2));
            for (int b = 0; b < 4; ++b)
                bytes[size_t(40 + b)] = char(c.mask >> (8 * b));
            writeBytes(file, bytes);
        }

        auto source = PcmSourceFactory::open(file);
        ASSERT_TRUE(source);
        ASSERT_EQ(source->format().channels, 2);
        const auto stereo = readFrames(*source, kFrames);
        ASSERT_EQ(stereo.size(), size_t(kFrames) * 2);
        double peak[2] = {0, 0};
        for (size_t i = 0; i < stereo.size(); ++i)
            peak[i % 2] = std::max(peak[i % 2], double(std::fabs(stereo[i])));
        EXPECT_NEAR(peak[0], kAmplitude * c.left, 0.01);
        EXPECT_NEAR(peak[1], kAmplitude * c.right, 0.01);
    }
}

// Two recordings at different rates joined in one file: the second part is resampled to the
// first part's rate, so it plays at its own speed and the length counts it so.
TEST_F(DecoderTest, Mp3WhoseRateChangesPlaysEachPartAtItsSpeed) {
    if (!ToneFiles::canWriteMp3())
        GTEST_SKIP() << "this libsndfile writes no MP3";
    std::string joined;
    for (const int rate : {44100, 22050}) {
        ToneSpec tone;
        tone.sampleRate = rate;
        tone.seconds = 1.0;
        const std::string part = path(rate == 44100 ? "first.mp3" : "second.mp3");
        ASSERT_TRUE(ToneFiles::writeMp3(part, tone, 64));
        joined += readBytes(part);
    }
    writeBytes(path("joined.mp3"), joined);
    auto source = Mp3Source::open(path("joined.mp3"));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->format().sampleRate, 44100);
    EXPECT_NEAR(double(source->lengthFrames()) / 44100, 2.0, 0.1);
    const auto all = readFrames(*source, 44100 * 3);
    EXPECT_NEAR(double(all.size() / 2) / 44100, 2.0, 0.1);
}

// The first bytes choose the decoder; libmpg123 is trusted only with real MPEG evidence.
TEST(ContentSniffer, ShortAndOddHeadsGoWhereTheyBelong) {
    const std::string mp3Frame = std::string("\xff\xfb\x90\x64", 4) + std::string(413, '\0');
    const std::string mpeg2Frame = std::string("\xff\xf3\x40\xc4", 4) + std::string(100, '\0');
    const std::string tag = std::string("ID3\x03\x00\x00\x00\x00\x00\x0a", 10) +
                            std::string(10, '\0');  // a 10-byte tag body
    std::string noise(8192, '\0');
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 2654435761u) >> 13);
    const struct {
        const char* what;
        std::string head;
        DecoderRoute route;
    } cases[] = {
        {"nothing", "", DecoderRoute::Ffmpeg},
        {"one byte", "R", DecoderRoute::Ffmpeg},
        {"RIFF cut before its form", "RIFF\x10\0\0\0WA", DecoderRoute::Ffmpeg},
        {"WAVE", std::string("RIFF\0\0\0\0WAVE", 12), DecoderRoute::Wave},
        {"RF64 WAVE", std::string("RF64\xff\xff\xff\xffWAVEds64", 16), DecoderRoute::Wave},
        {"RIFF MIDI", std::string("RIFF\x20\0\0\0RMIDdata", 16), DecoderRoute::Midi},
        {"AVI", std::string("RIFF\x20\0\0\0AVI LIST", 16), DecoderRoute::Ffmpeg},
        {"MIDI", "MThd\0\0\0\x06", DecoderRoute::Midi},
        {"Ogg", "OggS", DecoderRoute::Ffmpeg},
        {"FLAC", "fLaC", DecoderRoute::Ffmpeg},
        {"WebM", "\x1a\x45\xdf\xa3" + mp3Frame + mp3Frame + mp3Frame, DecoderRoute::Ffmpeg},
        {"M4A",
         std::string("\0\0\0\x20"
                     "ftypM4A ",
                     12) +
             mp3Frame + mp3Frame,
         DecoderRoute::Ffmpeg},
        {"three MPEG-1 frames", mp3Frame + mp3Frame + mp3Frame, DecoderRoute::Mpeg},
        {"MPEG-2 frames after junk", "junk" + mpeg2Frame + mpeg2Frame + mpeg2Frame,
         DecoderRoute::Mpeg},
        {"one frame, cut", mp3Frame.substr(0, 100), DecoderRoute::Mpeg},
        {"a sync alone after junk", "junk" + mp3Frame.substr(0, 100), DecoderRoute::Ffmpeg},
        {"frames of two streams", mp3Frame + mpeg2Frame + mp3Frame, DecoderRoute::Ffmpeg},
        {"ADTS AAC (layer 0)",
         std::string("\xff\xf1\x50\x80\x02\x1f\xfc", 7) + std::string(500, '\0'),
         DecoderRoute::Ffmpeg},
        {"ID3 and frames", tag + mp3Frame + mp3Frame, DecoderRoute::Mpeg},
        {"ID3 and FLAC", tag + "fLaC", DecoderRoute::Ffmpeg},
        {"ID3 and text", tag + std::string(600, 'a'), DecoderRoute::Ffmpeg},
        {"ID3 longer than the head", std::string("ID3\x04\0\0\x01\0\0\0", 10), DecoderRoute::Mpeg},
        {"ID3 with a size that is no size", std::string("ID3\x03\0\0\x80\0\0\0", 10),
         DecoderRoute::Ffmpeg},
        {"noise", noise, DecoderRoute::Ffmpeg},
        {"text", std::string(3000, 'a'), DecoderRoute::Ffmpeg},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto* bytes = reinterpret_cast<const unsigned char*>(c.head.data());
        EXPECT_EQ(ContentSniffer::route(bytes, c.head.size()), c.route);
    }
}

// A tag longer than the first bytes read (cover art) is skipped to the audio behind it.
TEST_F(DecoderTest, AudioBehindALongTagDecidesTheDecoder) {
    ToneSpec tone;
    tone.seconds = 0.3;
    ASSERT_TRUE(ToneFiles::writeMp3(path("plain.mp3"), tone, 128));
    // 40,000 bytes of tag body, as a synch-safe size.
    const std::string tag =
        std::string("ID3\x03\x00\x00\x00\x02\x38\x40", 10) + std::string(40000, '\0');
    writeBytes(path("tagged.mp3"), tag + readBytes(path("plain.mp3")));
    writeBytes(path("tagged-flac.mp3"), tag + "fLaC" + std::string(9000, '\xff'));
    EXPECT_EQ(ContentSniffer::routeOfFile(path("tagged.mp3")), DecoderRoute::Mpeg);
    EXPECT_TRUE(PcmSourceFactory::open(path("tagged.mp3")));
    EXPECT_EQ(ContentSniffer::routeOfFile(path("tagged-flac.mp3")), DecoderRoute::Ffmpeg);
}

TEST_F(DecoderTest, NothingToDecodeGivesNoSource) {
    ToneSpec tone;
    tone.seconds = 0.5;
    const std::string wav = path("good.wav");
    const std::string mp3 = path("good.mp3");
    ASSERT_TRUE(ToneFiles::writeWav(wav, tone));
    ASSERT_TRUE(ToneFiles::writeMp3(mp3, tone, 128));

    writeBytes(path("empty.mp3"), "");
    writeBytes(path("header-only.wav"), readBytes(wav).substr(0, 44));
    writeBytes(path("cut.mp3"), readBytes(mp3).substr(0, 100));
    writeBytes(path("text.mp3"), std::string(3000, 'a') + "\r\nnot music at all\r\n");
    writeBytes(path("text.wav"), "RIFF....WAVEfmt but nothing that makes sense after it");
    for (const char* name :
         {"missing.mp3", "empty.mp3", "header-only.wav", "cut.mp3", "text.mp3", "text.wav"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(PcmSourceFactory::open(path(name)));
    }
}

}  // namespace
