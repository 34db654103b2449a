#include "AudioTestSupport.h"
#include "playback/output/ReplayGain.h"
#include "support/Id3TagBuilder.h"

#include <QFile>
#include <cmath>
#include <gtest/gtest.h>
#include <optional>

namespace {

TEST(ReplayGainTest, TaggersTextsGiveDecibelsAndAnythingElseNone) {
    struct Case {
        const char* text;
        std::optional<float> db;
    };
    const Case cases[] = {
        {"-6.20 dB", -6.2f},
        {"+3.10 dB", 3.1f},
        {"-6.20dB", -6.2f},
        {"  -6.20  DB ", -6.2f},
        {"2.5 db", 2.5f},
        {"-7,5 dB", -7.5f},
        {"4", 4.0f},
        {".5 dB", 0.5f},
        {"-0.00 dB", 0.0f},
        {"-60 dB", -24.0f},
        {"+99.5 dB", 24.0f},
        {"", std::nullopt},
        {"dB", std::nullopt},
        {"-", std::nullopt},
        {"abc", std::nullopt},
        {"nan", std::nullopt},
        {"inf dB", std::nullopt},
        {"0x10", std::nullopt},
        {"6 dB x", std::nullopt},
        {"--6 dB", std::nullopt},
        {"1.2.3 dB", std::nullopt},
        {"6 LU", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<float> db = ReplayGain::parseDb(c.text);
        ASSERT_EQ(db.has_value(), c.db.has_value());
        if (db) {
            EXPECT_NEAR(*db, *c.db, 1e-5);
        }
    }
    struct R128Case {
        const char* text;
        std::optional<float> db;
    };
    for (const R128Case& c : {R128Case{"-768", 2.0f}, R128Case{" 256 ", 6.0f}, R128Case{"0", 5.0f},
                              R128Case{"-32768", -24.0f}, R128Case{"32768", std::nullopt},
                              R128Case{"-3.5", std::nullopt}, R128Case{"", std::nullopt}}) {
        SCOPED_TRACE(c.text);
        const std::optional<float> db = ReplayGain::parseR128Db(c.text);
        ASSERT_EQ(db.has_value(), c.db.has_value());
        if (db) {
            EXPECT_NEAR(*db, *c.db, 1e-5);
        }
    }
    EXPECT_NEAR(ReplayGain::linear(-6.0206f), 0.5f, 1e-4);
    EXPECT_NEAR(ReplayGain::linear(12.0f), 3.981f, 1e-3);
    EXPECT_EQ(ReplayGain::linear(0.0f), 1.0f);
}

QByteArray userText(int version, int encoding, const char* name, const char* value) {
    QByteArray body = Id3TagBuilder::TextBody(encoding, QString::fromLatin1(name));
    body += encoding == 1 || encoding == 2 ? QByteArray(2, '\0') : QByteArray(1, '\0');
    body += Id3TagBuilder::TextBody(encoding, QString::fromLatin1(value)).mid(1);
    return Id3TagBuilder::Frame(version, version == 2 ? "TXX" : "TXXX", body);
}

// RVA2 "track": master volume (type 1) of `gain512` / 512 dB, after a front-left entry.
QByteArray relativeVolume(const char* identification, qint16 gain512) {
    QByteArray body(identification);
    body += '\0';
    body += QByteArray("\x02\x10\x00\x08\x7f", 5);  // front left +8 dB, an 8-bit peak
    body += '\x01' + Id3TagBuilder::BigEndian(quint16(gain512), 2) + QByteArray(1, '\0');
    return Id3TagBuilder::Frame(4, "RVA2", body);
}

// A WAV file with a data chunk and, when `tag` is given, an "id3 " chunk after it.
QByteArray wav(const QByteArray& tag) {
    const auto little = [](quint32 v) {
        QByteArray bytes(4, '\0');
        for (int i = 0; i < 4; ++i, v >>= 8)
            bytes[i] = char(v & 0xFF);
        return bytes;
    };
    QByteArray chunks = "WAVE" + QByteArray("data") + little(3) + QByteArray(4, '\0');
    if (!tag.isEmpty())
        chunks += "id3 " + little(quint32(tag.size())) + tag;
    return "RIFF" + little(quint32(chunks.size())) + chunks;
}

TEST(ReplayGainTest, Id3v2TagsGiveTheTrackGain) {
    using namespace Id3TagBuilder;
    const char* gain = "-6.02 dB";
    struct Case {
        const char* what;
        QByteArray file;
        std::optional<float> db;
    };
    const Case cases[] = {
        {"2.3 Latin-1", Tag(3, userText(3, 0, "REPLAYGAIN_TRACK_GAIN", gain)), -6.02f},
        {"2.4 UTF-8, lower case",
         Tag(4, Frame(4, "TIT2", TextBody(3, QStringLiteral("x"))) +
                    userText(4, 3, "replaygain_track_gain", "+2.5 dB")),
         2.5f},
        {"2.3 UTF-16 behind cover art",
         Tag(3, PictureFrame(3, 100000) + userText(3, 1, "REPLAYGAIN_TRACK_GAIN", gain), 0, 64),
         -6.02f},
        {"2.2", Tag(2, userText(2, 0, "REPLAYGAIN_TRACK_GAIN", gain)), -6.02f},
        {"album gain only", Tag(3, userText(3, 0, "REPLAYGAIN_ALBUM_GAIN", gain)), std::nullopt},
        {"RVA2 track", Tag(4, relativeVolume("track", -3 * 512)), -3.0f},
        {"RVA2 album", Tag(4, relativeVolume("album", -3 * 512)), std::nullopt},
        {"TXXX wins over RVA2",
         Tag(4, relativeVolume("track", 512) + userText(4, 0, "REPLAYGAIN_TRACK_GAIN", gain)),
         -6.02f},
        {"garbage value", Tag(3, userText(3, 0, "REPLAYGAIN_TRACK_GAIN", "loud")), std::nullopt},
        {"cut short", Tag(3, userText(3, 0, "REPLAYGAIN_TRACK_GAIN", gain)).left(30), std::nullopt},
        {"WAV chunk", wav(Tag(3, userText(3, 0, "REPLAYGAIN_TRACK_GAIN", gain))), -6.02f},
        {"WAV without one", wav({}), std::nullopt},
        {"no tag", AudioBytes(2000), std::nullopt},
    };
    TempDir dir;
    const QString path = dir.file(QStringLiteral("song.mp3"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.file + AudioBytes(2000));
        file.close();
        const std::optional<float> db = ReplayGain::id3v2TrackGainDb(path.toStdString());
        ASSERT_EQ(db.has_value(), c.db.has_value());
        if (db) {
            EXPECT_NEAR(*db, *c.db, 1e-5);
        }
    }
    EXPECT_FALSE(ReplayGain::id3v2TrackGainDb(dir.file(QStringLiteral("none.mp3")).toStdString()));
}

}  // namespace

namespace {

using Mode = ReplayGain::Mode;

TEST(ReplayGainTest, TheModeTheOrderAndTheTagsChooseTheGain) {
    const ReplayGainTags both{-6.0f, -2.0f, std::nullopt, std::nullopt};
    const ReplayGainTags trackOnly{-6.0f, std::nullopt, std::nullopt, std::nullopt};
    const ReplayGainTags albumOnly{std::nullopt, -2.0f, std::nullopt, std::nullopt};
    const ReplayGainTags loud{6.0f, 8.0f, 0.5f, 0.8f};  // room for 6 dB, not for 8
    const ReplayGainTags loudTrackPeak{6.0f, 8.0f, 0.8f, std::nullopt};
    struct Case {
        const char* what;
        ReplayGainTags tags;
        Mode mode;
        bool shuffled;
        float preampDb;
        bool preventClipping;
        float db;  // the gain applied
    };
    const float none = 0.0f;
    const Case cases[] = {
        {"in order: album", both, Mode::AlbumInOrder, false, 0, true, -2.0f},
        {"shuffled: track", both, Mode::AlbumInOrder, true, 0, true, -6.0f},
        {"track mode in order", both, Mode::Track, false, 0, true, -6.0f},
        {"album mode shuffled", both, Mode::Album, true, 0, true, -2.0f},
        {"off", both, Mode::Off, false, 0, true, none},
        {"album wanted, track only", trackOnly, Mode::Album, false, 0, true, -6.0f},
        {"track wanted, album only", albumOnly, Mode::Track, false, 0, true, -2.0f},
        {"untagged: no pre-amp either", {}, Mode::Track, false, 6, true, none},
        {"pre-amp added", trackOnly, Mode::Track, false, 4.5f, true, -1.5f},
        {"pre-amp held to 15 dB", trackOnly, Mode::Track, false, 40, false, 9.0f},
        {"track peak leaves room", loud, Mode::Track, false, 0, true, 6.0f},
        {"album peak limits", loud, Mode::Album, false, 0, true, -20 * std::log10(0.8f)},
        {"limit off", loud, Mode::Album, false, 0, false, 8.0f},
        {"the other peak when the album has none", loudTrackPeak, Mode::Album, false, 0, true,
         -20 * std::log10(0.8f)},
        {"pre-amp limited too", loud, Mode::Track, false, 6, true, -20 * std::log10(0.5f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReplayGain::Settings settings;
        settings.mode = c.mode;
        settings.shuffled = c.shuffled;
        settings.preampDb = c.preampDb;
        settings.preventClipping = c.preventClipping;
        EXPECT_NEAR(ReplayGain::factor(c.tags, settings), ReplayGain::linear(c.db), 1e-4);
    }
}

// The first frame of a LAME-encoded MPEG-1 stereo MP3: header, side information, the Info
// header with all four fields, the LAME extension with the given version, peak and gains.
QByteArray lameFrame(const char* version, quint32 peak, quint16 radio, quint16 audiophile,
                     char mono = 0) {
    using Id3TagBuilder::BigEndian;
    QByteArray frame("\xFF\xFB\x90", 3);
    frame += mono ? '\xC4' : '\x44';
    frame += QByteArray(mono ? 17 : 32, '\0');
    frame += "Info" + BigEndian(0x0F, 4) + BigEndian(100, 4) + BigEndian(40000, 4) +
             QByteArray(100, '\x01') + BigEndian(57, 4);
    frame += QByteArray(version).leftJustified(9, ' ', true) + '\x24' + '\x61';
    frame += BigEndian(peak, 4) + BigEndian(radio, 2) + BigEndian(audiophile, 2);
    return frame + QByteArray(417 - frame.size(), '\0');  // 128 kbit/s at 44.1 kHz
}

TEST(ReplayGainTest, LameHeadersGiveGainsWhenNoTagDoes) {
    using namespace Id3TagBuilder;
    // 0x2E1E: radio (1), set automatically (3), -3.0 dB; 0x4C0C: audiophile, +1.2 dB.
    const QByteArray lame = lameFrame("LAME3.99r", 0x00700000, 0x2E1E, 0x4C0C);
    struct Case {
        const char* what;
        QByteArray file;
        ReplayGainTags tags;
    };
    const Case cases[] = {
        {"LAME 3.99", lame, {-3.0f, 1.2f, 0.875f, std::nullopt}},
        {"LAME 3.100, mono", lameFrame("LAME3.100", 0, 0x2C1E, 0, 1), {3.0f, {}, {}, {}}},
        {"LAME 3.93 measured 6 dB lower",
         lameFrame("LAME3.93 ", 0x00700000, 0x2E1E, 0),
         {3.0f, {}, {}, {}}},
        {"gain not set", lameFrame("LAME3.99r", 0x00700000, 0, 0), {}},
        {"behind a tag without gains",
         Tag(3, Frame(3, "TIT2", TextBody(0, QStringLiteral("x")))) + lame,
         {-3.0f, 1.2f, 0.875f, std::nullopt}},
        {"a tag's gain wins",
         Tag(3, userText(3, 0, "REPLAYGAIN_TRACK_GAIN", "-6 dB") +
                    userText(3, 0, "REPLAYGAIN_ALBUM_PEAK", "0.5")) +
             lame,
         {-6.0f, std::nullopt, std::nullopt, 0.5f}},
        {"another encoder", lameFrame("Lavc60.31", 0x00700000, 0x2E1E, 0), {}},
        {"no Info header", QByteArray("\xFF\xFB\x90\x44", 4) + AudioBytes(400), {}},
        {"RVA2 album and TXXX peaks",
         Tag(4, relativeVolume("album", -3 * 512) +
                    userText(4, 0, "REPLAYGAIN_TRACK_PEAK", "0.75") +
                    userText(4, 0, "REPLAYGAIN_ALBUM_GAIN", "loud")),
         {std::nullopt, -3.0f, 0.75f, std::nullopt}},
    };
    TempDir dir;
    const QString path = dir.file(QStringLiteral("song.mp3"));
    const auto same = [](std::optional<float> got, std::optional<float> want) {
        return got.has_value() == want.has_value() && (!got || std::fabs(*got - *want) < 1e-4f);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.file + AudioBytes(2000));
        file.close();
        const ReplayGainTags got = ReplayGain::fileTags(path.toStdString());
        EXPECT_TRUE(same(got.trackDb, c.tags.trackDb));
        EXPECT_TRUE(same(got.albumDb, c.tags.albumDb));
        EXPECT_TRUE(same(got.trackPeak, c.tags.trackPeak));
        EXPECT_TRUE(same(got.albumPeak, c.tags.albumPeak));
    }
    // Bytes that end inside the gains give none; the first frame is read whole.
    const auto view = [](const QByteArray& bytes) {
        return std::string_view(bytes.constData(), size_t(bytes.size()));
    };
    EXPECT_FALSE(ReplayGain::lameTags(view(lame.left(174))).albumDb);
    EXPECT_TRUE(ReplayGain::lameTags(view(lame.left(175))).albumDb);
}

}  // namespace
