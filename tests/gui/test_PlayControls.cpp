// The controls around playing: pause, previous/next, seek bar and time label, the play timer,
// the volume keys and the tag label, on the real engine with SDL's dummy driver.
#include "MainWindowFixture.h"
#include "gui/playback/frmVolume.h"
#include "playback/PlayerController.h"
#include "playback/decoder/vbmp3.h"
#include "support/Id3TagBuilder.h"
#include "support/ToneFiles.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QString tone(const TempDir& d, const QString& name, double seconds) {
    ToneSpec t;
    t.seconds = seconds;
    const QString p = d.file(name);
    ToneFiles::writeWav(p.toStdString(), t);
    return p;
}

void press(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(w, &e);
}

}  // namespace

TEST(PlayControls, PauseHoldsAndResumeGoesOn) {
    TempDir d;
    MainWindowFixture f;
    frmMain& w = *f.form;
    f.setPlayList({tone(d, u"long.wav"_qs, 5)});
    ui(w).lstPlayList()->setListIndex(0);
    ui(w).cmdPlay()->click();
    ASSERT_EQ(w.Player->getState(), 1);
    ui(w).cmdPause()->click();
    EXPECT_EQ(w.Player->getState(), 2);
    EXPECT_FALSE(w.Sequence().PlayTimeRunning());
    const int32_t held = w.Player->playSecond();
    MainWindowFixture::pump(1200);
    EXPECT_EQ(w.Player->playSecond(), held);
    ui(w).mnuPause()->trigger();
    EXPECT_EQ(w.Player->getState(), 1);
    EXPECT_TRUE(w.Sequence().PlayTimeRunning());
    ui(w).cmdStop()->click();
    EXPECT_EQ(w.Player->getState(), 0);
    EXPECT_EQ(w.Player->getPath(), QString());

    // Pause while stopped starts nothing and clears the selection.
    ui(w).lstPlayList()->setListIndex(0);
    ui(w).cmdPause()->click();
    EXPECT_EQ(w.Player->getState(), 0);
    EXPECT_EQ(ui(w).lstPlayList()->listIndex(), -1);
}

TEST(PlayControls, TimeLabelSeekBarAndClickToSeek) {
    TempDir d;
    MainWindowFixture f;
    frmMain& w = *f.form;
    f.setPlayList({tone(d, u"ten.wav"_qs, 10)});
    ui(w).lstPlayList()->setListIndex(0);
    ui(w).cmdPlay()->click();
    // The ticks are driven by hand below: no event loop runs meanwhile.
    for (const char* expected : {"00:00", "00:01", "00:01", "00:02"}) {
        w.Sequence().tmrPlayTime_Timer();
        EXPECT_EQ(ui(w).lblPlayTime()->text(), QString::fromLatin1(expected));
    }
    EXPECT_EQ(ui(w).lblPlayTime()->toolTip(), u"Total 00:10"_qs);

    // A click in the middle of the bar seeks there and sets the elapsed count.
    const int bar = ui(w).shpSeekBar()->width();
    ASSERT_GT(bar, 10);
    Q_EMIT ui(w).lblSeekBar()->mouseDown(Qt::LeftButton, {bar / 2, 2});
    Q_EMIT ui(w).lblSeekBar()->mouseUp(Qt::LeftButton, {bar / 2, 2});
    EXPECT_NEAR(w.Sequence().ElapsedSeconds(), 5, 1);
    EXPECT_NEAR(w.Player->playSecond(), 5, 1);
    Q_EMIT ui(w).lblSeekBar()->mouseUp(Qt::RightButton, {0, 2});  // other buttons do nothing
    EXPECT_NEAR(w.Player->playSecond(), 5, 1);

    // Remaining time, toggled by a click on the label.
    Q_EMIT ui(w).lblPlayTime()->mouseDown(Qt::LeftButton, {});
    EXPECT_EQ(w.Options.DispTimeType(), 1);
    EXPECT_TRUE(ui(w).lblPlayTime()->text().startsWith(QStringLiteral("‐00:0")));
    EXPECT_GT(ui(w).shpSeekPosition()->width(), 0);

    ui(w).cmdPause()->click();
    const int32_t at = w.Player->playSecond();
    Q_EMIT ui(w).lblSeekBar()->mouseUp(Qt::LeftButton, {bar - 2, 2});  // paused: the bar is ignored
    EXPECT_EQ(w.Player->playSecond(), at);
    ui(w).cmdStop()->click();
    EXPECT_EQ(ui(w).shpSeekPosition()->width(), 0);
    EXPECT_EQ(ui(w).lblPlayTime()->text(), QStringLiteral("‐00:00"));
}

TEST(PlayControls, PlayTimerStartsOnceAndStopsAfterTheSong) {
    TempDir d;
    MainWindowFixture f([](clsOption& o) {
        o.setTimerMode(1);
        o.setTimerStopMode(0);
        o.setStartHour(7);
        o.setStartMinute(30);
        o.setStopHour(7);
        o.setStopMinute(31);
    });
    frmMain& w = *f.form;
    EXPECT_EQ(ui(w).txtStartH()->text(), u"07"_qs);
    EXPECT_EQ(ui(w).txtEndM()->text(), u"31"_qs);
    f.setPlayList({tone(d, u"a.wav"_qs, 30)});
    QTime now(7, 29, 55);
    ui(w).Clock() = [&now] { return now; };
    ui(w).tmrTimer_Timer();
    EXPECT_EQ(ui(w).lblTime()->text(), u"07:29"_qs);
    EXPECT_EQ(w.Player->getState(), 0);

    now = QTime(7, 30, 0);
    ui(w).tmrTimer_Timer();
    EXPECT_EQ(w.Player->getState(), 1);
    ui(w).cmdStop()->click();
    now = QTime(7, 30, 55);
    ui(w).tmrTimer_Timer();  // the same minute: no second start
    EXPECT_EQ(w.Player->getState(), 0);

    ui(w).cmdPlay()->click();
    now = QTime(7, 31, 0);
    ui(w).tmrTimer_Timer();  // playing: the song is let finish
    EXPECT_EQ(w.Player->getState(), 1);
    EXPECT_TRUE(w.Sequence().StopAfterSong());
    ui(w).cmdPause()->click();
    w.Sequence().SetStopAfterSong(false);
    now = QTime(7, 32, 0);
    ui(w).tmrTimer_Timer();
    now = QTime(7, 31, 0);
    ui(w).tmrTimer_Timer();  // paused in the stop minute: stopped at once
    EXPECT_EQ(w.Player->getState(), 0);
}

TEST(PlayControls, TimeBoxesCheckTheirTextAndAreSavedBack) {
    MainWindowFixture f;
    frmMain& w = *f.form;
    ASSERT_TRUE(f.activate());
    ui(w).txtStartH()->setFocus();
    ui(w).txtStartH()->setText(u"25"_qs);  // two characters: the focus moves on
    MainWindowFixture::pump(50);
    EXPECT_EQ(ui(w).txtStartH()->text(), u"01"_qs);
    ui(w).txtStartM()->setText(u"6"_qs);
    ui(w).txtEndH()->setFocus();
    MainWindowFixture::pump(50);
    EXPECT_EQ(ui(w).txtStartM()->text(), u"06"_qs);
    ui(w).txtEndH()->setText(u"2a"_qs);
    ui(w).txtEndM()->setFocus();
    MainWindowFixture::pump(50);
    EXPECT_EQ(ui(w).txtEndH()->text(), u"--"_qs);
    ASSERT_FALSE(f.dialogs->shown.empty());
    EXPECT_EQ(f.dialogs->shown.back().text, QStringLiteral("0～23を入力してください。"));
    f.form->ZAPT_End();
    clsOption saved;
    saved.ReadOption(f.app.file(u"ZAopt.inf"_qs));
    EXPECT_EQ(saved.StartHour(), 1);
    EXPECT_EQ(saved.StartMinute(), 6);
    EXPECT_EQ(saved.StopHour(), 99);
    f.form.reset();
}

TEST(PlayControls, VolumeKeysStepAndTheLabelHides) {
    MainWindowFixture f;
    frmMain& w = *f.form;
    vbmp3_setSoftVolume(42, 42);
    ASSERT_TRUE(f.activate());
    ui(w).lstPlayList()->setFocus();
    press(ui(w).lstPlayList(), Qt::Key_Up, Qt::ShiftModifier);
    int32_t l = 0, r = 0;
    vbmp3_getSoftVolume(&l, &r);
    EXPECT_EQ(l, 45);
    EXPECT_EQ(r, 45);
    EXPECT_EQ(ui(w).lblVolume()->text(), u"vol.45"_qs);
    EXPECT_TRUE(ui(w).lblVolume()->isVisibleTo(&w));
    vbmp3_setSoftVolume(100, 100);
    press(ui(w).lstPlayList(), Qt::Key_Up, Qt::ShiftModifier);  // the top stays the top
    vbmp3_getSoftVolume(&l, &r);
    EXPECT_EQ(l, 100);
    ASSERT_TRUE(
        MainWindowFixture::waitUntil([&] { return !ui(w).lblVolume()->isVisibleTo(&w); }, 4000));

    press(ui(w).lstPlayList(), Qt::Key_F11);
    EXPECT_EQ(w.Options.FormStatus(), 1);

    ui(w).cmdVolume()->click();
    ui(w).cmdVolume()->click();  // the open window comes forward; no second one
    const QList<frmVolume*> windows = w.findChildren<frmVolume*>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_TRUE(windows[0]->isVisible());
    windows[0]->cmdCancel->click();
}

TEST(PlayControls, TagLabelShowsThePlayingSongAndSteps) {
    TempDir d;
    ToneSpec t;
    t.seconds = 3;
    const QString wav = d.file(u"plain.wav"_qs);
    ToneFiles::writeWav(wav.toStdString(), t);
    MainWindowFixture f;
    frmMain& w = *f.form;
    w.PlayingTagInfo.Clear();
    w.PlayingTagInfo.Title = u"Night & Day"_qs;
    w.PlayingTagInfo.Year = u"1999"_qs;
    ui(w).ShowTagInfoLabel();
    EXPECT_EQ(ui(w).lblTagInfo()->text(), u"Night & Day"_qs);
    EXPECT_EQ(ui(w).lblTagInfo()->toolTip(), u"Night & Day"_qs);
    Q_EMIT ui(w).lblTagInfoTitle()->mouseDown(Qt::RightButton, {});
    EXPECT_EQ(ui(w).lblTagInfoTitle()->text(), u"Year"_qs);
    EXPECT_EQ(ui(w).lblTagInfo()->text(), u"1999"_qs);
    Q_EMIT ui(w).lblTagInfo()->mouseDown(Qt::LeftButton, {});
    EXPECT_EQ(ui(w).lblTagInfoTitle()->text(), u"Title"_qs);

    f.setPlayList({wav});
    ui(w).cmdPlay()->click();  // a file without a tag empties the label
    EXPECT_EQ(ui(w).lblTagInfo()->text(), QString());
    ui(w).cmdStop()->click();
}

TEST(PlayControls, SoundDeviceStateShowsInTheStripAndSilenceIsToldOnce) {
    MainWindowFixture f;
    frmMain& w = *f.form;
    w.show();
    const size_t boxesBefore = f.dialogs->shown.size();
    using S = SoundSystem::Status;
    struct Step {
        S status;
        bool shown;
        QString text;
        size_t boxes;  // boxes shown since the start of the test
    };
    const Step steps[] = {
        {S::Silent, true, u"音声デバイスなし"_qs, 1},   {S::Sound, false, QString(), 1},
        {S::Silent, true, u"音声デバイスなし"_qs, 1},  // said once a run
        {S::Lost, true, u"音声デバイス再接続中"_qs, 1}, {S::Closed, false, QString(), 1},
    };
    for (const Step& s : steps) {
        ui(w).ShowSoundDeviceState(s.status);
        EXPECT_EQ(ui(w).lblSoundDevice()->isVisible(), s.shown) << int(s.status);
        if (s.shown) {
            EXPECT_EQ(ui(w).lblSoundDevice()->text(), s.text);
        }
        EXPECT_EQ(f.dialogs->shown.size() - boxesBefore, s.boxes) << int(s.status);
    }
}

// Opening a song may load a decoder module, which a damaged library could bring down with the
// process: the first song of a run is opened only once the state files hold what the run has
// changed so far. Later songs do not write them again.
TEST(PlayControls, TheFirstSongOfARunOpensOnlyAfterTheStateIsSaved) {
    MainWindowFixture f;
    TempDir d;
    const QString a = tone(d, u"a.wav"_qs, 2), b = tone(d, u"b.wav"_qs, 2);
    f.setPlayList({a, b});
    f.ui().lstPlayList()->setListIndex(0);
    ASSERT_NE(f.app.read(u"ZAlog.m3u"_qs), (a + u"\r\n"_qs + b + u"\r\n"_qs).toUtf8());
    f.ui().cmdPlay()->click();
    EXPECT_EQ(f.app.read(u"ZAlog.m3u"_qs), (a + u"\r\n"_qs + b + u"\r\n"_qs).toUtf8());
    f.form->PlayList.Add(a);
    f.ui().cmdListIndexDown()->click();
    EXPECT_EQ(f.app.read(u"ZAlog.m3u"_qs), (a + u"\r\n"_qs + b + u"\r\n"_qs).toUtf8());
}
