// The song's picture in the file information window: loaded beside the fields without making
// the window wait, nothing at all for a song without one or with a picture that cannot be shown.
#include "core/clsArrayList.h"
#include "gui/tags/frmTagInfo.h"
#include "support/Id3TagBuilder.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>
#include <gtest/gtest.h>

namespace {
using namespace Id3TagBuilder;

QByteArray Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage Filled(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// An MP3 whose tag holds `picture` as its front cover, described as "表紙".
QByteArray SongWith(const QByteArray& picture) {
    const QByteArray apic = QByteArray("\x01image/png\0\x03", 12) +
                            TextBody(1, QStringLiteral("表紙")).mid(1) + QByteArray(2, '\0');
    return Tag(3, Frame(3, "APIC", apic + picture)) + AudioBytes(4000);
}

// What the window shows where, once laid out: its size and every part's place.
QList<QRect> Places(frmTagInfo& window) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QList<QRect> places{window.rect()};
    for (const QWidget* w : window.findChildren<QWidget*>())
        places << (w->isVisible() ? w->geometry() : QRect());
    return places;
}

class TagWindowPicture : public ::testing::Test {
protected:
    void SetUp() override {
        files.assign(
            {dir.write(u"cover/a.mp3"_qs, SongWith(Encoded(Filled(400, 200, Qt::red), "PNG"))),
             dir.write(u"plain/b.mp3"_qs, Tag(3, {}, 0, 64) + AudioBytes(4000))});
        window.FileList = &files;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // Shows file `index` and waits for its picture; generous, as only a hang should fail it.
    bool ShowAndLoad(int index) {
        QSignalSpy loaded(&window, &frmTagInfo::pictureLoaded);
        window.setDispIndex(index);
        window.DispTagInfo();
        return loaded.wait(10000);
    }

    TempDir dir;
    clsArrayList files;
    frmTagInfo window;
};

}  // namespace

TEST_F(TagWindowPicture, ShownScaledBesideTheFieldsAndWithoutOneTheWindowIsUnchanged) {
    window.setDispIndex(1);
    window.DispTagInfo();
    const QList<QRect> plain = Places(window);
    ASSERT_TRUE(ShowAndLoad(1));
    EXPECT_EQ(Places(window), plain);
    EXPECT_TRUE(window.picPicture->isHidden());

    ASSERT_TRUE(ShowAndLoad(0));
    ASSERT_TRUE(window.picPicture->isVisible());
    const int box = frmTagInfo::kPictureBoxPx;
    EXPECT_EQ(window.picPicture->size(), QSize(box, box / 2));  // its shape kept
    EXPECT_EQ(window.picPicture->pixmap().toImage().pixelColor(box / 2, box / 4), QColor(Qt::red));
    EXPECT_EQ(window.picPicture->accessibleName(), u"ジャケット画像"_qs);
    EXPECT_EQ(window.picPicture->accessibleDescription(), u"表紙"_qs);
    EXPECT_GT(window.picPicture->x(), window.lblTitle->geometry().right());
    EXPECT_EQ(Places(window)[0].height(), plain[0].height());

    ASSERT_TRUE(ShowAndLoad(1));
    EXPECT_EQ(Places(window), plain);
}

// The window moved on to a song without a picture before the last one's picture came: that
// picture never shows.
TEST_F(TagWindowPicture, APictureForAFileNoLongerShownIsDropped) {
    ASSERT_TRUE(ShowAndLoad(1));
    struct ShowCounter : QObject {
        int shows = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            shows += e->type() == QEvent::Show;
            return false;
        }
    } counter;
    window.picPicture->installEventFilter(&counter);
    window.setDispIndex(0);
    window.DispTagInfo();
    ASSERT_TRUE(ShowAndLoad(1));
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.shows, 0);
    EXPECT_TRUE(window.picPicture->isHidden());
}

// Pictures that cannot be shown show nothing, and the window never waits for them.
TEST_F(TagWindowPicture, DamagedOrHugePicturesShowNothing) {
    const QByteArray jpeg = Encoded(Filled(16, 16, Qt::blue), "JPG");
    QByteArray huge = jpeg;  // the frame's header names 60000 × 60000 pixels
    const qsizetype frame = huge.indexOf("\xFF\xC0");
    ASSERT_GT(frame, 0);
    huge.replace(frame + 5, 4, QByteArray(BigEndian(60000, 2) + BigEndian(60000, 2)));
    const struct {
        const char* name;
        QByteArray picture;
        qint64 tagBytes;  // > 0: a tag this long, the picture followed by zero bytes
        bool shown;
    } cases[] = {
        {"whole", jpeg, 0, true},
        {"damaged", jpeg.left(4) + QByteArray(2000, '\x7F'), 0, false},
        {"60000 x 60000", huge, 0, false},
        {"100 MB tag", jpeg, qint64(100) << 20, false},
    };
    for (const auto& c : cases) {
        const QString path =
            dir.write(QString::fromLatin1(c.name) + u".mp3"_qs, SongWith(c.picture));
        if (c.tagBytes) {  // sparse: the zero bytes take no room on the disk
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            file.seek(6);
            file.write(Synchsafe(quint32(c.tagBytes)));
            file.seek(14);
            file.write(BigEndian(quint32(c.tagBytes - 10), 4));
            ASSERT_TRUE(file.resize(c.tagBytes + 10));
        }
        files.Add(path);
        ASSERT_TRUE(ShowAndLoad(files.Count() - 1)) << c.name;
        EXPECT_EQ(window.picPicture->isVisible(), c.shown) << c.name;
    }
}
