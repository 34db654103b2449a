#include "core/clsArrayList.h"
#include "gui/frmMain.h"
#include "gui/tags/frmTagInfo.h"
#include "support/Id3TagBuilder.h"
#include "support/MciMedia.h"
#include "support/TempDir.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace Id3TagBuilder;

namespace {

// An MP3 tone with an ID3v2.3 tag in front, and an untagged mono WAV.
class TagWindow : public ::testing::Test {
protected:
    void SetUp() override {
        const QString mp3 = dir.file(QStringLiteral("A & B.mp3"));
        ASSERT_TRUE(MciMedia::writeMp3(mp3, {.seconds = 3.0}));
        QFile file(mp3);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const QByteArray audio = file.readAll();
        const auto text = [](const char* id, const QString& value) {
            return Frame(3, id, TextBody(0, value));
        };
        file.seek(0);
        file.write(
            Tag(3,
                text("TIT2", QStringLiteral("Rock & Roll")) + text("TPE1", QStringLiteral("歌手")) +
                    text("TSOP", QStringLiteral("かしゅ")) + text("TALB", QStringLiteral("Album")) +
                    text("TRCK", QStringLiteral("3/12")) + text("TYER", QStringLiteral("1999"))) +
            audio);
        file.close();
        const QString wav = dir.file(QStringLiteral("mono.wav"));
        ASSERT_TRUE(MciMedia::writeWav(wav, {.seconds = 1.0, .sampleRate = 22050, .channels = 1}));
        files.assign({mp3, wav, dir.file(QStringLiteral("gone.mp3"))});
        window.FileList = &files;
    }

    QStringList values() const {
        QStringList v;
        for (QLabel* l : {window.lblFileName, window.lblPath, window.lblTitle, window.lblArtist,
                          window.lblAlbum, window.lblTrack, window.lblYear, window.lblAudio})
            v << l->text();
        return v;
    }

    TempDir dir;
    clsArrayList files;
    frmTagInfo window;
};

TEST_F(TagWindow, ShowsNameTagsAndFormatOfEachFileAndNothingForAMissingOne) {
    window.setDispIndex(0);
    window.DispTagInfo();
    const QString mp3 = files.Value(0);
    EXPECT_EQ(values(),
              (QStringList{u"A & B.mp3 "_qs, mp3 + u' ', u"Rock & Roll "_qs, u"歌手 "_qs,
                           u"Album "_qs, u"3/12 "_qs, u"1999 "_qs, window.lblAudio->text()}));
    // The encoder picks the bit rate; the rest is the tone's.
    EXPECT_TRUE(QRegularExpression(u"^MP3  [1-9]\\d* kbps  44100 Hz  ステレオ  0:03$"_qs)
                    .match(window.lblAudio->text())
                    .hasMatch())
        << window.lblAudio->text().toStdString();
    EXPECT_EQ(window.lblTitle->textFormat(), Qt::PlainText);  // "&" shown once

    window.setDispIndex(1);
    window.DispTagInfo();
    EXPECT_EQ(values(),
              (QStringList{u"mono.wav "_qs, files.Value(1) + u' ', u" "_qs, u" "_qs, u" "_qs,
                           u" "_qs, u" "_qs, u"WAV  352 kbps  22050 Hz  モノラル  0:01"_qs}));

    window.setDispIndex(2);
    window.DispTagInfo();
    EXPECT_EQ(values(), QStringList(8, QString()));
}

TEST_F(TagWindow, AReadingShowsUnderItsFieldOnlyWhenTheTagHasOne) {
    const auto shown = [&] {
        QStringList v;
        for (QLabel* l : {window.lblTitleReading, window.lblArtistReading, window.lblAlbumReading})
            v << (l->isHidden() ? u"-"_qs : l->text());
        return v;
    };
    window.setDispIndex(0);
    window.DispTagInfo();
    EXPECT_EQ(shown(), (QStringList{u"-"_qs, u"かしゅ"_qs, u"-"_qs}));
    // Under the artist, in the value column.
    auto* grid = window.findChild<QGridLayout*>();
    ASSERT_TRUE(grid);
    int row = 0, column = 0, artistRow = 0, span = 0;
    grid->getItemPosition(grid->indexOf(window.lblArtist), &artistRow, &column, &span, &span);
    grid->getItemPosition(grid->indexOf(window.lblArtistReading), &row, &column, &span, &span);
    EXPECT_EQ(row, artistRow + 1);
    EXPECT_EQ(column, 1);
    for (int index : {1, 2}) {
        window.setDispIndex(index);
        window.DispTagInfo();
        EXPECT_EQ(shown(), QStringList(3, u"-"_qs)) << index;
    }
}

TEST_F(TagWindow, ArrowKeysStepThroughTheListWithWrap) {
    struct Case {
        int from;
        Qt::Key key;
        int to;
    };
    const Case cases[] = {{2, Qt::Key_Right, 0},
                          {0, Qt::Key_Up, 1},
                          {0, Qt::Key_Left, 2},
                          {1, Qt::Key_Down, 0},
                          {1, Qt::Key_Right, 2}};
    for (const Case& c : cases) {
        window.setDispIndex(c.from);
        QTest::keyClick(&window, c.key);
        EXPECT_EQ(window.dispIndex(), c.to) << c.from << " key " << c.key;
    }
    QTest::keyClick(&window, Qt::Key_Left);  // from 2 to 1: the WAV is shown
    EXPECT_EQ(window.lblFileName->text(), u"mono.wav "_qs);
}

TEST_F(TagWindow, EscapeEnterAndTheCloseImageCloseIt) {
    for (int way = 0; way < 3; ++way) {
        window.show();
        if (way == 2)
            window.imgClose->click();
        else
            QTest::keyClick(&window, way == 0 ? Qt::Key_Escape : Qt::Key_Return);
        EXPECT_FALSE(window.isVisible()) << way;
    }
}

// A label passes a press on to the window beneath: the steps step and the captions and values
// do nothing, only the window's own background closes it.
TEST_F(TagWindow, ClicksOnLabelsStepOrDoNothingAndOnlyTheBackgroundCloses) {
    window.setDispIndex(0);
    window.DispTagInfo();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const struct {
        QLabel* label;
        int index;
    } clicks[] = {{window.lblNext, 1},         {window.lblBack, 0}, {window.lblTitleTitle, 0},
                  {window.lblArtist, 0},       {window.Label9, 0},  {window.lblAudio, 0},
                  {window.lblFileNameTitle, 0}};
    for (const auto& c : clicks) {
        QTest::mouseClick(c.label, Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_TRUE(window.isVisible()) << c.label->text().toStdString();
        EXPECT_EQ(window.dispIndex(), c.index) << c.label->text().toStdString();
    }
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_FALSE(window.isVisible());
}

// A title of 30,000 line breaks or an artist of 65,000 characters: the window, sized as the
// main window sizes it, fits the screen's free area with its close button, and the value is
// elided with what was read in the tool tip.
TEST_F(TagWindow, HugeTagValuesKeepTheWindowOnTheScreen) {
    struct Case {
        const char* id;
        QString value;
        QLabel* frmTagInfo::*label;
    };
    const Case cases[] = {{"TIT2", QString(30000, u'\n'), &frmTagInfo::lblTitle},
                          {"TPE1", QString(65000, u'x'), &frmTagInfo::lblArtist}};
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (const Case& c : cases) {
        const QString path = dir.write(
            u"huge.mp3"_qs, Tag(3, Frame(3, c.id, TextBody(0, c.value))) + QByteArray(64, 0));
        clsArrayList one;
        one.assign({path});
        frmTagInfo w;
        w.FileList = &one;
        w.DispTagInfo();
        w.adjustSize();
        w.move(area.topLeft());
        w.show();
        EXPECT_TRUE(area.contains(w.frameGeometry()))
            << c.id << " " << w.frameGeometry().width() << "x" << w.frameGeometry().height();
        const QRect close(w.imgClose->mapToGlobal(QPoint(0, 0)), w.imgClose->size());
        EXPECT_TRUE(area.contains(close)) << c.id;
        const QLabel* value = w.*c.label;
        EXPECT_TRUE(value->text().endsWith(u"…"_qs)) << c.id;
        EXPECT_FALSE(value->toolTip().isEmpty()) << c.id;
    }
}

}  // namespace

// Under a font sized in pixels the format line is still smaller, with no warning; assistive
// technology reads each label's shown text, a value with its heading as description.
TEST_F(TagWindow, PixelSizedFontAndLabelsReadAsShown) {
    static QStringList warnings;
    warnings.clear();
    const QFont before = QApplication::font();
    QFont pixels = before;
    pixels.setPixelSize(14);
    QApplication::setFont(pixels);
    const QtMessageHandler old = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& m) { warnings << m; });
    frmTagInfo sized;
    qInstallMessageHandler(old);
    QApplication::setFont(before);
    EXPECT_EQ(warnings, QStringList());
    EXPECT_LT(QFontInfo(sized.lblAudio->font()).pixelSize(),
              QFontInfo(sized.lblTitle->font()).pixelSize());

    window.setDispIndex(0);
    window.DispTagInfo();
    const auto read = [](QWidget* w, QAccessible::Text t) {
        return QAccessible::queryAccessibleInterface(w)->text(t);
    };
    for (auto [caption, value] : {std::pair{window.lblTitleTitle, window.lblTitle},
                                  {window.Label3, window.lblArtist},
                                  {window.Label9, window.lblYear}}) {
        EXPECT_EQ(read(caption, QAccessible::Name), caption->text());
        EXPECT_EQ(read(value, QAccessible::Name), value->text());
        EXPECT_FALSE(read(value, QAccessible::Description).isEmpty());
        EXPECT_TRUE(caption->text().startsWith(read(value, QAccessible::Description)))
            << read(value, QAccessible::Description).toStdString();
    }
    EXPECT_EQ(read(window.lblNext, QAccessible::Name), window.lblNext->text());
}
