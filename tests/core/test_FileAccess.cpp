#include "core/modZAUtil.h"
#include "support/FakeDialogs.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace modZAUtil;
using namespace Qt::StringLiterals;

namespace {

QByteArray bytesOf(const QString& path) {
    return QFile::encodeName(path);
}

mode_t typeOf(const QString& path) {
    struct stat st {};
    return ::lstat(bytesOf(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

bool makeRawFile(const QByteArray& path, const QByteArray& contents = "x") {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool ok =
        fd >= 0 && ::write(fd, contents.constData(), size_t(contents.size())) == contents.size();
    return ::close(fd) == 0 && ok;
}

clsArrayList listOf(const QStringList& items) {
    clsArrayList l;
    l.assign(items);
    return l;
}

QStringList filesIn(const TempDir& d) {
    return QDir(d.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                    QDir::NoDotAndDotDot);
}

// "テスト.wav" and "音楽" as Japanese Windows names them.
const QByteArray kSjisSong("\x83\x65\x83\x58\x83\x67.wav");
const QByteArray kSjisFolder("\x89\xB9\x8A\x79");

}  // namespace

TEST(StateFiles, AFullDiskKeepsTheOldFileAndSaysSo) {
    TempDir d;
    const QString target = d.write(u"ZAlog.m3u"_s, "old\r\n");
    clsArrayList songs;
    for (int i = 0; i < 200; ++i)
        songs.Add(u"/music/album/song %1.mp3"_s.arg(i));  // about 5 KB, past the 1 KB limit
    const int result = RunWithFileSizeLimit(1024, [&] {
        FakeDialogs dialogs;
        if (WriteListToFile(target, songs, &dialogs))
            return 1;
        return dialogs.shown.size() == 1 && dialogs.shown[0].text == kWriteErrorText ? 0 : 2;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(d.read(u"ZAlog.m3u"_s), QByteArray("old\r\n"));
    EXPECT_EQ(filesIn(d), QStringList{u"ZAlog.m3u"_s});  // no temporary file left behind
}

TEST(StateFiles, SavingReplacesOnlyRegularFilesAndWritesThroughLinksToThem) {
    TempDir d;
    ASSERT_EQ(::mkfifo(bytesOf(d.file(u"fifo"_s)).constData(), 0600), 0);
    d.mkdir(u"folder"_s);
    QStringList refused{u"fifo"_s, u"folder"_s};
    for (const QString& target : QStringList{u"fifo"_s, u"folder"_s}) {
        QFile::link(d.file(target), d.file(u"to "_s + target));
        refused << u"to "_s + target;
    }
    // As root a device node can be made here, so a link to a device is tried for real.
    if (::mknod(bytesOf(d.file(u"null"_s)).constData(), S_IFCHR | 0600, makedev(1, 3)) == 0) {
        QFile::link(d.file(u"null"_s), d.file(u"to null"_s));
        refused << u"to null"_s;
    }
    const clsArrayList l = listOf({u"new"_s});
    for (const QString& name : refused) {
        const QString path = d.file(name);
        const QFileInfo before(path);
        const mode_t type = typeOf(QFileInfo(path).canonicalFilePath());
        FakeDialogs dialogs;
        EXPECT_FALSE(WriteListToFile(path, l, &dialogs)) << name.toStdString();
        ASSERT_EQ(dialogs.shown.size(), 1u) << name.toStdString();
        EXPECT_EQ(dialogs.shown[0].text, kWriteErrorText);
        EXPECT_EQ(before.isSymLink(), QFileInfo(path).isSymLink()) << name.toStdString();
        EXPECT_EQ(typeOf(QFileInfo(path).canonicalFilePath()), type) << name.toStdString();
    }

    const QString real = d.write(u"real/ZAhis.m3u"_s, "old\r\n");
    QFile::link(real, d.file(u"ZAhis.m3u"_s));
    FakeDialogs dialogs;
    ASSERT_TRUE(WriteListToFile(d.file(u"ZAhis.m3u"_s), l, &dialogs));
    EXPECT_TRUE(QFileInfo(d.file(u"ZAhis.m3u"_s)).isSymLink());
    EXPECT_EQ(d.read(u"real/ZAhis.m3u"_s), QByteArray("new\r\n"));
    EXPECT_EQ(QDir(d.file(u"real"_s)).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"ZAhis.m3u"_s});
}

// A link another user planted in a folder anybody may write to is never written through; our
// own link there, and a link in a folder of ours, still are.
TEST(StateFiles, AStrangersLinkInASharedFolderIsNotFollowed) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a link of another user needs root";
    TempDir d;
    const QString victim = d.write(u"victim"_s, "precious");
    const QString shared = d.mkdir(u"shared"_s);
    ASSERT_EQ(::chmod(bytesOf(shared).constData(), 01777), 0);
    const struct {
        QString link;
        uid_t owner;
        bool followed;
    } cases[] = {{shared + u"/theirs"_s, 65534, false},
                 {shared + u"/ours"_s, ::geteuid(), true},
                 {d.file(u"theirs-in-ours"_s), 65534, true}};
    for (const auto& c : cases) {
        d.write(u"victim"_s, "precious");
        ASSERT_TRUE(QFile::link(victim, c.link));
        ASSERT_EQ(::lchown(bytesOf(c.link).constData(), c.owner, c.owner), 0);
        EXPECT_EQ(WriteFileAtomically(c.link, "attacker"), c.followed) << c.link.toStdString();
        EXPECT_EQ(d.read(u"victim"_s), c.followed ? "attacker" : "precious")
            << c.link.toStdString();
        EXPECT_TRUE(QFileInfo(c.link).isSymLink());
    }
}

TEST(StateFiles, ReadingRefusesWhatIsNotARegularFileWithoutWaiting) {
    TempDir d;
    ASSERT_EQ(::mkfifo(bytesOf(d.file(u"ZAlog.m3u"_s)).constData(), 0600), 0);  // no writer ever
    QFile::link(u"/dev/zero"_s, d.file(u"ZAhis.m3u"_s));
    for (const QString& path :
         {d.file(u"ZAlog.m3u"_s), d.file(u"ZAhis.m3u"_s), u"/dev/zero"_s, d.mkdir(u"sub"_s)}) {
        clsArrayList l = listOf({u"kept"_s});
        EXPECT_FALSE(ReadLinesToList(path, l)) << path.toStdString();
        EXPECT_EQ(l.items(), QStringList{u"kept"_s});
    }
    EXPECT_EQ(typeOf(d.file(u"ZAlog.m3u"_s)), mode_t(S_IFIFO));
}

TEST(StateFiles, AFileBeyondTheLimitIsRefusedWithAMessage) {
    TempDir d;
    const QString path = d.write(u"huge.m3u"_s, "/a.mp3\r\n");
    ASSERT_EQ(::truncate(bytesOf(path).constData(), kMaxTextFileBytes + 1), 0);  // sparse
    FakeDialogs dialogs;
    clsArrayList l;
    EXPECT_FALSE(ReadLinesToList(path, l, &dialogs));
    EXPECT_EQ(l.Count(), 0);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, path + u"\nファイルが大きすぎるため読み込めません。"_s);
}

TEST(StateFiles, AMissingFileTheUserNamedIsReportedNotCreated) {
    TempDir d;
    const QString path = d.file(u"gone.m3u"_s);
    FakeDialogs dialogs;
    clsArrayList l;
    EXPECT_FALSE(ReadLinesToList(path, l, &dialogs, IfMissing::Report));
    EXPECT_FALSE(QFileInfo::exists(path));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, path + u"にアクセスできません。"_s);
    // The program's own files still start out empty.
    EXPECT_TRUE(ReadLinesToList(d.file(u"ZAigw.txt"_s), l, &dialogs));
    EXPECT_TRUE(QFileInfo(d.file(u"ZAigw.txt"_s)).isFile());
}

TEST(StateFiles, Utf16WithItsByteOrderMarkIsDecoded) {
    const QString text = u"音楽\r\nb"_s;
    QByteArray le("\xFF\xFE"), be("\xFE\xFF");
    for (QChar c : text) {
        le += char(c.unicode() & 0xFF);
        le += char(c.unicode() >> 8);
        be += char(c.unicode() >> 8);
        be += char(c.unicode() & 0xFF);
    }
    TempDir d;
    for (const QByteArray& bytes : {le, be}) {
        EXPECT_EQ(DecodeText(bytes), text);
        clsArrayList l;
        ASSERT_TRUE(ReadLinesToList(d.write(u"u16.txt"_s, bytes), l));
        EXPECT_EQ(l.items(), (QStringList{u"音楽"_s, u"b"_s}));
    }
}

TEST(ShiftJisNames, AreListedDecodedFoundAndKeptThroughAPlaylist) {
    TempDir d;
    const QByteArray root = bytesOf(d.path());
    const QByteArray folder = root + '/' + kSjisFolder;
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    ASSERT_TRUE(makeRawFile(QByteArray(root + '/' + kSjisSong)));
    ASSERT_TRUE(makeRawFile(QByteArray(folder + '/' + kSjisSong)));
    ASSERT_TRUE(makeRawFile(QByteArray(root + "/\xFF\xFE.wav")));  // neither UTF-8 nor Shift_JIS

    clsArrayList found;
    ASSERT_EQ(ScanFolder(found, d.path(), {u".wav"_s}, true), QString());
    // Latin letters come before kana.
    const QStringList expected{d.file(u"ÿþ.wav"_s), d.file(u"テスト.wav"_s),
                               d.file(u"音楽/テスト.wav"_s)};
    EXPECT_EQ(found.items(), expected);
    EXPECT_TRUE(FolderExists(d.file(u"音楽"_s)));
    EXPECT_EQ(NativePath(d.file(u"音楽/テスト.wav"_s)), QByteArray(folder + '/' + kSjisSong));
    EXPECT_EQ(DecodePath(folder), d.file(u"音楽"_s));

    const QString m3u = d.file(u"ZAlog.m3u"_s);
    ASSERT_TRUE(WriteListToFile(m3u, found, nullptr));
    clsArrayList back;
    ASSERT_TRUE(ReadLinesToList(m3u, back));
    EXPECT_EQ(back.items(), expected);
    for (const QString& path : back.items())
        EXPECT_TRUE(FileExists(path)) << path.toStdString();
    // A name that exists in no form stays UTF-8, so it is reported as missing, never guessed.
    EXPECT_FALSE(FileExists(d.file(u"音楽/ない.wav"_s)));
    EXPECT_EQ(NativePath(d.file(u"無い/テスト.wav"_s)), d.file(u"無い/テスト.wav"_s).toUtf8());
}
