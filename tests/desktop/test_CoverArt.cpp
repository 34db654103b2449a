// The picture the desktop shows for a song: from the tag, the FLAC picture block, or the folder.
#include "desktop/CoverArt.h"
#include "support/Id3TagBuilder.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
using namespace Id3TagBuilder;

const QByteArray kJpeg = QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(300, '\xFF') + "end";
const QByteArray kPng = QByteArray("\x89PNG\r\n\x1A\n", 8) + QByteArray(50, '\x01');

QByteArray apic(int version, char type, const QByteArray& data, int encoding = 0) {
    QByteArray body(1, char(encoding));
    body += version == 2 ? QByteArray("JPG") : QByteArray("image/jpeg", 11);
    body += type;
    body += encoding == 1 ? QByteArray("\xFF\xFE"
                                       "a\0\0\0",
                                       6)
                          : QByteArray("a\0", 2);
    return Frame(version, version == 2 ? QByteArray("PIC") : QByteArray("APIC"), body + data);
}

QByteArray be32(quint32 v) {
    return BigEndian(v, 4);
}

QByteArray flac(const QByteArray& picture) {
    QByteArray block = be32(3) + be32(9) + "image/png" + be32(0) + QByteArray(16, '\0') +
                       be32(quint32(picture.size())) + picture;
    QByteArray streamInfo(34, '\0');
    return QByteArray("fLaC") + QByteArray("\x00", 1) + BigEndian(34, 3) + streamInfo +
           QByteArray("\x86", 1) + BigEndian(quint32(block.size()), 3) + block;
}

}  // namespace

TEST(CoverArt, FindsTheSongsPictureWhereverItIsKept) {
    struct Case {
        const char* name;
        QByteArray file;
        QByteArray expected;
    };
    const QByteArray audio(64, '\x55');
    const Case cases[] = {
        {"v2.3", Tag(3, apic(3, 3, kJpeg)) + audio, kJpeg},
        {"v2.2", Tag(2, apic(2, 3, kJpeg)) + audio, kJpeg},
        {"v2.4 UTF-16 text", Tag(4, apic(4, 3, kPng, 1)) + audio, kPng},
        {"front cover first", Tag(3, apic(3, 0, kPng) + apic(3, 3, kJpeg)) + audio, kJpeg},
        {"another only", Tag(3, apic(3, 8, kPng)) + audio, kPng},
        {"unsynchronised", Tag(3, Unsynchronise(apic(3, 3, kJpeg)), 0x80) + audio, kJpeg},
        {"FLAC", flac(kPng), kPng},
        {"none", Tag(3, Frame(3, "TIT2", TextBody(0, QStringLiteral("t")))) + audio, {}},
        {"cut short", Tag(3, apic(3, 3, kJpeg)).left(200), {}},
    };
    TempDir d;
    for (const Case& c : cases) {
        const QString song = d.write(QString::fromLatin1(c.name) + u".mp3"_qs, c.file);
        EXPECT_EQ(CoverArt::EmbeddedPicture(song), c.expected) << c.name;
    }
}

TEST(CoverArt, SavesOnePictureAtATimeAndFallsBackToTheFolder) {
    TempDir d, run;
    const QString tagged = d.write(u"a/1.mp3"_qs, Tag(3, apic(3, 3, kJpeg)));
    const QString bare = d.write(u"b/2.mp3"_qs, QByteArray(10, '\0'));
    const QString beside = d.write(u"b/Folder.JPG"_qs, kJpeg);
    {
        CoverArt art(run.path());
        const QString saved = art.SaveFor(tagged);
        ASSERT_TRUE(saved.startsWith(run.path()));
        QFile file(saved);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), kJpeg);
        EXPECT_EQ(art.SaveFor(bare), beside);
        EXPECT_FALSE(QFileInfo::exists(saved));
        EXPECT_TRUE(art.SaveFor(tagged).endsWith(u".jpg"_qs));
    }
    EXPECT_TRUE(QFileInfo::exists(beside));
    EXPECT_TRUE(QDir(run.path()).isEmpty());  // the last saved picture goes with the object
}

// Another user may plant links in a shared temporary folder under any name we could choose:
// the pictures go only into a folder made for them, which nobody else can enter.
TEST(CoverArt, NeverWritesThroughALinkPlantedInTheSharedFolder) {
    TempDir d, shared;
    const QString song = d.write(u"1.mp3"_qs, Tag(3, apic(3, 3, kJpeg)));
    const QString victim = d.write(u"victim"_qs, "precious");
    ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0);
    const QString pid = QString::number(QCoreApplication::applicationPid());
    for (int n = 1; n <= 4; ++n)
        for (const QString& name : {u"zapt-cover-%1-%2.jpg"_qs.arg(pid).arg(n), QString::number(n)})
            QFile::link(victim, shared.file(name));
    const QStringList planted = QDir(shared.path()).entryList(QDir::System | QDir::Files);

    CoverArt art(shared.path());
    for (int i = 0; i < 4; ++i) {
        const QString saved = art.SaveFor(song);
        ASSERT_FALSE(saved.isEmpty());
        const QString folder = QFileInfo(saved).path();
        EXPECT_NE(QFileInfo(folder).absoluteFilePath(),
                  QFileInfo(shared.path()).absoluteFilePath());
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(folder).constData(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode) && (st.st_mode & 07777) == 0700 &&
                    st.st_uid == ::geteuid());
        EXPECT_FALSE(QFileInfo(saved).isSymLink());
    }
    EXPECT_EQ(d.read(u"victim"_qs), "precious");
    EXPECT_EQ(QDir(shared.path()).entryList(QDir::System | QDir::Files), planted);
}
