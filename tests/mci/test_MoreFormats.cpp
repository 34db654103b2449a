#include "PcmAnalysis.h"
#include "library/FileCollector.h"
#include "playback/AudioFileInfo.h"
#include "playback/clsZAPT_MMC.h"
#include "playback/decoder/ContentSniffer.h"
#include "playback/mci/MciControl.h"
#include "support/MciMedia.h"
#include "support/TempDir.h"
#include "tags/clsTagInfo.h"

#include <QDir>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace Qt::StringLiterals;

namespace {

void appendLe(QByteArray& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

// An ID3v2.3 tag holding a title only.
QByteArray id3Title(const QByteArray& title) {
    QByteArray frame = "TIT2";
    const uint32_t body = uint32_t(title.size() + 1);
    for (int i = 3; i >= 0; --i)
        frame.append(char((body >> (8 * i)) & 0xFF));
    frame += QByteArray(2, '\0') + '\0' + title;
    QByteArray tag("ID3\x03\x00\x00", 6);
    for (int i = 3; i >= 0; --i)
        tag.append(char((frame.size() >> (7 * i)) & 0x7F));
    return tag + frame;
}

constexpr uint32_t kDsdRate = 2822400;

// One channel of DSD64 holding a 440 Hz tone at half scale: a second-order sigma-delta
// modulator's bits, the earliest in the lowest bit of each byte.
QByteArray dsdBits(double seconds, qsizetype bytes) {
    const uint64_t samples = uint64_t(seconds * kDsdRate);
    QByteArray bits(std::max(bytes, qsizetype(samples / 8)), '\0');
    double i1 = 0, i2 = 0, y = 1;
    for (uint64_t n = 0; n < samples; ++n) {
        const double x = 0.5 * std::sin(2 * std::numbers::pi * 440.0 * double(n) / kDsdRate);
        i1 += x - y;
        i2 += i1 - y;
        y = i2 >= 0 ? 1 : -1;
        if (y > 0)
            bits[qsizetype(n / 8)] = char(bits[qsizetype(n / 8)] | (1 << (n % 8)));
    }
    return bits;
}

void appendBe(QByteArray& out, uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

QByteArray dffChunk(const char* id, const QByteArray& body) {
    QByteArray out(id, 4);
    appendBe(out, uint64_t(body.size()), 8);
    return out + body + (body.size() % 2 ? QByteArray(1, '\0') : QByteArray());
}

// The tone as stereo DSDIFF: bytes of the two channels in turn, the earliest bit highest, with
// an ID3v2 tag in an "ID3 " chunk.
QByteArray dffTone(double seconds, const QByteArray& tag) {
    const QByteArray bits = dsdBits(seconds, 0);
    QByteArray data;
    data.reserve(bits.size() * 2);
    for (const char b : bits) {
        uint8_t reversed = 0;
        for (int i = 0; i < 8; ++i)
            reversed = uint8_t(reversed | (((uint8_t(b) >> i) & 1) << (7 - i)));
        data.append(char(reversed)).append(char(reversed));
    }
    QByteArray fs, channels("\0\x02SLFTSRGT", 10), compression("DSD \x0enot compressed", 19);
    appendBe(fs, kDsdRate, 4);
    const QByteArray prop =
        "SND " + dffChunk("FS  ", fs) + dffChunk("CHNL", channels) + dffChunk("CMPR", compression);
    const QByteArray body = "DSD " + dffChunk("FVER", QByteArray("\x01\x05\0\0", 4)) +
                            dffChunk("PROP", prop) + dffChunk("DSD ", data) + dffChunk("ID3 ", tag);
    return dffChunk("FRM8", body);
}

// The tone as DSF: blocks of 4096 bytes a channel, with an ID3v2 tag after the audio.
QByteArray dsfTone(double seconds, const QByteArray& tag) {
    constexpr uint32_t kBlock = 4096;
    const uint64_t samples = uint64_t(seconds * kDsdRate);
    const uint64_t blocks = (samples / 8 + kBlock - 1) / kBlock;
    const QByteArray bits = dsdBits(seconds, qsizetype(blocks * kBlock));
    QByteArray data;
    for (uint64_t b = 0; b < blocks; ++b)
        for (int channel = 0; channel < 2; ++channel)
            data += bits.mid(qsizetype(b * kBlock), kBlock);
    const uint64_t dataChunk = 12 + uint64_t(data.size());
    const uint64_t total = 28 + 52 + dataChunk + uint64_t(tag.size());
    QByteArray out = "DSD ";
    appendLe(out, 28, 8);
    appendLe(out, total, 8);
    appendLe(out, tag.isEmpty() ? 0 : 28 + 52 + dataChunk, 8);
    out += "fmt ";
    appendLe(out, 52, 8);
    for (const uint32_t v : {1u, 0u, 2u, 2u, kDsdRate, 1u})  // version, raw DSD, stereo, 1 bit
        appendLe(out, v, 4);
    appendLe(out, samples, 8);
    appendLe(out, kBlock, 4);
    appendLe(out, 0, 4);
    out += "data";
    appendLe(out, dataChunk, 8);
    return out + data + tag;
}

// Where the title goes when FFmpeg's muxer writes none: an ID3v2 tag before the stream, or an
// AIFF's "ID3 " chunk.
enum class AddedTag { None, Id3Before, AiffChunk };

struct Format {
    const char* file;
    const char* encoder;
    int32_t typeBit;
    const char* formatName;  // as the format line starts
    AddedTag added = AddedTag::None;
};

QByteArray withTag(QByteArray file, AddedTag added) {
    const QByteArray tag = id3Title("Tone");
    if (added == AddedTag::Id3Before)
        return tag + file;
    if (added == AddedTag::AiffChunk) {
        QByteArray chunk = "ID3 ";
        for (int i = 3; i >= 0; --i)
            chunk.append(char((tag.size() >> (8 * i)) & 0xFF));
        file += chunk + tag + (tag.size() % 2 ? QByteArray(1, '\0') : QByteArray());
        const uint32_t form = uint32_t(file.size() - 8);
        for (int i = 0; i < 4; ++i)
            file[4 + i] = char((form >> (8 * (3 - i))) & 0xFF);
    }
    return file;
}

class MoreFormats : public ::testing::Test {
protected:
    void SetUp() override { player.setMMC(&mmc); }
    void TearDown() override { player.stop_(); }

    // Collected by its box alone, dropped by it alone; opens on the media route with its
    // length, seeks, and is described by its format and title.
    void checkDsd(const Format& f, const QString& path);
    void check(const Format& f, const QString& path, int seconds) {
        clsArrayList collected;
        FileCollector::Collect(collected, QFileInfo(path).path(), f.typeBit, false);
        EXPECT_EQ(collected.items(), QStringList{path});
        clsArrayList others;
        FileCollector::Collect(others, QFileInfo(path).path(),
                               FileCollector::kAllFileTypes & ~f.typeBit, false);
        EXPECT_EQ(others.Count(), 0);
        clsArrayList dropped;
        FileCollector::AddPath(dropped, path, FileCollector::kAllFileTypes & ~f.typeBit);
        FileCollector::AddPath(dropped, path, f.typeBit);
        EXPECT_EQ(dropped.items(), QStringList{path});

        ASSERT_TRUE(player.open_(path));
        ASSERT_TRUE(player.play());
        EXPECT_EQ(mmc.mode(), MciControl::Mode::Playing) << "not on the media route";
        EXPECT_EQ(player.getTotalSecond(), seconds);
        EXPECT_TRUE(player.seek_(1));
        EXPECT_EQ(player.playSecond(), 1);
        EXPECT_TRUE(player.stop_());

        const AudioFileInfo info = AudioFileInfo::Read(path);
        EXPECT_EQ(info.format, QString::fromLatin1(f.formatName));
        EXPECT_EQ(info.seconds, seconds);
        EXPECT_TRUE(info.Summary().startsWith(QString::fromLatin1(f.formatName) + u"  "_s));

        clsTagInfo tag;
        tag.GetTagInfo(path);
        EXPECT_EQ(tag.Title, u"Tone"_s);
    }

    TempDir dir;
    MciControl mmc;
    clsZAPT_MMC player;
};

TEST_F(MoreFormats, EachMadeByFfmpegIsCollectedPlayedAndDescribed) {
    const Format formats[] = {
        {"wv/t.wv", "wavpack", 512, "WV"},
        {"tta/t.tta", "tta", 1024, "TTA"},
        {"aiff/t.aiff", "pcm_s16be", 4096, "AIFF", AddedTag::AiffChunk},
        {"alac/t.m4a", "alac", 128, "M4A"},
        {"mp2/t.mp2", "mp2", 8192, "MP2", AddedTag::Id3Before},
        {"ac3/t.ac3", "ac3", 65536, "AC3", AddedTag::Id3Before},
        {"mka/t.mka", "flac", 32768, "MKA"},
        {"webm/t.webm", "libopus", 32768, "WEBM"},
    };
    MciMedia::Tone tone;
    tone.seconds = 2.0;
    tone.sampleRate = 48000;  // the one rate every encoder here takes
    tone.title = "Tone";
    for (const Format& f : formats) {
        SCOPED_TRACE(f.file);
        const QString path = dir.file(QString::fromLatin1(f.file));
        QDir().mkpath(QFileInfo(path).path());
        if (!MciMedia::hasEncoder(f.encoder)) {
            std::printf("skipped %s: no %s encoder here\n", f.file, f.encoder);
            continue;
        }
        ASSERT_TRUE(MciMedia::writeTone(path, f.encoder, tone));
        if (f.added != AddedTag::None)
            dir.write(QString::fromLatin1(f.file),
                      withTag(dir.read(QString::fromLatin1(f.file)), f.added));
        check(f, path, 2);
    }
}

TEST_F(MoreFormats, DsdPlaysAsPcmAtAQuarterOfItsRate) {
    for (const bool dsf : {true, false}) {
        SCOPED_TRACE(dsf ? "DSF" : "DSDIFF");
        const Format f{dsf ? "dsf/t.dsf" : "dff/t.dff", "", 16384, dsf ? "DSF" : "DFF"};
        const QByteArray tag = id3Title("Tone");
        const QString path =
            dir.write(QString::fromLatin1(f.file), dsf ? dsfTone(2.0, tag) : dffTone(2.0, tag));
        checkDsd(f, path);
    }
}

void MoreFormats::checkDsd(const Format& f, const QString& path) {
    check(f, path, 2);
    auto source = MciControl::OpenSource(path);
    ASSERT_TRUE(source);
    ASSERT_EQ(source->format().sampleRate, 88200);
    ASSERT_EQ(source->format().channels, 2);
    const std::vector<float> pcm = PcmAnalysis::readAll(*source);
    EXPECT_NEAR(PcmAnalysis::frameCount(pcm, 2) / 88200.0, 2.0, 0.05);
    EXPECT_NEAR(PcmAnalysis::pitchHz(pcm, 2, 88200, 44100, 88200), 440.0, 2.0);
    EXPECT_NEAR(PcmAnalysis::rms(pcm, 2, 44100, 88200, 1), 0.5 / std::sqrt(2.0), 0.05);
    // Within a millisecond, less than half the tone's period, so no other wave can match.
    ASSERT_TRUE(source->seek(88200));
    const std::vector<float> after = PcmAnalysis::readFrames(*source, 8192);
    double best = 9;
    for (long lag = -88; lag <= 88; ++lag) {
        double worst = 0;
        for (long i = 0; i < long(after.size()); ++i)
            worst = std::max(worst, double(std::abs(after[i] - pcm[(88200 + lag) * 2 + i])));
        best = std::min(best, worst);
    }
    EXPECT_LT(best, 0.05);
}

// The formats without an encoder here go to FFmpeg by their signature, even when MPEG frames
// seem to follow it.
TEST(MoreFormatsBySignature, DsdTakAndApeGoToFfmpeg) {
    QByteArray frames;
    for (int i = 0; i < 8; ++i)
        frames += QByteArray("\xFF\xFB\x90\x64", 4) + QByteArray(413, '\0');
    for (const char* magic : {"DSD ", "FRM8", "tBaK", "MAC "}) {
        const QByteArray head = QByteArray(magic) + frames;
        EXPECT_EQ(ContentSniffer::route(reinterpret_cast<const unsigned char*>(head.constData()),
                                        size_t(head.size())),
                  DecoderRoute::Ffmpeg)
            << magic;
    }
}

}  // namespace
