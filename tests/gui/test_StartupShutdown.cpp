#include "MainWindowFixture.h"
#include "gui/frmMain.h"
#include "support/FakeDialogs.h"
#include "support/TempDir.h"

#include <QDir>
#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct Window {
    FakeDialogs* dialogs;
    std::unique_ptr<frmMain> form;
};

Window open(const QString& folder, const QString& startPath = QString()) {
    auto fake = std::make_unique<FakeDialogs>();
    FakeDialogs* raw = fake.get();
    auto form = std::make_unique<frmMain>(folder, startPath, std::move(fake));
    return {raw, std::move(form)};
}

const QByteArray kPlaylist = "/music/one.mp3\r\n/music/two.wav\r\n/music/three.mid\r\n";

}  // namespace

TEST(Startup, FreshFolderGetsItsFilesAndDefaults) {
    TempDir d;
    Window w = open(d.path());
    ASSERT_TRUE(w.form->Form_Load());
    for (const char* name : {"list", "color"})
        EXPECT_TRUE(QDir(d.file(QString::fromLatin1(name))).exists()) << name;
    for (const char* name : {"ZAigw.txt", "ZAart.txt", "ZAhis.m3u", "ZAlog.m3u"})
        EXPECT_TRUE(QFile::exists(d.file(QString::fromLatin1(name)))) << name;
    EXPECT_FALSE(QFile::exists(d.file(u"ZAopt.inf"_qs)));  // written only at shutdown
    EXPECT_EQ(ui(*w.form).lblPlayListCount()->text(), u"No File"_qs);
    EXPECT_EQ(ui(*w.form).lblPlayTime()->text(), u"00:00"_qs);
    EXPECT_EQ(ui(*w.form).CurrentFolder(), d.path());  // no saved folder: the application folder
    EXPECT_EQ(w.form->windowTitle(), u"ZAPT"_qs);
    w.form->ZAPT_End();
    EXPECT_TRUE(QFile::exists(d.file(u"ZAopt.inf"_qs)));
}

TEST(Startup, SavedStateComesBackAndIsWrittenBackUnchanged) {
    TempDir d;
    d.mkdir(u"music"_qs);
    d.write(u"ZAlog.m3u"_qs, kPlaylist);
    d.write(u"ZAhis.m3u"_qs, "/music/two.wav\r\n");
    {
        clsOption o;
        o.setLastPlayIndex(1);
        o.setFormStatus(1);
        o.setDispTimeType(1);
        o.setPrimaryCurrentPath(0);
        o.setLastCurrentFolder(d.file(u"music"_qs));
        o.setLyricFormWidth(4500);  // the lyric window's place and size are written back too
        o.setLyricFormHeight(8000);
        o.setLyricFormPositionX(1500);
        o.setLyricFormPositionY(1200);
        ASSERT_TRUE(o.WriteOption(d.file(u"ZAopt.inf"_qs)));
    }
    const QByteArray optBefore = d.read(u"ZAopt.inf"_qs);

    Window w = open(d.path());
    ASSERT_TRUE(w.form->Form_Load());
    EXPECT_EQ(ui(*w.form).lstPlayList()->count(), 3);
    EXPECT_EQ(ui(*w.form).lstPlayList()->rowText(2), u"three"_qs);
    EXPECT_EQ(ui(*w.form).lstPlayList()->listIndex(), 1);
    EXPECT_EQ(ui(*w.form).lblPlayListCount()->text(), QStringLiteral("×3"));
    EXPECT_EQ(ui(*w.form).lblPlayTime()->text(), QStringLiteral("‐00:00"));
    EXPECT_EQ(ui(*w.form).CurrentFolder(), d.file(u"music"_qs));
    EXPECT_TRUE(ui(*w.form).lstFolderView()->isVisibleTo(w.form.get()));  // normal size
    EXPECT_EQ(w.form->HistoryList.Count(), 1);

    w.form->ZAPT_End();
    w.form->ZAPT_End();  // a second way of closing runs nothing again
    EXPECT_EQ(d.read(u"ZAlog.m3u"_qs), kPlaylist);
    EXPECT_EQ(d.read(u"ZAhis.m3u"_qs), QByteArray("/music/two.wav\r\n"));
    EXPECT_EQ(d.read(u"ZAopt.inf"_qs), optBefore);
    EXPECT_TRUE(w.dialogs->shown.empty());
}

// A track of a disc image is written as its sheet and number and comes back as the same row.
TEST(Startup, ATrackOfADiscImageComesBackAsTheSameRow) {
    TempDir d;
    d.write(u"disc.wav"_qs, "x");
    d.write(u"disc.cue"_qs, "FILE disc.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                            "TRACK 02 AUDIO\nTITLE \"春\"\nINDEX 01 01:00:00\n");
    const QByteArray track = (d.file(u"disc.cue"_qs) + u"?2\r\n"_qs).toUtf8();
    d.write(u"ZAlog.m3u"_qs, track);
    d.write(u"ZAhis.m3u"_qs, track);
    Window w = open(d.path());
    ASSERT_TRUE(w.form->Form_Load());
    EXPECT_EQ(ui(*w.form).lstPlayList()->rowText(0), u"春"_qs);
    w.form->ZAPT_End();
    EXPECT_EQ(d.read(u"ZAlog.m3u"_qs), track);
    EXPECT_EQ(d.read(u"ZAhis.m3u"_qs), track);
}

TEST(Startup, SecondInstanceIsRefused) {
    TempDir d;
    Window first = open(d.path());
    ASSERT_TRUE(first.form->Form_Load());
    Window second = open(d.path());
    EXPECT_FALSE(second.form->Form_Load());
    ASSERT_EQ(second.dialogs->shown.size(), 1u);
    EXPECT_EQ(second.dialogs->shown[0].text, QStringLiteral("既に起動しています。"));
    EXPECT_EQ(second.dialogs->shown[0].title, u"ZAPT"_qs);
    EXPECT_FALSE(QFile::exists(d.file(u"ZAopt.inf"_qs)));
    second.form->ZAPT_End();  // a refused window writes nothing
    EXPECT_FALSE(QFile::exists(d.file(u"ZAopt.inf"_qs)));

    first.form->ZAPT_End();
    Window third = open(d.path());
    EXPECT_TRUE(third.form->Form_Load());  // the lock went with the first window
    third.form->ZAPT_End();
}

// A lock path that is no regular file is refused before anything waits on it or reads it.
TEST(Startup, ALockThatIsNoFileIsReportedAtOnce) {
    const std::function<void(const QString&)> plants[] = {
        [](const QString& p) { ::mkfifo(QFile::encodeName(p).constData(), 0600); },
        [](const QString& p) { QFile::link(u"/dev/zero"_qs, p); },
        [](const QString& p) { QDir().mkpath(p); },
        [](const QString& p) { QFile::link(p, p); },  // a link to itself
    };
    for (const auto& plant : plants) {
        TempDir d;
        plant(d.file(u".zapt.lock"_qs));
        Window w = open(d.path());
        EXPECT_FALSE(w.form->Form_Load());
        ASSERT_EQ(w.dialogs->shown.size(), 1u);
        EXPECT_EQ(w.dialogs->shown[0].text, u"ロックファイルを作成できません。\n"_qs + d.path());
    }
}

// Ended by a signal or by the desktop, no box can say that a file was not saved: the session
// log (stderr) does, in one line.
TEST(Startup, AFailedSaveAtAnEndWithoutBoxesIsLogged) {
    static QStringList logged;
    logged.clear();
    TempDir d;
    Window w = open(d.path());
    ASSERT_TRUE(w.form->Form_Load());
    ASSERT_TRUE(QFile::remove(d.file(u"ZAlog.m3u"_qs)) || !QFile::exists(d.file(u"ZAlog.m3u"_qs)));
    d.mkdir(u"ZAlog.m3u"_qs);  // can no longer be written
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext& context, const QString& text) {
            logged << QString::fromLatin1(context.category) + u": "_qs + text;
        });
    w.form->RequestEnd();
    qInstallMessageHandler(previous);
    EXPECT_TRUE(w.form->Ended());
    EXPECT_TRUE(w.dialogs->shown.empty());
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged[0].startsWith(u"zapt.state: could not save ZAlog.m3u in "_qs))
        << logged[0].toStdString();
}

TEST(Startup, StartPathChoosesThePlaylist) {
    TempDir d;
    d.write(u"ZAlog.m3u"_qs, kPlaylist);
    const QString folder = d.mkdir(u"album"_qs);
    d.write(u"album/a.mp3"_qs, "x");
    d.write(u"album/sub/b.wav"_qs, "x");
    d.write(u"album/notes.txt"_qs, "x");
    d.write(u"fav.m3u"_qs, "/x/1.mp3\r\n/x/2.mp3\r\n");

    QStringList cases = {d.file(u"album/a.mp3"_qs), d.write(u"SONG.MP3"_qs, "x")};
    for (const char* name :
         {"s.flac", "s.ogg", "s.oga", "s.Opus", "s.m4a",  "s.aac", "s.midi", "s.wma",  "s.wav",
          "s.mid",  "s.ape", "s.wv",  "s.tta",  "s.tak",  "s.aif", "s.AIFF", "s.aifc", "s.mp2",
          "s.mpa",  "s.dsf", "s.dff", "s.mka",  "s.webm", "s.ac3"})  // every kind the player plays
        cases << d.write(u"songs/"_qs + QString::fromLatin1(name), "x");
    for (const QString& path : cases) {
        Window w = open(d.path(), path);
        ASSERT_TRUE(w.form->Form_Load());
        EXPECT_EQ(w.form->PlayList.items(), QStringList{path}) << path.toStdString();
        EXPECT_TRUE(w.dialogs->texts().filter(u"再生できない"_qs).isEmpty());
        w.form->ZAPT_End();
    }
    {
        d.write(u"disc/disc.wav"_qs, "x");
        const QString cue =
            d.write(u"disc/disc.cue"_qs, "FILE disc.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                                         "TRACK 02 AUDIO\nINDEX 01 01:00:00\n");
        Window w = open(d.path(), cue);
        ASSERT_TRUE(w.form->Form_Load());
        EXPECT_EQ(w.form->PlayList.items(), (QStringList{cue + u"?1"_qs, cue + u"?2"_qs}));
        w.form->ZAPT_End();
    }
    {
        Window w = open(d.path(), d.file(u"fav.m3u"_qs));
        ASSERT_TRUE(w.form->Form_Load());
        EXPECT_EQ(w.form->PlayList.items(), (QStringList{u"/x/1.mp3"_qs, u"/x/2.mp3"_qs}));
        w.form->ZAPT_End();
    }
    Window w = open(d.path(), folder);
    ASSERT_TRUE(w.form->Form_Load());
    QStringList got = w.form->PlayList.items();
    got.sort();
    EXPECT_EQ(got, (QStringList{d.file(u"album/a.mp3"_qs), d.file(u"album/sub/b.wav"_qs)}));
    w.form->ZAPT_End();
}

// A start path the player cannot use is reported, and the saved playlist is kept and written
// back as it was instead of being replaced by nothing.
TEST(Startup, UnusableStartPathKeepsTheSavedPlaylist) {
    TempDir d;
    d.write(u"ZAlog.m3u"_qs, kPlaylist);
    {
        clsOption o;
        o.setLastPlayIndex(2);
        o.setFirstAction(4);  // not for a start path: it would try to play a missing song
        ASSERT_TRUE(o.WriteOption(d.file(u"ZAopt.inf"_qs)));
    }
    struct Case {
        QString path;
        QString message;
    };
    const QString notes = d.write(u"notes.txt"_qs, "x");
    const QString m3u8 = d.write(u"list.m3u8"_qs, "/x/1.mp3\r\n");
    const QString missing = d.file(u"gone.mp3"_qs);
    const QString missingList = d.file(u"gone.m3u"_qs);
    const Case cases[] = {
        {notes, notes + u"は再生できないファイルです。"_qs},
        {m3u8, m3u8 + u"は再生できないファイルです。"_qs},
        {missing, missing + u"にアクセスできません。"_qs},
        {missingList, missingList + u"にアクセスできません。"_qs},
        {d.file(u"nothing"_qs), d.file(u"nothing"_qs) + u"にアクセスできません。"_qs},
    };
    for (const Case& c : cases) {
        Window w = open(d.path(), c.path);
        ASSERT_TRUE(w.form->Form_Load());
        EXPECT_EQ(w.dialogs->texts(), QStringList{c.message});
        EXPECT_EQ(w.form->PlayList.Count(), 3) << c.path.toStdString();
        EXPECT_EQ(ui(*w.form).lstPlayList()->listIndex(), 2);
        w.form->ZAPT_End();
        EXPECT_EQ(d.read(u"ZAlog.m3u"_qs), kPlaylist) << c.path.toStdString();
    }
    EXPECT_FALSE(QFile::exists(missingList));  // reported, not made
}

// A relative start path is taken from the folder the player was started in and kept as an
// absolute, clean path, so the saved playlist works from any folder next time.
TEST(Startup, RelativeStartPathIsMadeAbsolute) {
    TempDir d;
    TempDir work;
    const QString song = work.write(u"album/a.mp3"_qs, "x");
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(work.path()));
    struct Case {
        QString given;
        QStringList expected;
    };
    const Case cases[] = {
        {u"album/a.mp3"_qs, {song}},
        {u"./album/../album/a.mp3"_qs, {song}},
        {u"."_qs, {song}},
        {u"album/"_qs, {song}},
    };
    for (const Case& c : cases) {
        Window w = open(d.path(), c.given);
        ASSERT_TRUE(w.form->Form_Load());
        EXPECT_EQ(w.form->PlayList.items(), c.expected) << c.given.toStdString();
        w.form->ZAPT_End();
        EXPECT_EQ(d.read(u"ZAlog.m3u"_qs), song.toUtf8() + "\r\n");
    }
    QDir::setCurrent(before);
}

TEST(Startup, LockThatCannotBeMadeIsNotCalledASecondPlayer) {
    TempDir d;
    const QString notAFolder = d.write(u"plain-file"_qs, "x");
    for (const QString& folder : {d.file(u"no/such/folder"_qs), notAFolder}) {
        Window w = open(folder);
        EXPECT_FALSE(w.form->Form_Load());
        EXPECT_EQ(w.dialogs->texts(),
                  QStringList{u"ロックファイルを作成できません。\n"_qs + folder});
    }
}

namespace {
// Boxes whose showing is interrupted by a request to end, as a signal does while a box is open.
class InterruptedDialogs : public FakeDialogs {
public:
    frmMain* form = nullptr;
    Answer message(const QString& text, const QString& title, Buttons buttons,
                   Answer defaultButton) override {
        const Answer a = FakeDialogs::message(text, title, buttons, defaultButton);
        form->RequestEnd();
        return a;
    }
};
}  // namespace

// A request to end during start-up ends it at the next step: before the window is shown
// nothing is written; once it is shown, the state is saved as at any end. The program then
// does not go on to run (Form_Load is false), no further box is shown, and the lock is free.
TEST(Startup, EndAskedDuringAStartupBoxEndsStartup) {
    struct Case {
        const char* name;
        QString startPath;
        int16_t firstAction;
        bool saved;
    };
    const Case cases[] = {
        {"unusable start path", u"/no/such/song.mp3"_qs, 0, false},
        {"first song missing at play on start", QString(), 4, true},
    };
    for (const Case& c : cases) {
        TempDir d;
        d.write(u"ZAlog.m3u"_qs, "/gone/1.mp3\r\n/gone/2.mp3\r\n");
        {
            clsOption o;
            o.setFirstAction(c.firstAction);
            o.setLastCurrentFolder(u"/no/such/folder"_qs);
            ASSERT_TRUE(o.WriteOption(d.file(u"ZAopt.inf"_qs)));
        }
        const QByteArray optBefore = d.read(u"ZAopt.inf"_qs);
        auto fake = std::make_unique<InterruptedDialogs>();
        InterruptedDialogs* dialogs = fake.get();
        frmMain form(d.path(), c.startPath, std::move(fake));
        dialogs->form = &form;
        EXPECT_FALSE(form.Form_Load()) << c.name;
        EXPECT_TRUE(form.Ended()) << c.name;
        EXPECT_EQ(dialogs->shown.size(), 1u) << c.name;
        EXPECT_EQ(d.read(u"ZAlog.m3u"_qs), QByteArray("/gone/1.mp3\r\n/gone/2.mp3\r\n"));
        // The end writes the folder it showed (the application folder) where the file held
        // one that does not exist.
        EXPECT_EQ(d.read(u"ZAopt.inf"_qs) != optBefore, c.saved) << c.name;
        form.ZAPT_End();  // a later close writes nothing more
        Window next = open(d.path());
        EXPECT_TRUE(next.form->Form_Load()) << c.name;  // the lock was let go
        next.form->ZAPT_End();
    }
}

namespace {

bool catchesSigterm(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace

// The real player, in a folder of its own (the folder of its executable holds its state), is
// sent SIGTERM while start-up shows a box. It must end by itself, normally, with the lock let
// go; refused or before its window was shown, without writing a thing.
TEST(StartupProcess, SigtermDuringAStartupBoxEndsThePlayer) {
    struct Case {
        const char* name;
        bool holdLock;      // a second instance: refused with a box
        QString startPath;  // a missing start file: reported with a box
        int16_t firstAction;
        bool writesNothing;
    };
    const Case cases[] = {
        {"second instance", true, QString(), 0, true},
        {"missing start file", false, u"/no/such/song.mp3"_qs, 0, true},
        {"first song missing at play on start", false, QString(), 4, false},
    };
    for (const Case& c : cases) {
        TempDir d;
        const QString exe = d.file(u"zapt"_qs);
        ASSERT_TRUE(QFile::copy(QStringLiteral(ZAPT_EXECUTABLE), exe));
        d.write(u"ZAlog.m3u"_qs, "/gone/1.mp3\r\n");
        for (const char* name : {"ZAigw.txt", "ZAart.txt", "ZAhis.m3u"})  // start-up makes these
            d.write(QString::fromLatin1(name), QByteArray());
        d.mkdir(u"list"_qs);
        d.mkdir(u"color"_qs);
        {
            clsOption o;
            o.setFirstAction(c.firstAction);
            ASSERT_TRUE(o.WriteOption(d.file(u"ZAopt.inf"_qs)));
        }
        QLockFile held(d.file(u".zapt.lock"_qs));
        ASSERT_TRUE(!c.holdLock || held.tryLock(0));
        const QStringList entriesBefore = folderEntries(d.path());
        const QByteArray optBefore = d.read(u"ZAopt.inf"_qs);

        QProcess player;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
        env.insert(u"SDL_AUDIODRIVER"_qs, u"dummy"_qs);
        player.setProcessEnvironment(env);
        player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        player.start(exe, c.startPath.isEmpty() ? QStringList() : QStringList{c.startPath});
        ASSERT_TRUE(player.waitForStarted()) << c.name;
        // Once SIGTERM is caught, the signal reaches the player's own handler whether the box
        // is already up or comes later.
        ASSERT_TRUE(
            MainWindowFixture::waitUntil([&] { return catchesSigterm(player.processId()); }, 20000))
            << c.name;
        ::kill(static_cast<pid_t>(player.processId()), SIGTERM);
        const bool ended = player.waitForFinished(20000);
        if (!ended) {
            player.kill();
            player.waitForFinished();
        }
        ASSERT_TRUE(ended) << c.name << ": still running after SIGTERM";
        EXPECT_EQ(player.exitStatus(), QProcess::NormalExit) << c.name;
        EXPECT_EQ(player.exitCode(), 0) << c.name;
        EXPECT_EQ(d.read(u"ZAlog.m3u"_qs), QByteArray("/gone/1.mp3\r\n")) << c.name;
        if (c.writesNothing) {
            EXPECT_EQ(folderEntries(d.path()), entriesBefore) << c.name;
            EXPECT_EQ(d.read(u"ZAopt.inf"_qs), optBefore) << c.name;
        }
        // The lock is let go (the test's own stays).
        EXPECT_EQ(QFile::exists(d.file(u".zapt.lock"_qs)), c.holdLock) << c.name;
    }
}

// Printing and remote commands end at once, with no display needed, and leave the folder as it
// was: no lock, no state file.
TEST(StartupProcess, CommandLineOptionsActWithoutAWindow) {
    const struct {
        QStringList args;
        int status;
        QString out;  // what stdout starts with
        QString err;  // what stderr contains
    } cases[] = {
        {{u"--version"_qs}, 0, u"zapt "_qs, {}},
        {{u"--help"_qs}, 0, u"Usage: "_qs, {}},
        {{u"--bogus"_qs}, 2, {}, u"bogus"_qs},
        {{u"--next"_qs}, 1, {}, u"ZAPT は起動していません。"_qs},
    };
    for (const auto& c : cases) {
        TempDir d;
        const QString exe = d.file(u"zapt"_qs);
        ASSERT_TRUE(QFile::copy(QStringLiteral(ZAPT_EXECUTABLE), exe));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* display :
             {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"})
            env.remove(QString::fromLatin1(display));
        QProcess player;
        player.setProcessEnvironment(env);
        player.start(exe, c.args);
        const std::string name = c.args.join(u' ').toStdString();
        ASSERT_TRUE(player.waitForFinished(10000)) << name;
        EXPECT_EQ(player.exitStatus(), QProcess::NormalExit) << name;
        EXPECT_EQ(player.exitCode(), c.status) << name;
        EXPECT_TRUE(QString::fromUtf8(player.readAllStandardOutput()).startsWith(c.out)) << name;
        EXPECT_TRUE(QString::fromUtf8(player.readAllStandardError()).contains(c.err)) << name;
        EXPECT_EQ(folderEntries(d.path()), QStringList{u"zapt"_qs}) << name;
    }
}
