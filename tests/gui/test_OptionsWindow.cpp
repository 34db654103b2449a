// The options dialog and the about window as the main window opens them.
#include "MainWindowFixture.h"
#include "gui/frmVersion.h"
#include "gui/settings/frmOptions.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
// Runs `act` on the options dialog once the main window has it open.
void whileOptionsOpen(MainWindowFixture& f, const std::function<void(frmOptions&)>& act) {
    QTimer::singleShot(0, f.form.get(), [&f, act] {
        auto* dialog = f.form->findChild<frmOptions*>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(f.ui().AnyDialogVisible());
        act(*dialog);
    });
    f.ui().cmdOption()->click();
    EXPECT_FALSE(f.ui().AnyDialogVisible());
    EXPECT_EQ(f.form->findChild<frmOptions*>(), nullptr);  // unloaded
}
}  // namespace

TEST(OptionsWindow, OkShowsTheNewSettingsAndRebuildsTheLyricIndex) {
    MainWindowFixture f;
    ASSERT_TRUE(f.loaded);
    const QString lyric = f.app.write(u"lyrics/Song.txt"_qs, "la");
    QPoint offset;
    whileOptionsOpen(f, [&](frmOptions& d) {
        offset = d.pos() - f.form->frameGeometry().topLeft();
        d.txtEntryPathName[0]->setText(u"Jazz"_qs);
        d.txtEntryPathName[1]->clear();
        d.txtLyricFolder->setText(f.app.file(u"lyrics"_qs));
        d.cmdMakeLyricList->click();  // the index file at once; the list only after OK
        EXPECT_TRUE(f.ui().LyricList().items().isEmpty());
        f.dialogs->colors = {0x0000FF, 0x00FF00};  // red, green
        d.cmdSetColor[3]->click();
        d.cmdSetColor[5]->click();  // the status strip: the mode icons are drawn again
        d.cmdOK->click();
    });
    EXPECT_EQ(offset, QPoint(300 / f.ui().TwipsPerPixelX(), 300 / f.ui().TwipsPerPixelY()));
    EXPECT_EQ(f.ui().lblEntryFolder()[0]->fullText(), u"Jazz"_qs);
    EXPECT_FALSE(f.ui().lblEntryFolder()[1]->isVisibleTo(f.form.get()));
    EXPECT_EQ(f.ui().lstPlayList()->palette().color(QPalette::Base), QColor(255, 0, 0));
    for (QLabel* icon : {f.ui().picPlayNumber(), f.ui().picRepeatMode(), f.ui().picTimerMode()})
        EXPECT_EQ(icon->pixmap().toImage().pixelColor(0, 0), QColor(0, 255, 0));
    EXPECT_EQ(f.ui().LyricList().items(), QStringList{lyric});
    EXPECT_EQ(f.app.read(u"ZAlyric.lst"_qs), lyric.toUtf8() + "\r\n");
}

TEST(OptionsWindow, CancelChangesNothingAndKeepsTheLyricIndex) {
    MainWindowFixture f;
    ASSERT_TRUE(f.loaded);
    f.app.write(u"lyrics/Song.txt"_qs, "la");
    f.form->Options.setLyricFolder(f.app.file(u"lyrics"_qs));
    f.ui().LyricList().assign({u"/kept.txt"_qs});
    whileOptionsOpen(f, [](frmOptions& d) {
        d.txtEntryPathName[0]->setText(u"Jazz"_qs);
        d.cmdCancel->click();
    });
    EXPECT_EQ(f.form->Options.EntryPathName(0), u"1Folder"_qs);
    EXPECT_EQ(f.ui().LyricList().items(), QStringList{u"/kept.txt"_qs});
}

// Ticking the blank box through a screen reader offers two seconds, as a click does, and a
// folder action chosen that way enables what goes with it.
TEST(OptionsWindow, BlankBoxTickedByScreenReaderOffersTwoSeconds) {
    MainWindowFixture f([](clsOption& o) { o.setBlankSec(0); });
    ASSERT_TRUE(f.loaded);
    whileOptionsOpen(f, [](frmOptions& d) {
        QAccessibleActionInterface* act =
            QAccessible::queryAccessibleInterface(d.chkBlank)->actionInterface();
        ASSERT_NE(act, nullptr);
        act->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_TRUE(MainWindowFixture::waitUntil([&d] { return d.chkBlank->isChecked(); }));
        EXPECT_TRUE(d.txtBlank->isEnabled());
        // The folder action chosen without a click enables the follow-up boxes as a click does.
        for (int i : {1, 0, 2}) {
            d.optSetDirAction[i]->setChecked(true);
            EXPECT_EQ(d.chkSetDirActionP->isEnabled(), i != 0) << i;
            EXPECT_EQ(d.chkSetDirActionS->isEnabled(), i != 0) << i;
        }
        d.cmdOK->click();
    });
    EXPECT_EQ(f.form->Options.BlankSec(), 2000);
}

// System colours in the status strip's colours take the roles they name in the mode icons too:
// background "highlight" (13), glyph "highlight text" (14), not the button face for both.
TEST(OptionsWindow, ModeIconsTakeTheRolesOfSystemColours) {
    MainWindowFixture f([](clsOption& o) {
        o.setPlayerColor(5, static_cast<int32_t>(0x8000000Du));
        o.setPlayerColor(6, static_cast<int32_t>(0x8000000Eu));
    });
    ASSERT_TRUE(f.loaded);
    const QPalette system = QApplication::palette();
    const QColor back = system.color(QPalette::Active, QPalette::Highlight);
    const QColor glyph = system.color(QPalette::Active, QPalette::HighlightedText);
    ASSERT_NE(back, system.color(QPalette::Active, QPalette::Button));
    for (QLabel* icon : {f.ui().picPlayNumber(), f.ui().picRepeatMode(), f.ui().picTimerMode()}) {
        SCOPED_TRACE(icon->accessibleName().toStdString());
        const QImage image = icon->pixmap().toImage();
        EXPECT_EQ(image.pixelColor(0, 0), back);
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                colours.insert(image.pixel(x, y));
        EXPECT_EQ(colours, (QSet<QRgb>{back.rgb(), glyph.rgb()}));
    }
}

TEST(AboutWindow, F12ShowsTheBuildVersionEscapeHidesAndOkUnloads) {
    MainWindowFixture f;
    ASSERT_TRUE(f.loaded);
    QString version, libraries;
    bool visible = false;
    QTimer::singleShot(0, f.form.get(), [&] {
        auto* about = f.form->findChild<frmVersion*>();
        ASSERT_NE(about, nullptr);
        version = about->lblVersion->text();
        libraries = about->lblLibraries->text();
        visible = f.ui().AnyDialogVisible();
        QTest::keyClick(about, Qt::Key_Escape);
    });
    QTest::keyClick(f.ui().lstPlayList(), Qt::Key_F12);
    EXPECT_TRUE(visible);
    EXPECT_EQ(version, frmVersion::BuildVersion());
    EXPECT_TRUE(QRegularExpression(u"^\\d+\\.\\d+\\.\\d+$"_qs).match(version).hasMatch());
    EXPECT_TRUE(libraries.startsWith(u"Qt "_qs + QString::fromLatin1(qVersion()) + u", SDL "_qs));
    EXPECT_TRUE(libraries.contains(u"FluidSynth "_qs));
    QPointer<frmVersion> hidden = f.form->findChild<frmVersion*>();
    ASSERT_TRUE(hidden);  // Escape only hid it
    EXPECT_FALSE(f.ui().AnyDialogVisible());

    QTimer::singleShot(0, f.form.get(), [&] { hidden->cmdOK->click(); });
    f.ui().ShowVersionWindow();  // the hidden window again
    MainWindowFixture::waitUntil([&] { return hidden.isNull(); }, 2000);
    EXPECT_TRUE(hidden.isNull());
}
