// How the desktop's loop, shuffle, volume, seek and track requests land on the player's
// settings, and what it is shown of a song.
#include "core/FileAccess.h"
#include "desktop/MprisMapping.h"
#include "support/TempDir.h"

#include <QDBusObjectPath>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using Modes = MprisMapping::Modes;

// The modes by their stored numbers: play number, repeat mode.
constexpr Modes modes(int playNumber, int repeatMode) {
    return {PlayCount(playNumber), RepeatMode(repeatMode)};
}

TEST(MprisMapping, ModesReadAsLoopStatusAndShuffle) {
    struct Case {
        Modes modes;
        const char* loop;
        bool shuffle;
    };
    const Case cases[] = {
        {modes(0, 0), "Track", false}, {modes(0, 1), "None", false},
        {modes(0, 2), "None", true},   {modes(1, 0), "Playlist", false},
        {modes(1, 1), "None", false},  {modes(1, 2), "Playlist", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MprisMapping::LoopStatus(c.modes), QLatin1String(c.loop))
            << int(c.modes.playNumber) << int(c.modes.repeatMode);
        EXPECT_EQ(MprisMapping::Shuffle(c.modes), c.shuffle);
    }
}

// Whatever the modes were, the desktop reads back what it set, and a change of one property
// keeps the other wherever the player has such a mode (one song repeated is never random).
TEST(MprisMapping, RequestedLoopAndShuffleReadBackAndKeepTheOther) {
    const Modes all[] = {modes(0, 0), modes(0, 1), modes(0, 2),
                         modes(1, 0), modes(1, 1), modes(1, 2)};
    for (const Modes from : all) {
        for (const char* loop : {"None", "Track", "Playlist"}) {
            const auto to = MprisMapping::WithLoopStatus(from, QLatin1String(loop));
            ASSERT_TRUE(to);
            EXPECT_EQ(MprisMapping::LoopStatus(*to), QLatin1String(loop));
            const bool keepsShuffle = QLatin1String(loop) != QLatin1String("Track");
            EXPECT_EQ(MprisMapping::Shuffle(*to), keepsShuffle && MprisMapping::Shuffle(from))
                << int(from.playNumber) << int(from.repeatMode) << loop;
        }
        for (const bool shuffle : {false, true}) {
            const Modes to = MprisMapping::WithShuffle(from, shuffle);
            EXPECT_EQ(MprisMapping::Shuffle(to), shuffle);
            if (MprisMapping::LoopStatus(from) != QLatin1String("Track")) {
                EXPECT_EQ(MprisMapping::LoopStatus(to), MprisMapping::LoopStatus(from))
                    << int(from.playNumber) << int(from.repeatMode) << shuffle;
            }
        }
    }
    EXPECT_FALSE(MprisMapping::WithLoopStatus(modes(1, 0), QStringLiteral("track")));
    // No repeat keeps one song or all songs as they were.
    EXPECT_EQ(MprisMapping::WithLoopStatus(modes(0, 0), QStringLiteral("None")), modes(0, 1));
}

TEST(MprisMapping, VolumeIsTheLouderChannelAndKeepsTheBalance) {
    struct Case {
        StereoVolume soft;
        double read;
        double set;
        StereoVolume after;
    };
    const Case cases[] = {
        {{100, 100}, 1.0, 0.5, {50, 50}}, {{80, 40}, 0.8, 0.4, {40, 20}},
        {{0, 0}, 0.0, 0.3, {30, 30}},     {{20, 60}, 0.6, 1.7, {33, 100}},
        {{50, 50}, 0.5, -0.2, {0, 0}},    {{70, 70}, 0.7, 0.004, {0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(MprisMapping::Volume(c.soft), c.read);
        EXPECT_EQ(MprisMapping::SoftVolumeFor(c.set, c.soft), c.after) << c.set;
    }
    EXPECT_EQ(MprisMapping::SoftVolumeFor(std::nan(""), {10, 20}), (StereoVolume{10, 20}));
}

TEST(MprisMapping, SeekAndPositionTargets) {
    struct Case {
        int32_t position;
        qlonglong offset;
        int32_t length;
        std::optional<int32_t> target;
    };
    const Case seeks[] = {
        {10, 5'000'000, 100, 15}, {10, -20'000'000, 100, 0},
        {10, 1'500'000, 100, 11}, {10, 90'000'000, 100, std::nullopt},
        {10, -500'000, 100, 9},
    };
    for (const Case& c : seeks)
        EXPECT_EQ(MprisMapping::SeekTarget(c.position, c.offset, c.length), c.target) << c.offset;
    EXPECT_EQ(MprisMapping::PositionTarget(42'900'000, 100), 42);
    EXPECT_EQ(MprisMapping::PositionTarget(-1, 100), std::nullopt);
    EXPECT_EQ(MprisMapping::PositionTarget(100'000'001, 100), std::nullopt);
}

TEST(MprisMapping, MetadataCarriesTheSongInTheTypesClientsRead) {
    MprisMapping::Song song;
    song.path = QStringLiteral("/music/アルバム/01 曲 #1.mp3");
    song.artist = QStringLiteral("歌手");
    song.album = QStringLiteral("アルバム");
    song.track = QStringLiteral("3/12");
    song.lengthSeconds = 215;
    song.artPath = QStringLiteral("/run/user/1000/zapt-cover-1-1.jpg");
    const QVariantMap m = MprisMapping::Metadata(song, 7);

    EXPECT_EQ(m.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(),
              MprisMapping::TrackId(7));
    EXPECT_EQ(m.value(QStringLiteral("mpris:length")).typeId(), QMetaType::LongLong);
    EXPECT_EQ(m.value(QStringLiteral("mpris:length")).toLongLong(), 215'000'000);
    EXPECT_EQ(m.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("01 曲 #1"));
    EXPECT_EQ(m.value(QStringLiteral("xesam:artist")).toStringList(),
              QStringList{QStringLiteral("歌手")});
    EXPECT_EQ(m.value(QStringLiteral("xesam:trackNumber")).toInt(), 3);
    EXPECT_EQ(m.value(QStringLiteral("xesam:url")).toString(),
              QStringLiteral("file:///music/%E3%82%A2%E3%83%AB%E3%83%90%E3%83%A0/"
                             "01%20%E6%9B%B2%20%231.mp3"));
    EXPECT_EQ(m.value(QStringLiteral("mpris:artUrl")).toString(),
              QStringLiteral("file:///run/user/1000/zapt-cover-1-1.jpg"));

    // A song without tags or picture: the file's name as its title, nothing made up.
    song.title = QStringLiteral("題名");
    song.artist.clear();
    song.album.clear();
    song.track = QStringLiteral("x");
    song.artPath.clear();
    const QVariantMap bare = MprisMapping::Metadata(song, 8);
    EXPECT_EQ(bare.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("題名"));
    for (const char* key : {"xesam:artist", "xesam:album", "xesam:trackNumber", "mpris:artUrl"})
        EXPECT_FALSE(bare.contains(QLatin1String(key))) << key;
    EXPECT_TRUE(MprisMapping::Metadata({}, 9).isEmpty());
}

// Names are handed over and published by their bytes: a Shift_JIS name from a Japanese archive
// goes out byte by byte, as GIO writes it, and comes back as the same file.
TEST(MprisMapping, FileUrlsCarryThePathsBytes) {
    TempDir d;
    const QByteArray sjis("\x8b\xc8\x96\xbc\x83\x65\x83\x58\x83\x67.mp3");  // 曲名テスト.mp3
    const QByteArray folder = QFile::encodeName(d.path());
    const QByteArray file = folder + '/' + sjis;
    ASSERT_TRUE(::close(::open(file.constData(), O_CREAT | O_WRONLY, 0644)) == 0);
    const QString shown = modZAUtil::DecodePath(file);
    ASSERT_TRUE(shown.endsWith(u"曲名テスト.mp3"_qs));

    const QString url = MprisMapping::FileUrl(shown);
    EXPECT_TRUE(url.endsWith(u"/%8B%C8%96%BC%83e%83X%83g.mp3"_qs)) << url.toStdString();
    EXPECT_EQ(MprisMapping::LocalPath(url), shown);
    EXPECT_EQ(MprisMapping::FileUrl(u"/a b/曲 #1.mp3"_qs),
              u"file:///a%20b/%E6%9B%B2%20%231.mp3"_qs);

    const struct {
        const char* url;
        std::optional<QString> path;
    } cases[] = {
        {"file:///a%20b/%E6%9B%B2%20%231.mp3", u"/a b/曲 #1.mp3"_qs},
        {"file:///music/曲.mp3", u"/music/曲.mp3"_qs},
        {"file://localhost/music/a.mp3", u"/music/a.mp3"_qs},
        {"file:///tmp/%8B%C8.mp3", modZAUtil::DecodePath(QByteArray("/tmp/\x8b\xc8.mp3"))},
        {"file:///tmp/a%00b.mp3", std::nullopt},
        {"file://elsewhere/a.mp3", std::nullopt},
        {"https://example.org/a.mp3", std::nullopt},
        {"/not/a/url.mp3", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MprisMapping::LocalPath(QString::fromUtf8(c.url)), c.path) << c.url;
}

// The desktop entry offers every type the media controls name, the later formats and cue
// sheets among them.
TEST(MprisMapping, MediaTypesOfTheControlsAndTheDesktopEntry) {
    QFile entry(QStringLiteral(ZAPT_DESKTOP_ENTRY));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    QStringList listed;
    for (const QByteArray& line : entry.readAll().split('\n'))
        if (line.startsWith("MimeType="))
            listed = QString::fromUtf8(line.mid(9)).split(u';', Qt::SkipEmptyParts);
    const QStringList offered = MprisMapping::SupportedMimeTypes();
    for (const char* type : {"audio/flac", "audio/x-ape", "audio/x-wavpack", "audio/x-tta",
                             "audio/aiff", "audio/x-aiff", "audio/x-matroska", "audio/webm",
                             "audio/ac3", "audio/x-dsf", "audio/x-dff", "application/x-cue"})
        EXPECT_TRUE(offered.contains(QLatin1StringView(type))) << type;
    for (const QString& type : offered)
        EXPECT_TRUE(listed.contains(type)) << type.toStdString();
}
