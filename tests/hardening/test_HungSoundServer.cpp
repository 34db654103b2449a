// The real program beside a sound server that hangs, with no SDL driver chosen: one that takes
// connections and never answers (PULSE_SERVER names it), and the real one stopped with SIGSTOP
// in the middle of a song. It starts, answers and ends as it would with no server at all. Run
// on a session bus of its own (dbus-run-session), where the player's media controls tell when
// its window answers.
#include "Watchdog.h"
#include "audio/HungSoundServer.h"
#include "audio/PulseServer.h"
#include "support/TempDir.h"
#include "support/ToneFiles.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

long long millisSince(Clock::time_point from) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - from).count();
}

// A property of the player's media controls as they answer within `limitMillis`; invalid when
// no player is on the bus or it does not answer in time.
QVariant playerProperty(QDBusConnection& bus, const QString& property, int limitMillis) {
    const QStringList names = bus.interface()->registeredServiceNames().value();
    for (const QString& name : names) {
        if (!name.startsWith(QStringLiteral("org.mpris.MediaPlayer2.")))
            continue;
        QDBusMessage get = QDBusMessage::createMethodCall(
            name, QStringLiteral("/org/mpris/MediaPlayer2"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << QStringLiteral("org.mpris.MediaPlayer2.Player") << property;
        const QDBusMessage reply = bus.call(get, QDBus::Block, limitMillis);
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            return reply.arguments().first().value<QDBusVariant>().variant();
    }
    return {};
}

QString playbackStatus(QDBusConnection& bus, int limitMillis) {
    return playerProperty(bus, QStringLiteral("PlaybackStatus"), limitMillis).toString();
}

// The built player, copied into a folder of its own (its application folder, where the state
// files land), started with a song to play and ended by SIGTERM.
class Player {
public:
    explicit Player(const TempDir& dir) : app_(dir.mkdir(QStringLiteral("app"))) {
        copied_ = QFile::copy(QStringLiteral(ZAPT_EXECUTABLE), app_ + QStringLiteral("/zapt"));
    }
    ~Player() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    bool start(const QString& song, const QString& pulseServer) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("PULSE_SERVER"), pulseServer);
        env.remove(QStringLiteral("SDL_AUDIODRIVER"));  // no driver forced: SDL picks as it would
        env.remove(QStringLiteral("ZAPT_AUDIO"));
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        startedAt_ = Clock::now();
        process_.start(app_ + QStringLiteral("/zapt"), {song});
        return copied_ && process_.waitForStarted(5000);
    }
    // Milliseconds from the start until the player answered that it plays; -1 when it never
    // did within 20 s.
    long long waitUntilPlaying(QDBusConnection& bus) {
        while (millisSince(startedAt_) < 20000 && process_.state() == QProcess::Running) {
            if (playbackStatus(bus, 100) == QStringLiteral("Playing"))
                return millisSince(startedAt_);
            std::this_thread::sleep_for(20ms);
        }
        return -1;
    }
    // Sends SIGTERM with the state file removed; milliseconds until the player ended (-1 when
    // it did not within 20 s).
    long long end() {
        QFile::remove(optionsFile());
        const auto ending = Clock::now();
        ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
        if (!process_.waitForFinished(20000))
            return -1;
        return millisSince(ending);
    }
    bool endedCleanly() const {
        return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    }
    // The options file: written before the first play, and again at the end.
    QString optionsFile() const { return app_ + QStringLiteral("/ZAopt.inf"); }

private:
    QString app_;
    bool copied_ = false;
    QProcess process_;
    Clock::time_point startedAt_;
};

QString writeSong(const TempDir& d, double seconds) {
    ToneSpec tone;
    tone.seconds = seconds;
    const QString song = d.file(QStringLiteral("song.wav"));
    return ToneFiles::writeWav(song.toStdString(), tone) ? song : QString();
}

}  // namespace

TEST(HungSoundServer, ThePlayerStartsPlayingAndEndsAsWithNoServerAtAll) {
    Watchdog watchdog("a start and an end beside a sound server that never answers", 60s);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        GTEST_SKIP() << "no session bus (the test runs under dbus-run-session)";
    ASSERT_TRUE(playbackStatus(bus, 200).isEmpty()) << "another player is on this bus";
    TempDir d;
    HungSoundServer hung(d.path().toStdString());
    ASSERT_TRUE(hung.listening());
    const QString song = writeSong(d, 30);
    ASSERT_FALSE(song.isEmpty());

    Player player(d);
    ASSERT_TRUE(player.start(song, QString::fromStdString(hung.address())));
    // Up: the window's event loop answers, and the song plays (on the silent driver).
    const long long upAfter = player.waitUntilPlaying(bus);
    ASSERT_GE(upAfter, 0) << "the player never answered that it plays";
    EXPECT_LT(upAfter, 2000);
    EXPECT_GE(hung.connections(), 1) << "the player never tried the server";
    // Still answering a second later, while the song plays.
    std::this_thread::sleep_for(1000ms);
    const auto asked = Clock::now();
    EXPECT_EQ(playbackStatus(bus, 1000), QStringLiteral("Playing"));
    const long long answerMillis = millisSince(asked);
    EXPECT_LT(answerMillis, 500);

    const long long endMillis = player.end();
    std::printf("up and playing after %lld ms (an answer then took %lld ms); ended %lld ms after "
                "SIGTERM; %d connections to the server\n",
                upAfter, answerMillis, endMillis, hung.connections());
    ASSERT_GE(endMillis, 0) << "the player did not end";
    EXPECT_LT(endMillis, 2000);
    EXPECT_TRUE(player.endedCleanly());
    EXPECT_TRUE(QFileInfo(player.optionsFile()).isFile());
    EXPECT_GT(QFileInfo(player.optionsFile()).size(), 0);
}

// The real server is stopped (SIGSTOP) while the song plays. However long it has been stopped
// when SIGTERM comes (just before the player notices, while it counts the server as lost,
// after it went over to the silent driver) the window answers and the player ends within two
// seconds; once it has gone over, the song's time runs on.
TEST(HungSoundServer, ThePlayerEndsPromptlyWhateverTimeItsServerStoppedMidSong) {
    if (!PulseServer::installed())
        GTEST_SKIP() << "pulseaudio and parec are not installed";
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        GTEST_SKIP() << "no session bus (the test runs under dbus-run-session)";
    for (const int stoppedMillis : {1000, 2500, 6500}) {
        SCOPED_TRACE("ended " + std::to_string(stoppedMillis) + " ms after the server stopped");
        Watchdog watchdog("a player whose server stopped mid-song", 90s);
        TempDir d;
        PulseServer server;
        ASSERT_TRUE(server.start());
        const QString song = writeSong(d, 60);
        ASSERT_FALSE(song.isEmpty());
        Player player(d);
        ASSERT_TRUE(player.start(song, QString::fromUtf8(qgetenv("PULSE_SERVER"))));
        ASSERT_GE(player.waitUntilPlaying(bus), 0);
        // Well into the song, heard on the server (a fresh server takes a while to start it).
        const auto playing = Clock::now();
        qlonglong heard = 0;
        while (heard < 2000000 && Clock::now() - playing < 15s) {
            std::this_thread::sleep_for(50ms);
            heard = playerProperty(bus, QStringLiteral("Position"), 1000).toLongLong();
        }
        ASSERT_GE(heard, 2000000);

        ASSERT_EQ(::kill(server.pid(), SIGSTOP), 0);
        // The position twice, a second apart, and SIGTERM right after.
        std::this_thread::sleep_for(std::chrono::milliseconds(stoppedMillis - 1000));
        const auto asked = Clock::now();
        const qlonglong before = playerProperty(bus, QStringLiteral("Position"), 1000).toLongLong();
        const long long answerMillis = millisSince(asked);
        std::this_thread::sleep_for(1000ms);
        const qlonglong after = playerProperty(bus, QStringLiteral("Position"), 1000).toLongLong();
        const long long endMillis = player.end();
        ::kill(server.pid(), SIGCONT);
        std::printf("%d ms after the server stopped: position %.2f s, a second later %.2f s; an "
                    "answer took %lld ms; ended %lld ms after SIGTERM\n",
                    stoppedMillis, double(before) / 1e6, double(after) / 1e6, answerMillis,
                    endMillis);
        EXPECT_LT(answerMillis, 500);
        ASSERT_GE(endMillis, 0) << "the player did not end";
        EXPECT_LT(endMillis, 2000);
        EXPECT_TRUE(player.endedCleanly());
        EXPECT_TRUE(QFileInfo(player.optionsFile()).isFile());
        if (stoppedMillis > 6000) {  // gone over to the silent driver: time runs again
            EXPECT_GT(after - before, 500000);
        }
    }
}
