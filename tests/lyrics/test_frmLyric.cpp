#include "gui/MainWindowFixture.h"
#include "gui/lyrics/frmLyric.h"
#include "gui/settings/frmOptions.h"
#include "lyrics/LyricText.h"
#include "playback/PlayerController.h"
#include "support/Id3TagBuilder.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStringEncoder>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QString writePicture(const TempDir& dir, const QString& name, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    image.save(dir.file(name));
    return dir.file(name);
}

clsArrayList listOf(const QStringList& paths) {
    clsArrayList l;
    l.assign(paths);
    return l;
}

// An engine that plays nothing: its heard position is what the test says. Test thread.
class StillEngine final : public PlayerEngine {
public:
    QString path;
    std::chrono::milliseconds heard{0};
    int32_t state = 0;
    std::chrono::milliseconds seekedTo{-1};

    QString getPath() const override { return path; }
    int32_t getTotalSecond() const override { return 60; }
    int32_t playSecond() override { return int32_t(heard.count() / 1000); }
    std::chrono::milliseconds heardPosition() override { return heard; }
    int32_t getState() override { return state; }
    bool open_(PreparedSong prepared) override {
        path = prepared.path;
        return true;
    }
    bool play() override { return (state = 1); }
    bool stop_() override { return !(state = 0); }
    bool pause() override { return (state = 2); }
    bool restart() override { return (state = 1); }
    bool seekTo(std::chrono::milliseconds position) override {
        seekedTo = heard = position;
        return true;
    }
    bool queueNext(PreparedSong, std::chrono::milliseconds) override { return false; }
    QString queuedPath() const override { return {}; }
    void dropQueued() override {}
    bool adoptJoined(const QString&) override { return false; }
    void setEndHandler(std::function<void()>) override {}
};

class ListRows final : public PlayRows {
public:
    clsArrayList list;
    const clsArrayList& entries() const override { return list; }
    int32_t rowCount() const override { return list.Count(); }
    int32_t selectedRow() const override { return -1; }
    void setSelectedRow(int32_t) override {}
    void showRow(int32_t) override {}
};

// Timers that never fire: the sequence's ticks play no part here.
class StillClock final : public PlayerClock {
    struct StillTimer final : Timer {
        bool active = false;
        void start(std::chrono::milliseconds) override { active = true; }
        void stop() override { active = false; }
        bool isActive() const override { return active; }
    };

public:
    std::unique_ptr<Timer> makeTimer(bool, std::function<void()>) override {
        return std::make_unique<StillTimer>();
    }
};

}  // namespace

// Lines of 10, 30 and 20 single-byte characters give 30 bytes, ten full-width characters 20,
// ten "×" (two bytes each in Shift_JIS) 20 too, whether the file is Shift_JIS or UTF-8; the
// window's client area follows the size rule.
TEST(frmLyric, TextSizeFollowsTheLongestLineInShiftJisBytes) {
    TempDir dir;
    struct Case {
        QString body;
        int lines;
        int bytes;
        bool mustFit = false;  // shown whole, with nothing to scroll sideways
    };
    const Case cases[] = {
        {u"aaaaaaaaaa\r\n"_qs + QString(30, u'b') + u"\r\n"_qs + QString(20, u'c') + u"\r\n"_qs, 3,
         30},
        {u"あいうえおかきくけこ\r\nxyz\r\n"_qs, 2, 20},
        {u"××××××××××\r\n°±§¨´¶÷\r\n"_qs, 2, 20, true},
    };
    QStringEncoder sjis("windows-31j");
    for (const Case& c : cases) {
        const QString text = u"タイトル\r\n"_qs + c.body;
        for (const QByteArray& bytes : {QByteArray(sjis.encode(text)), text.toUtf8()}) {
            const QString path = dir.write(u"song.TXT"_qs, bytes);
            frmLyric w;
            w.SetSize(4500, 8000);
            w.setLyricFile(listOf({path}));
            w.DispLyric(0);
            EXPECT_EQ(w.lblTitle->text(), u"タイトル"_qs);
            EXPECT_EQ(w.LineCount(), c.lines);
            EXPECT_EQ(w.MaxLineBytes(), c.bytes);
            EXPECT_EQ(w.width(), w.vscLyric->width() + 4 + c.bytes * 6);
            EXPECT_EQ(w.height(), w.hscLyric->height() + 10 + w.txtLyric->y() + (c.lines + 1) * 12);
            EXPECT_EQ(w.windowTitle(), u"song.TXT"_qs);
            if (c.mustFit) {
                w.show();
                QCoreApplication::processEvents();
                EXPECT_EQ(w.txtLyric->horizontalScrollBar()->maximum(), 0);
            }
        }
    }
}

// Files of the largest size read that are all line breaks or one endless line: the window
// holds at most the lines and the line length the reader keeps, and stays on the screen.
TEST(frmLyric, HugeTextsAreCutToWhatTheWindowCanHold) {
    TempDir dir;
    const qsizetype size = LyricText::kMaxBytes;
    const QByteArray cases[] = {
        QByteArray("\r\n").repeated(size / 2),
        QByteArray(size, '\n'),
        "T\r\n" + QByteArray(size - 3, 'x'),
        QByteArray(size, 'x'),
    };
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (const QByteArray& bytes : cases) {
        const QString path = dir.write(u"huge.txt"_qs, bytes);
        frmLyric w;
        w.SetSize(4500, 8000);
        w.move(area.topLeft());
        w.show();
        w.setLyricFile(listOf({path}));
        w.DispLyric(0);
        const QTextDocument* doc = w.txtLyric->document();
        EXPECT_LT(w.LineCount(), LyricText::kMaxLines);
        EXPECT_LT(doc->blockCount(), LyricText::kMaxLines);
        EXPECT_FALSE(w.lblTitle->text().isEmpty() && doc->characterCount() <= 1);  // read
        qsizetype longest = w.lblTitle->text().size();
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
            longest = std::max<qsizetype>(longest, b.length() - 1);
        EXPECT_LE(longest, LyricText::kMaxLineChars);
        EXPECT_LE(w.MaxLineBytes(), 2 * LyricText::kMaxLineChars);
        EXPECT_TRUE(area.contains(w.frameGeometry())) << w.frameGeometry().height();
    }
}

// A window whose saved place lies past the screen's edge keeps the size of its text.
TEST(frmLyric, PlacedPastTheScreenKeepsItsSize) {
    TempDir dir;
    const QString path = dir.write(u"t.txt"_qs, "T\r\n" + QByteArray(30, 'x') + "\r\n");
    const int right = QGuiApplication::primaryScreen()->geometry().right();
    frmLyric w;
    w.SetSize(4500, 8000);
    w.SetLocate((right + 50) * 15, 0);
    w.setLyricFile(listOf({path}));
    w.DispLyric(0);
    EXPECT_EQ(w.width(), w.vscLyric->width() + 4 + 30 * 6);
}

// A picture smaller than the panel needs no bars; one larger than the screen cuts the window at
// the screen's edge with the bars still off, until the user resizes the window.
TEST(frmLyric, PictureScrollBars) {
    TempDir dir;
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const QString small = writePicture(dir, u"small.png"_qs, {40, 30});
    const QString large = writePicture(dir, u"large.jpg"_qs, screen + QSize(300, 200));
    frmLyric w;
    w.SetLocate(0, 0);
    w.SetSize(4500, 8000);
    w.setLyricFile(listOf({small, large}));
    w.show();

    w.DispLyric(0);
    EXPECT_TRUE(w.IsImageMode());
    EXPECT_EQ(w.picLyric->size(), QSize(40, 30));
    EXPECT_FALSE(w.hscLyric->isEnabled());
    EXPECT_FALSE(w.vscLyric->isEnabled());
    EXPECT_FALSE(w.picGuide->isVisible());

    w.DispLyric(1);
    EXPECT_LE(w.frameGeometry().right(), screen.width() - 1);
    EXPECT_LE(w.frameGeometry().bottom(), screen.height() - 1);
    EXPECT_EQ(w.picLyricPanel->size(), w.picLyric->size());
    EXPECT_FALSE(w.hscLyric->isEnabled());
    EXPECT_FALSE(w.vscLyric->isEnabled());

    w.resize(400, 300);
    ASSERT_TRUE(w.hscLyric->isEnabled());
    ASSERT_TRUE(w.vscLyric->isEnabled());
    w.hscLyric->setValue(w.hscLyric->maximum());
    w.vscLyric->setValue(w.vscLyric->maximum());
    EXPECT_EQ(w.picLyric->geometry().bottomRight(),
              QPoint(w.picLyricPanel->width() - 1, w.picLyricPanel->height() - 1));
}

// Missing files, undecodable pictures and a text after a picture: empty, never a stale view.
TEST(frmLyric, MissingAndBrokenFilesShowEmpty) {
    TempDir dir;
    const QString broken = dir.write(u"broken.gif"_qs, "GIF89a not really");
    const QString picture = writePicture(dir, u"p.bmp"_qs, {50, 50});
    frmLyric w;
    w.setLyricFile(listOf({picture, broken, dir.file(u"gone.txt"_qs)}));
    w.DispLyric(0);
    w.DispLyric(1);
    EXPECT_EQ(w.picLyric->size(), QSize(0, 0));
    EXPECT_FALSE(w.hscLyric->isEnabled());
    w.DispLyric(2);
    EXPECT_FALSE(w.IsImageMode());
    EXPECT_TRUE(w.lblTitle->text().isEmpty());
    EXPECT_TRUE(w.txtLyric->toPlainText().isEmpty());
    EXPECT_FALSE(w.picLyricPanel->isVisibleTo(&w));
}

// Right past the last candidate shows the first, Left before the first the last; the arrows
// show only with two candidates or more and only for text; Escape and the close box hide.
TEST(frmLyric, StepsThroughCandidates) {
    TempDir dir;
    const QString a = dir.write(u"a.txt"_qs, "A\r\n1\r\n");
    const QString b = dir.write(u"b.txt"_qs, "B\r\n2\r\n");
    const QString c = writePicture(dir, u"c.gif"_qs, {10, 10});
    frmLyric w;
    w.setLyricFile(listOf({a, b, c}));
    w.show();
    w.DispLyric(0);
    EXPECT_TRUE(w.picGuide->isVisible());
    QTest::keyClick(&w, Qt::Key_Left);
    EXPECT_EQ(w.CurrentIndex(), 2);
    EXPECT_FALSE(w.picGuide->isVisible());
    QTest::keyClick(&w, Qt::Key_Right);
    EXPECT_EQ(w.CurrentIndex(), 0);
    QTest::mouseClick(w.lblGuide1, Qt::LeftButton);
    EXPECT_EQ(w.lblTitle->text(), u"B"_qs);
    QTest::mouseClick(w.lblTitle, Qt::RightButton);
    EXPECT_EQ(w.CurrentIndex(), 0);

    w.setLyricFile(listOf({a}));
    w.DispLyric(0);
    EXPECT_FALSE(w.picGuide->isVisible());

    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    w.show();
    EXPECT_FALSE(w.close());
    EXPECT_FALSE(w.isVisible());
    w.UnloadFlg = true;
    w.show();
    EXPECT_TRUE(w.close());
}

// The size kept for the next start is the last one the user gave while text was shown, even
// after two pictures.
TEST(frmLyric, KeepsTheTextModeSize) {
    TempDir dir;
    const QString text = dir.write(u"t.txt"_qs, "T\r\nline\r\n");
    const QString p1 = writePicture(dir, u"p1.png"_qs, {200, 100});
    const QString p2 = writePicture(dir, u"p2.png"_qs, {100, 200});
    frmLyric w;
    w.SetSize(4500, 8000);
    w.setLyricFile(listOf({text, p1, p2}));
    w.show();
    w.DispLyric(0);
    w.resize(250, 260);  // the user's own size
    const int width = w.WidthTextMode();
    const int height = w.HeightTextMode();
    EXPECT_EQ(width, w.frameGeometry().width() * 15);
    w.DispLyric(1);
    w.DispLyric(2);
    w.resize(333, 222);
    EXPECT_EQ(w.WidthTextMode(), width);
    EXPECT_EQ(w.HeightTextMode(), height);
}

// A new settings file stores the vague search as 100: the dialog shows it ticked, and the
// lookup does it without the dialog ever being confirmed.
TEST(frmMainLyrics, VagueSearchIsOnForANewSettingsFile) {
    TempDir lyr;
    const QString rainbow = lyr.write(u"Rainbow.txt"_qs, "Rainbow\r\nla\r\n");
    MainWindowFixture f([&lyr](clsOption& o) { o.setLyricFolder(lyr.path()); });
    ASSERT_TRUE(f.loaded);
    f.ui().ShowLyrics(f.app.file(u"Rain.mp3"_qs));
    EXPECT_TRUE(f.ui().LyricWindow()->isVisible());
    EXPECT_EQ(f.ui().LyricWindow()->LyricFile().items(), QStringList{rainbow});
    bool ticked = false;
    QTimer::singleShot(0, f.form.get(), [&f, &ticked] {
        auto* d = f.form->findChild<frmOptions*>();
        ASSERT_NE(d, nullptr);
        ticked = d->chkVagueSearch->isChecked();
        d->cmdCancel->click();
    });
    f.ui().cmdOption()->click();
    EXPECT_TRUE(ticked);
}

// A disc image's track finds its lyric by the track's title, not by the sheet's file name.
TEST(frmMainLyrics, ATrackOfADiscFindsItsLyricByItsTitle) {
    TempDir lyr;
    const QString spring = lyr.write(u"春の歌.txt"_qs, "春の歌\r\nla\r\n");
    TempDir music;
    music.write(u"disc.wav"_qs, {});
    const QString sheet = music.write(
        u"disc.cue"_qs,
        u"FILE \"disc.wav\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"春の歌\"\n    INDEX 01 00:00:00\n"_qs
            .toUtf8());
    MainWindowFixture f([&lyr](clsOption& o) { o.setLyricFolder(lyr.path()); });
    ASSERT_TRUE(f.loaded);
    f.ui().ShowLyrics(sheet + u"?1"_qs);
    EXPECT_TRUE(f.ui().LyricWindow()->isVisible());
    EXPECT_EQ(f.ui().LyricWindow()->LyricFile().items(), QStringList{spring});
}

// A lyric folder with two candidates for "Song": the second names the artist's katakana form
// on its second line, the first only on line nine. The window's place survives a restart.
TEST(frmMainLyrics, ShowsTheArtistsFileFirstAndKeepsThePlace) {
    TempDir lyr;
    lyr.write(u"Song.txt"_qs, "Song\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\nビートルズ\r\n");
    lyr.write(u"sub/Song.txt"_qs, "Song\r\nビートルズ\r\n");
    lyr.write(u"Other.txt"_qs, "Other\r\n");
    TempDir music;
    using namespace Id3TagBuilder;
    const QString song = music.write(
        u"Song.mp3"_qs, Tag(3, Frame(3, "TPE1", TextBody(0, u"Beatles"_qs))) + QByteArray(64, 0));
    TempDir app;
    app.write(u"ZAart.txt"_qs, "Beatles\tビートルズ\r\n");
    clsOption o;
    o.setLastCurrentFolder(app.path());
    o.setLyricFolder(lyr.path());
    o.setMakeLyricListAuto(1);
    o.setLyricFormWidth(6000);
    o.setLyricFormHeight(5000);
    o.setLyricFormPositionX(1500);
    o.setLyricFormPositionY(1200);
    o.WriteOption(app.file(u"ZAopt.inf"_qs));
    auto start = [&app](FakeDialogs*& dialogs) {
        auto fake = std::make_unique<FakeDialogs>();
        dialogs = fake.get();
        auto f = std::make_unique<frmMain>(app.path(), QString(), std::move(fake));
        EXPECT_TRUE(f->Form_Load());
        return f;
    };

    FakeDialogs* dialogs = nullptr;
    auto f = start(dialogs);
    EXPECT_EQ(ui(*f).LyricList().Count(), 3);
    frmLyric& w = *ui(*f).LyricWindow();
    EXPECT_EQ(w.pos(), QPoint(100, 80));
    EXPECT_FALSE(w.isVisible());
    // The scheme's lyric colours: 2 behind the text, 9 for it.
    EXPECT_EQ(w.txtLyric->palette().color(QPalette::Base), QColor(0x14, 0x14, 0x14));
    EXPECT_EQ(w.lblTitle->palette().color(QPalette::WindowText), QColor(Qt::white));
    // Shift+Enter in the playlist: the selected song's lyrics, or a word that none is selected.
    f->PlayList.assign({song});
    ui(*f).RefreshPlayList();
    ui(*f).ActiveListName() = u"lstPlayList"_qs;
    ui(*f).lstPlayList()->setListIndex(-1);
    ui(*f).lstPlayList_KeyDown(Qt::Key_Return, Qt::ShiftModifier);
    ASSERT_EQ(dialogs->shown.size(), 1u);
    EXPECT_EQ(dialogs->shown[0].text, u"ファイルを選択してください。"_qs);
    ui(*f).lstPlayList()->setListIndex(0);
    ui(*f).lstPlayList_KeyDown(Qt::Key_Return, Qt::ShiftModifier);
    ASSERT_TRUE(w.isVisible());
    EXPECT_EQ(w.LyricFile().Value(0), lyr.file(u"sub/Song.txt"_qs));

    // With a dialog open the window keeps what it shows; a song without lyrics hides it.
    ui(*f).optionsWindow_() = new QDialog(f.get());
    ui(*f).optionsWindow_()->show();
    ui(*f).ShowLyrics(music.file(u"Nothing.mp3"_qs));
    EXPECT_TRUE(w.isVisible());
    delete ui(*f).optionsWindow_();
    ui(*f).ShowLyrics(music.file(u"Nothing.mp3"_qs));
    EXPECT_FALSE(w.isVisible());

    f->Options.setLyricFolder(QString());
    ui(*f).cmdLyric_Click();
    ASSERT_EQ(dialogs->shown.size(), 2u);
    EXPECT_TRUE(dialogs->shown[1].text.startsWith(u"歌詞ファイル検索対象フォルダ"_qs));
    w.move(120, 90);
    f->ZAPT_End();
    f.reset();

    f = start(dialogs);
    EXPECT_EQ(ui(*f).LyricWindow()->pos(), QPoint(120, 90));
    f->ZAPT_End();
}

// A synced lyric shows its lines without tags (the size rule counting them so, a reading as a
// line of its own) and selects the line heard as the player plays, seeks and pauses; a click
// seeks to a line, Ctrl+arrows shift the timing for the run, and another song's lyric follows
// nothing.
TEST(frmLyric, SyncedLyricFollowsThePlayer) {
    using namespace std::chrono_literals;
    TempDir dir;
    const QString song = dir.write(u"song.mp3"_qs, "x");
    const QString lrc = dir.write(u"song.lrc"_qs, "[ti:歌]\n[ar:someone]\n[00:01.00]<00:01.00>ab\n"
                                                  "[00:01.00]えー\n[00:02.50]cdef\n[00:04.00]g\n");
    StillEngine engine;
    StillClock clock;
    ListRows rows;
    clsOption options;
    clsArrayList reserve;
    clsArrayList history;
    PlayerController player(engine, rows, options, {reserve, history}, clock,
                            [](bool, const QString& path, std::function<void(PreparedSong)> done) {
                                done(PreparedSong{path, nullptr, false});
                            });
    frmLyric w;
    w.SetSize(4500, 8000);
    w.followPlayer(&player, [&engine] { return engine.path; });
    w.setSongPath(song);
    w.setLyricFile(listOf({lrc}));
    w.show();
    w.DispLyric(0);
    ASSERT_TRUE(w.IsSyncedMode());
    EXPECT_FALSE(w.txtLyric->isVisible());
    EXPECT_EQ(w.lblTitle->text(), u"歌"_qs);
    ASSERT_EQ(w.lstSynced->count(), 3);
    EXPECT_EQ(w.lstSynced->item(0)->text(), u"ab"_qs);
    EXPECT_EQ(w.lstSynced->item(0)->data(Qt::UserRole).toString(), u"えー"_qs);
    EXPECT_EQ(w.LineCount(), 4);
    EXPECT_EQ(w.MaxLineBytes(), 4);
    EXPECT_EQ(w.CurrentLine(), -1);  // not the playing song yet

    engine.heard = 1200ms;
    player.PlayFile(song);
    EXPECT_EQ(w.CurrentLine(), 0);
    EXPECT_EQ(w.lstSynced->selectedItems().value(0), w.lstSynced->item(0));
    engine.heard = 3000ms;
    player.Seek(3);
    EXPECT_EQ(w.CurrentLine(), 1);
    engine.heard = 4100ms;
    player.TogglePause();
    EXPECT_EQ(w.CurrentLine(), 2);
    player.TogglePause();

    QTest::keyClick(&w, Qt::Key_Right, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(w.TimingShift(), 200ms);
    EXPECT_EQ(w.lblShift->text(), u"+0.2 s"_qs);
    EXPECT_TRUE(w.lblShift->isVisible());
    EXPECT_EQ(w.CurrentLine(), 1);  // 4.1 s heard is 3.9 s as written
    EXPECT_EQ(w.CurrentIndex(), 0);

    const QRect third = w.lstSynced->visualItemRect(w.lstSynced->item(2));
    QTest::mouseClick(w.lstSynced->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(engine.seekedTo, 4200ms);
    EXPECT_EQ(w.CurrentLine(), 2);  // the line clicked, not the one before it

    w.DispLyric(0);  // kept for the run
    EXPECT_EQ(w.TimingShift(), 200ms);
    QTest::keyClick(&w, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(w.lblShift->text(), u"+0.1 s"_qs);

    w.setSongPath(dir.file(u"other.mp3"_qs));
    w.DispLyric(0);
    EXPECT_EQ(w.CurrentLine(), -1);
    engine.seekedTo = -1ms;
    QTest::mouseClick(w.lstSynced->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(engine.seekedTo, -1ms);
}

// With no lyric file, the song's own synced lyric frame is shown, else its plain one.
TEST(frmMainLyrics, ShowsTheLyricsOfTheSongsTagWhenNoFileMatches) {
    TempDir lyr;
    TempDir music;
    using namespace Id3TagBuilder;
    QByteArray sylt = QByteArray("\x03jpn\x02\x01", 6) + QByteArray(1, '\0');
    sylt +=
        QByteArray("one\0", 4) + BigEndian(1000, 4) + QByteArray("two\0", 4) + BigEndian(2000, 4);
    const QString synced =
        music.write(u"Synced.mp3"_qs,
                    Tag(3, Frame(3, "TIT2", TextBody(0, u"Title"_qs)) + Frame(3, "SYLT", sylt)) +
                        QByteArray(64, 0));
    const QString plain = music.write(
        u"Plain.mp3"_qs,
        Tag(3, Frame(3, "USLT", QByteArray("\x03jpn\0words\nmore", 15))) + QByteArray(64, 0));
    const QString none = music.write(u"None.mp3"_qs, QByteArray(64, 0));
    MainWindowFixture f([&lyr](clsOption& o) { o.setLyricFolder(lyr.path()); });
    ASSERT_TRUE(f.loaded);
    frmLyric& w = *f.ui().LyricWindow();
    f.ui().ShowLyrics(synced);
    EXPECT_TRUE(w.isVisible());
    ASSERT_TRUE(w.IsSyncedMode());
    EXPECT_EQ(w.lblTitle->text(), u"Title"_qs);
    ASSERT_EQ(w.lstSynced->count(), 2);
    EXPECT_EQ(w.lstSynced->item(1)->text(), u"two"_qs);
    f.ui().ShowLyrics(plain);
    EXPECT_FALSE(w.IsSyncedMode());
    EXPECT_EQ(w.txtLyric->toPlainText(), u"words\nmore"_qs);
    f.ui().ShowLyrics(none);
    EXPECT_FALSE(w.isVisible());
}
