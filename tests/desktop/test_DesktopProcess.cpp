// The built and the installed player as processes: a second start hands its path over the
// session bus, and an installed player keeps its files out of the prefix.
#include "MprisClient.h"
#include "gui/MainWindowFixture.h"
#include "support/ToneFiles.h"

#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

bool waitFor(const std::function<bool()>& done) {
    return MainWindowFixture::waitUntil(done, 20000);
}

QProcessEnvironment playerEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
    env.insert(u"SDL_AUDIODRIVER"_qs, u"dummy"_qs);
    return env;
}

bool writeToneAt(const QByteArray& path) {
    ToneSpec t;
    t.seconds = 5;
    TempDir scratch;
    const QString made = scratch.file(u"tone.wav"_qs);
    ToneFiles::writeWav(made.toStdString(), t);
    return ::rename(QFile::encodeName(made).constData(), path.constData()) == 0 ||
           QFile::copy(made, QFile::decodeName(path));
}

// QProcess passes arguments as UTF-8 text: a name that is not UTF-8 goes through the shell's
// printf, byte for byte.
void startWithArgumentBytes(QProcess& process, const QString& program, const QByteArray& arg) {
    QString octal;
    for (char c : arg)
        octal += u"\\%1"_qs.arg(uint(uint8_t(c)), 3, 8, QLatin1Char('0'));
    process.start(u"sh"_qs, {u"-c"_qs, u"exec \"$0\" \"$(printf '%1')\""_qs.arg(octal), program});
}

void startPlayer(QProcess& player, const QString& exe, const QStringList& args) {
    player.setProcessEnvironment(playerEnvironment());
    player.setProcessChannelMode(QProcess::ForwardedChannels);
    player.start(exe, args);
}

void endPlayer(QProcess& player) {
    ::kill(static_cast<pid_t>(player.processId()), SIGTERM);
    if (!player.waitForFinished(20000)) {
        player.kill();
        player.waitForFinished();
    }
}

}  // namespace

// The second start gets the path as the shell passed it, by its bytes: a Shift_JIS name (from
// a Japanese archive) is handed over and published as that very file.
TEST(DesktopProcess, SecondStartWithAPathHandsItToTheRunningPlayer) {
    TempDir d;
    const QString exe = d.file(u"zapt"_qs);
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZAPT_EXECUTABLE), exe));
    QProcess first;
    startPlayer(first, exe, {});
    MprisClient desktop(waitFor);
    ASSERT_TRUE(waitFor([&] { return desktop.playerOnBus(); }));

    const QByteArray folder = QFile::encodeName(d.path()) + '/';
    for (const QByteArray& name :
         {QByteArray("曲.wav"), QByteArray("\x8b\xc8\x96\xbc\x83\x65\x83\x58\x83\x67.wav")}) {
        // Made now, so the first start cannot have found it by itself.
        const QByteArray song = folder + name;
        ASSERT_TRUE(writeToneAt(song));
        QProcess second;
        second.setProcessEnvironment(playerEnvironment());
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        startWithArgumentBytes(second, exe, song);
        ASSERT_TRUE(second.waitForFinished(20000));
        EXPECT_EQ(second.exitCode(), 0);

        EXPECT_TRUE(waitFor([&] {
            return desktop.metadata().value(u"xesam:url"_qs).toString() ==
                   u"file://"_qs + QString::fromLatin1(song.toPercentEncoding("/"));
        })) << desktop.metadata().value(u"xesam:url"_qs).toString().toStdString();
        EXPECT_EQ(desktop.get(u"PlaybackStatus"_qs).toString(), u"Playing"_qs);
    }

    // The remote commands of the command line act on the running player.
    for (const auto& [option, status] :
         {std::pair{"--play-pause", "Paused"}, std::pair{"--play-pause", "Playing"},
          std::pair{"--stop", "Stopped"}}) {
        QProcess remote;
        remote.setProcessEnvironment(playerEnvironment());
        remote.start(exe, {QString::fromLatin1(option)});
        ASSERT_TRUE(remote.waitForFinished(20000)) << option;
        EXPECT_EQ(remote.exitCode(), 0) << option;
        EXPECT_TRUE(waitFor([&] {
            return desktop.get(u"PlaybackStatus"_qs).toString() == QLatin1String(status);
        })) << option;
    }
    endPlayer(first);
    EXPECT_EQ(first.exitCode(), 0);
}

// A second start while the first still starts (here held at a box of its start-up) hands its
// path over instead of saying the player runs.
TEST(DesktopProcess, SecondStartDuringTheFirstsStartUpHandsItsPathOver) {
    TempDir d;
    const QString exe = d.file(u"zapt"_qs);
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZAPT_EXECUTABLE), exe));
    QProcess first;
    startPlayer(first, exe,
                {d.file(u"missing.mp3"_qs)});  // its box waits for a click that never comes
    MprisClient desktop(waitFor);
    ASSERT_TRUE(waitFor([&] { return desktop.playerOnBus(); }));
    const QByteArray song = QFile::encodeName(d.file(u"song.wav"_qs));
    ASSERT_TRUE(writeToneAt(song));
    QProcess second;
    startPlayer(second, exe, {QFile::decodeName(song)});
    const bool finished = second.waitForFinished(20000);
    if (!finished)
        second.kill();
    EXPECT_TRUE(finished);
    EXPECT_EQ(second.exitCode(), 0);
    endPlayer(first);
}

// As root the prefix's permission bits stop nobody, so the installed player runs as the user
// nobody; otherwise the prefix is made read-only for the user running the test.
TEST(DesktopProcess, InstalledPlayerKeepsItsFilesInTheUsersDataFolder) {
    TempDir d;
    const QString prefix = d.file(u"prefix"_qs);
    QProcess install;
    install.setProcessChannelMode(QProcess::ForwardedChannels);
    install.start(QStringLiteral(CMAKE_COMMAND),
                  {u"--install"_qs, QStringLiteral(ZAPT_BUILD_DIR), u"--prefix"_qs, prefix});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0);
    QStringList expected = {u"bin/zapt"_qs, u"share/applications/zapt.desktop"_qs,
                            u"share/metainfo/zapt.metainfo.xml"_qs,
                            u"share/icons/hicolor/scalable/apps/zapt.svg"_qs,
                            u"share/zapt/help/index.html"_qs};
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        expected << u"share/icons/hicolor/%1x%1/apps/zapt.png"_qs.arg(size);
    for (const QString& file : expected)
        EXPECT_TRUE(QFileInfo(prefix + u'/' + file).isFile()) << file.toStdString();

    const QString home = d.mkdir(u"home"_qs);
    const bool root = ::geteuid() == 0;
    QProcess chmod;
    chmod.start(u"chmod"_qs, {u"-R"_qs, u"a-w"_qs, prefix});
    ASSERT_TRUE(chmod.waitForFinished());
    QFile::setPermissions(d.path(), QFile::permissions(d.path()) | QFileDevice::ExeOther);
    QProcess player;
    QProcessEnvironment env = playerEnvironment();
    env.insert(u"HOME"_qs, home);
    env.insert(u"XDG_DATA_HOME"_qs, home + u"/data"_qs);
    QString program = prefix + u"/bin/zapt"_qs;
    QStringList args;
    if (root) {
        QProcess chown;
        chown.start(u"chown"_qs, {u"-R"_qs, u"nobody"_qs, home});
        ASSERT_TRUE(chown.waitForFinished());
        env.remove(u"DBUS_SESSION_BUS_ADDRESS"_qs);  // the bus of another user refuses nobody
        env.remove(u"XDG_RUNTIME_DIR"_qs);
        args = {u"--reuid=nobody"_qs, u"--regid=nogroup"_qs, u"--clear-groups"_qs, program};
        program = u"setpriv"_qs;
    }
    player.setProcessEnvironment(env);
    player.setProcessChannelMode(QProcess::ForwardedChannels);
    player.start(program, args);
    const QString data = home + u"/data/zapt/"_qs;
    EXPECT_TRUE(waitFor([&] { return QFileInfo::exists(data + u"ZAhis.m3u"_qs); }));
    endPlayer(player);
    EXPECT_EQ(player.exitCode(), 0);
    for (const char* name : {"ZAopt.inf", "ZAlog.m3u", "list", "color"})
        EXPECT_TRUE(QFileInfo::exists(data + QLatin1String(name))) << name;
    EXPECT_EQ(
        QDir(prefix + u"/bin"_qs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList{u"zapt"_qs});
    chmod.start(u"chmod"_qs, {u"-R"_qs, u"u+w"_qs, prefix});  // so the folder can be removed
    chmod.waitForFinished();
}
