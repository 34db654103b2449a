// The player on a private session bus, driven as the desktop drives it.
#include "MprisClient.h"
#include "gui/MainWindowFixture.h"
#include "playback/decoder/vbmp3.h"
#include "support/MciMedia.h"
#include "support/ToneFiles.h"

#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

QString tone(const TempDir& d, const QString& name, double seconds = 5) {
    ToneSpec t;
    t.seconds = seconds;
    const QString p = d.file(name);
    ToneFiles::writeWav(p.toStdString(), t);
    return p;
}

QString urlOf(const QString& path) {
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

// A loaded player with its media controls on the bus, and a desktop talking to it.
struct BusPlayer {
    BusPlayer()
        : client([](const std::function<bool()>& done) {
              return MainWindowFixture::waitUntil(done);
          }) {
        onBus = f.form->StartMediaControls() && client.playerOnBus();
        client.settled = [this] {
            return !ui(w()).mediaControls_() || ui(w()).mediaControls_()->Pending() == 0;
        };
    }
    frmMain& w() { return *f.form; }
    QString status() { return client.get(QStringLiteral("PlaybackStatus")).toString(); }
    QString playingUrl() { return client.metadata().value(QStringLiteral("xesam:url")).toString(); }

    TempDir media;
    MainWindowFixture f;
    MprisClient client;
    bool onBus = false;
};

}  // namespace

TEST(Mpris, RootInterfaceNamesThePlayerAndQuits) {
    BusPlayer p;
    ASSERT_TRUE(p.onBus);
    const QString root = MprisClient::kRoot;
    EXPECT_EQ(p.client.get(QStringLiteral("Identity"), root).toString(), QStringLiteral("ZAPT"));
    EXPECT_EQ(p.client.get(QStringLiteral("DesktopEntry"), root).toString(),
              QStringLiteral("zapt"));
    for (const char* flag : {"CanQuit", "CanRaise"})
        EXPECT_TRUE(p.client.get(QLatin1String(flag), root).toBool()) << flag;
    p.w().hide();
    p.client.call(root, QStringLiteral("Raise"));
    EXPECT_TRUE(p.w().isVisible());
    p.client.call(root, QStringLiteral("Quit"));
    EXPECT_TRUE(MainWindowFixture::waitUntil([&] { return p.w().Ended(); }));
}

TEST(Mpris, PlayPauseStopNextPreviousActLikeTheButtons) {
    BusPlayer p;
    ASSERT_TRUE(p.onBus);
    const QString a = tone(p.media, u"a.wav"_qs), b = tone(p.media, u"b.wav"_qs);
    EXPECT_FALSE(p.client.get(QStringLiteral("CanPlay")).toBool());
    p.f.setPlayList({a, b});
    ui(p.w()).lstPlayList()->setListIndex(0);
    EXPECT_TRUE(p.client.get(QStringLiteral("CanGoNext")).toBool());
    EXPECT_TRUE(p.client.get(QStringLiteral("CanControl")).toBool());

    struct Step {
        const char* method;
        const char* status;
        const QString* song;  // what plays after it; null when stopped
    };
    const Step steps[] = {
        {"PlayPause", "Playing", &a}, {"PlayPause", "Paused", &a},  {"Play", "Playing", &a},
        {"Pause", "Paused", &a},      {"Next", "Playing", &b},      {"Next", "Playing", &a},
        {"Previous", "Playing", &b},  {"Stop", "Stopped", nullptr}, {"Play", "Playing", &b},
    };
    for (const Step& s : steps) {
        const QDBusMessage reply = p.client.invoke(QLatin1String(s.method));
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << s.method;
        EXPECT_EQ(p.status(), QLatin1String(s.status)) << s.method;
        EXPECT_EQ(p.playingUrl(), s.song ? urlOf(*s.song) : QString()) << s.method;
    }
    const QVariantMap m = p.client.metadata();
    EXPECT_EQ(m.value(QStringLiteral("mpris:length")).toLongLong(), 5'000'000);
    EXPECT_EQ(m.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("b"));
}

// The next button does not take the reserve list; the reserved song still comes at the end of
// the song. The desktop's Next must leave both exactly as the button does.
TEST(Mpris, NextFollowsTheReserveListLikeTheButton) {
    struct After {
        QString playing;
        int32_t row;
        QStringList reserved;
    };
    std::vector<After> results;
    for (const bool viaBus : {false, true}) {
        BusPlayer p;
        ASSERT_TRUE(p.onBus);
        const QString a = tone(p.media, u"a.wav"_qs), b = tone(p.media, u"b.wav"_qs),
                      r = tone(p.media, u"r.wav"_qs);
        p.f.setPlayList({a, b});
        ui(p.w()).lstPlayList()->setListIndex(0);
        ui(p.w()).cmdPlay()->click();
        p.w().ReserveList.Add(r);
        ui(p.w()).BuildReserveMenu();
        if (viaBus)
            p.client.invoke(QStringLiteral("Next"));
        else
            ui(p.w()).cmdListIndexDown()->click();
        QStringList reserved;
        for (const QString& path : p.w().ReserveList.items())
            reserved << QUrl::fromLocalFile(path).fileName();
        results.push_back({QUrl::fromLocalFile(p.w().Player->getPath()).fileName(),
                           ui(p.w()).lstPlayList()->listIndex(), reserved});
    }
    EXPECT_EQ(results[0].playing, QStringLiteral("b.wav"));
    EXPECT_EQ(results[0].reserved, QStringList{QStringLiteral("r.wav")});
    EXPECT_EQ(results[1].playing, results[0].playing);
    EXPECT_EQ(results[1].row, results[0].row);
    EXPECT_EQ(results[1].reserved, results[0].reserved);
}

TEST(Mpris, SongChangeAnnouncesNewMetadataAndSeekAnnouncesPosition) {
    BusPlayer p;
    ASSERT_TRUE(p.onBus);
    const QString a = tone(p.media, u"a.wav"_qs), b = tone(p.media, u"b.wav"_qs);
    p.f.setPlayList({a, b});
    ui(p.w()).lstPlayList()->setListIndex(0);
    p.client.invoke(QStringLiteral("Play"));
    const QString firstId =
        p.client.metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
    p.client.changes.clear();
    ui(p.w()).cmdListIndexDown()->click();  // from the window: the desktop is told all the same
    auto announced = [&](const QString& url) {
        for (const QVariantMap& c : p.client.changes) {
            const auto m = qdbus_cast<QVariantMap>(c.value(QStringLiteral("Metadata")));
            if (m.value(QStringLiteral("xesam:url")).toString() == url)
                return m.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path() !=
                       firstId;
        }
        return false;
    };
    EXPECT_TRUE(MainWindowFixture::waitUntil([&] { return announced(urlOf(b)); }));

    // Seek is relative, SetPosition absolute and only for the song it names.
    p.client.invoke(QStringLiteral("Seek"), {qlonglong(2'000'000)});
    ASSERT_TRUE(MainWindowFixture::waitUntil([&] { return p.client.seeks.size() == 1; }));
    EXPECT_GE(p.client.seeks[0], 2'000'000);
    const QDBusObjectPath current =
        p.client.metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>();
    p.client.invoke(QStringLiteral("SetPosition"),
                    {QVariant::fromValue(QDBusObjectPath(firstId)), qlonglong(0)});
    p.client.invoke(QStringLiteral("SetPosition"),
                    {QVariant::fromValue(current), qlonglong(1'000'000)});
    ASSERT_TRUE(MainWindowFixture::waitUntil([&] { return p.client.seeks.size() >= 2; }));
    EXPECT_EQ(p.client.seeks, (QList<qlonglong>{p.client.seeks[0], 1'000'000}));
    EXPECT_EQ(p.w().Player->playSecond(), 1);
}

TEST(Mpris, LoopShuffleAndVolumeSetThePlayersOwnSettings) {
    BusPlayer p;
    ASSERT_TRUE(p.onBus);
    vbmp3_setSoftVolume(80, 40);
    struct Case {
        const char* property;
        QVariant value;
        int16_t playNumber;
        int16_t repeatMode;
    };
    const Case cases[] = {
        {"LoopStatus", QStringLiteral("Track"), 0, 0},    {"Shuffle", true, 1, 2},
        {"LoopStatus", QStringLiteral("None"), 0, 2},     {"Shuffle", false, 0, 1},
        {"LoopStatus", QStringLiteral("Playlist"), 1, 0},
    };
    for (const Case& c : cases) {
        p.client.changes.clear();
        ASSERT_TRUE(p.client.set(QLatin1String(c.property), c.value)) << c.property;
        EXPECT_EQ(p.w().Options.PlayNumber(), c.playNumber) << c.property;
        EXPECT_EQ(p.w().Options.RepeatMode(), c.repeatMode) << c.property;
        EXPECT_EQ(p.client.get(QLatin1String(c.property)), c.value);
        EXPECT_TRUE(MainWindowFixture::waitUntil([&] {
            return !p.client.changes.isEmpty() &&
                   p.client.changes.last().value(QLatin1String(c.property)) == c.value;
        })) << c.property;
    }
    EXPECT_DOUBLE_EQ(p.client.get(QStringLiteral("Volume")).toDouble(), 0.8);
    ASSERT_TRUE(p.client.set(QStringLiteral("Volume"), 0.5));
    int32_t left = 0, right = 0;
    vbmp3_getSoftVolume(&left, &right);
    EXPECT_EQ(left, 50);
    EXPECT_EQ(right, 25);
    vbmp3_setSoftVolume(100, 100);
}

TEST(Mpris, OpenUriAddsAndPlaysAsAStartPathWould) {
    BusPlayer p;
    ASSERT_TRUE(p.onBus);
    const QString old = tone(p.media, u"old.wav"_qs);
    p.f.setPlayList({old});
    const QString album = p.media.mkdir(u"アルバム"_qs);
    tone(p.media, u"アルバム/2.wav"_qs);
    tone(p.media, u"アルバム/1.wav"_qs);

    EXPECT_EQ(p.client.invoke(QStringLiteral("OpenUri"), {urlOf(album)}).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_EQ(p.w().PlayList.items(),
              (QStringList{old, album + u"/1.wav"_qs, album + u"/2.wav"_qs}));
    EXPECT_EQ(p.status(), QStringLiteral("Playing"));
    EXPECT_EQ(p.playingUrl(), urlOf(album + u"/1.wav"_qs));

    for (const QString& refused : {u"https://example.org/a.mp3"_qs, urlOf(u"/no/such.mp3"_qs)})
        EXPECT_EQ(p.client.invoke(QStringLiteral("OpenUri"), {refused}).type(),
                  QDBusMessage::ErrorMessage)
            << refused.toStdString();
    EXPECT_EQ(p.w().PlayList.Count(), 3);
}

// Calls onto songs that are gone: each is answered at once, nothing waits on a box or opens one
// inside another, the user is told without being asked, and the player still answers and ends
// with its files saved.
TEST(Mpris, AFloodOfFailingCallsIsAnsweredAtOnceWithoutStackingBoxes) {
    BusPlayer p;
    ASSERT_TRUE(p.onBus);
    const QStringList gone = {p.media.file(u"gone1.mp3"_qs), p.media.file(u"gone2.mp3"_qs)};
    p.f.setPlayList(gone);
    ui(p.w()).lstPlayList()->setListIndex(0);
    std::vector<QDBusPendingCall> calls;
    for (int i = 0; i < 3000; ++i)
        calls.push_back(p.client.bus.asyncCall(
            QDBusMessage::createMethodCall(MprisService::BusName(), u"/org/mpris/MediaPlayer2"_qs,
                                           MprisClient::kPlayer, u"Next"_qs)));
    ASSERT_TRUE(MainWindowFixture::waitUntil(
        [&] {
            return std::all_of(calls.begin(), calls.end(), [](auto& c) { return c.isFinished(); });
        },
        60000));
    for (const QDBusPendingCall& c : calls)
        ASSERT_FALSE(c.isError()) << c.error().message().toStdString();
    EXPECT_TRUE(p.f.dialogs->shown.empty());  // no box waited for an answer
    ASSERT_FALSE(p.f.dialogs->notices.empty());
    EXPECT_TRUE(p.f.dialogs->notices.front().text.endsWith(u"にアクセスできません。"_qs));

    QElapsedTimer answered;
    answered.start();
    EXPECT_EQ(p.status(), u"Stopped"_qs);
    EXPECT_LT(answered.elapsed(), 1000);
    p.client.call(MprisClient::kRoot, u"Quit"_qs);
    ASSERT_TRUE(MainWindowFixture::waitUntil([&] { return p.w().Ended(); }));
    EXPECT_EQ(p.f.app.read(u"ZAlog.m3u"_qs), (gone.join(u"\r\n"_qs) + u"\r\n"_qs).toUtf8());
}

// A hand-over that arrives while the player is still starting waits for the start to finish.
TEST(Mpris, CallsDuringStartUpRunOnceTheWindowHasStarted) {
    TempDir app, media;
    const QString song = tone(media, u"handed.wav"_qs);
    auto fake = std::make_unique<FakeDialogs>();
    FakeDialogs& dialogs = *fake;
    frmMain w(app.path(), media.file(u"missing.mp3"_qs), std::move(fake));
    w.Opener().setWait(std::chrono::seconds(20));
    w.WantMediaControls();
    MprisClient client(
        [](const std::function<bool()>& done) { return MainWindowFixture::waitUntil(done); });
    QDBusMessage::MessageType reply = QDBusMessage::InvalidMessage;
    QStringList playListDuringStart;
    // The start path is missing: start-up stops at its box, with the player already on the bus.
    dialogs.onShow = [&] {
        if (reply != QDBusMessage::InvalidMessage || !client.playerOnBus())
            return;
        reply = client.invoke(u"OpenUri"_qs, {urlOf(song)}).type();
        playListDuringStart = w.PlayList.items();
    };
    ASSERT_TRUE(w.Form_Load());
    EXPECT_EQ(reply, QDBusMessage::ReplyMessage);
    EXPECT_FALSE(playListDuringStart.contains(song));
    EXPECT_TRUE(MainWindowFixture::waitUntil([&] { return w.Player->getPath() == song; }));
    EXPECT_TRUE(w.PlayList.items().contains(song));
    w.ZAPT_End();
}

// A FLAC song's own tag reaches the desktop and the tag label, as an MP3's does.
TEST(Mpris, AFlacSongsTagIsShown) {
    BusPlayer p;
    ASSERT_TRUE(p.onBus);
    MciMedia::Tone t;
    t.seconds = 3;
    t.trackGainTag = "TITLE";
    t.trackGain = "春の風";
    const QString song = p.media.file(u"01.flac"_qs);
    ASSERT_TRUE(MciMedia::writeTone(song, "flac", t));
    p.f.setPlayList({song});
    ui(p.w()).lstPlayList()->setListIndex(0);
    p.client.invoke(u"Play"_qs);
    ASSERT_TRUE(MainWindowFixture::waitUntil([&] { return p.status() == u"Playing"_qs; }));
    EXPECT_EQ(p.client.metadata().value(u"xesam:title"_qs).toString(), u"春の風"_qs);
    EXPECT_EQ(p.w().PlayingTagInfo.Title, u"春の風"_qs);
}
