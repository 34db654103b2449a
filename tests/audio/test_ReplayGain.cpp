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
