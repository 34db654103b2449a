#include "core/modZAUtil.h"
#include "support/FakeDialogs.h"
#include "support/TempDir.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStringEncoder>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace modZAUtil;

namespace {
QByteArray sjis(const QString& s) {
    QStringEncoder enc("Shift_JIS");
    return enc(s);
}
QStringList readAll(const QString& path) {
    clsArrayList l;
    EXPECT_TRUE(ReadLinesToList(path, l));
    return l.items();
}
}  // namespace

TEST(TextFiles, ReadStopsAtFirstEmptyLineAndAcceptsEveryLineEnd) {
    TempDir d;
    EXPECT_EQ(readAll(d.write(u"a.txt"_qs, "one\r\n\r\nthree\r\n")), QStringList{u"one"_qs});
    EXPECT_EQ(readAll(d.write(u"b.txt"_qs, "a\nb\rc\r\nd")),
              (QStringList{u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs}));
    EXPECT_TRUE(readAll(d.write(u"c.txt"_qs, "\r\nlater\r\n")).isEmpty());

    clsArrayList l;
    l.Add(u"kept"_qs);
    ReadLinesToList(d.file(u"b.txt"_qs), l);  // appends, never clears
    EXPECT_EQ(l.Value(0), u"kept"_qs);
    EXPECT_EQ(l.Count(), 5);
}

TEST(TextFiles, ShiftJisAndUtf8AreBothRead) {
    TempDir d;
    const QString jp = QStringLiteral("C:/音楽/歌.mp3");
    EXPECT_EQ(readAll(d.write(u"s.m3u"_qs, sjis(jp) + "\r\n")), QStringList{jp});
    EXPECT_EQ(readAll(d.write(u"u.m3u"_qs, jp.toUtf8() + "\r\n")), QStringList{jp});
    EXPECT_EQ(readAll(d.write(u"bom.m3u"_qs, "\xEF\xBB\xBF" + jp.toUtf8())), QStringList{jp});
}

TEST(TextFiles, AZeroWidthNoBreakSpaceAfterTheByteOrderMarkIsPartOfTheText) {
    // Only the file's first byte-order mark is dropped; a name may start with U+FEFF.
    TempDir d;
    const QString name = QStringLiteral("\uFEFFa.mp3");
    EXPECT_EQ(readAll(d.write(u"mid.m3u"_qs, "x.mp3\r\n" + name.toUtf8())),
              (QStringList{u"x.mp3"_qs, name}));
    EXPECT_EQ(readAll(d.write(u"two.m3u"_qs, "\xEF\xBB\xBF" + name.toUtf8())), QStringList{name});
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF" + name.toUtf8()), name);
}

TEST(TextFiles, MissingFileIsCreatedEmptyAndFolderFails) {
    TempDir d;
    clsArrayList l;
    EXPECT_TRUE(ReadLinesToList(d.file(u"new.txt"_qs), l));
    EXPECT_EQ(l.Count(), 0);
    EXPECT_TRUE(QFile::exists(d.file(u"new.txt"_qs)));
    EXPECT_EQ(QFileInfo(d.file(u"new.txt"_qs)).size(), 0);
    EXPECT_FALSE(ReadLinesToList(d.mkdir(u"sub"_qs), l));
}

TEST(TextFiles, WriteIsUtf8WithCrLfAndReplacesWhole) {
    TempDir d;
    clsArrayList l;
    l.Add(QStringLiteral("/音楽/a.mp3"));
    l.Add(u"b"_qs);
    FakeDialogs dialogs;
    d.write(u"out.m3u"_qs, QByteArray(5000, 'x'));
    ASSERT_TRUE(WriteListToFile(d.file(u"out.m3u"_qs), l, &dialogs));
    EXPECT_EQ(d.read(u"out.m3u"_qs), QStringLiteral("/音楽/a.mp3\r\nb\r\n").toUtf8());
    EXPECT_TRUE(dialogs.shown.empty());

    ASSERT_TRUE(WriteListToFile(d.file(u"empty.m3u"_qs), clsArrayList(), &dialogs));
    EXPECT_TRUE(QFile::exists(d.file(u"empty.m3u"_qs)));
    EXPECT_EQ(d.read(u"empty.m3u"_qs).size(), 0);
    // No temporary file is left beside the result.
    EXPECT_EQ(QDir(d.path()).entryList(QDir::Files).size(), 2);
}

TEST(TextFiles, EntriesWithLineBreaksAreLeftOutOfTheList) {
    TempDir d;
    clsArrayList l;
    for (const QString& e :
         {u"/m/a.mp3"_qs, u"/m/b\nc.mp3"_qs, u"/m/d\re.mp3"_qs, u"/m/f\r\n.mp3"_qs, u"/m/g.mp3"_qs})
        l.Add(e);
    ASSERT_TRUE(WriteListToFile(d.file(u"out.m3u"_qs), l, nullptr));
    EXPECT_EQ(d.read(u"out.m3u"_qs), QByteArray("/m/a.mp3\r\n/m/g.mp3\r\n"));
}

TEST(TextFiles, FailedWriteReportsAndKeepsTheOldFile) {
    TempDir d;
    const QString target = d.write(u"keep.m3u"_qs, "old\r\n");
    FakeDialogs dialogs;
    clsArrayList l;
    l.Add(u"new"_qs);
    // A target inside a missing folder cannot be written.
    EXPECT_FALSE(WriteListToFile(d.file(u"missing/x.m3u"_qs), l, &dialogs));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("ファイル書き込み中にエラーが発生しました。"));
    EXPECT_EQ(dialogs.shown[0].title, u"ERROR"_qs);
    if (geteuid() != 0) {  // root writes into read-only folders anyway
        ::chmod(d.path().toLocal8Bit().constData(), 0555);
        EXPECT_FALSE(WriteListToFile(target, l, &dialogs));
        ::chmod(d.path().toLocal8Bit().constData(), 0755);
        EXPECT_EQ(d.read(u"keep.m3u"_qs), QByteArray("old\r\n"));
    }
}

TEST(FileTests, FilesFoldersAndLinks) {
    TempDir d;
    const QString f = d.write(u"a.mp3"_qs, "x");
    const QString dir = d.mkdir(u"sub"_qs);
    EXPECT_TRUE(FileExists(f));
    EXPECT_FALSE(FileExists(dir));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_FALSE(FileExists(d.file(u"*.mp3"_qs)));  // wildcards are plain characters
    EXPECT_TRUE(FolderExists(dir));
    EXPECT_FALSE(FolderExists(f));
    EXPECT_FALSE(FolderExists(QString()));
    QFile::link(f, d.file(u"link.mp3"_qs));
    EXPECT_TRUE(FileExists(d.file(u"link.mp3"_qs)));
    QFile::link(d.file(u"gone"_qs), d.file(u"dangling.mp3"_qs));
    EXPECT_FALSE(FileExists(d.file(u"dangling.mp3"_qs)));
    EXPECT_TRUE(HasSubFolders(d.path()));
    EXPECT_FALSE(HasSubFolders(dir));
    EXPECT_FALSE(HasSubFolders(d.file(u"nowhere"_qs)));
}

TEST(ScanFolderTest, ExtensionsSubFoldersAndDuplicates) {
    TempDir d;
    d.write(u"top/a.MP3"_qs, "x");
    d.write(u"top/b.wma"_qs, "x");
    d.write(u"top/song.mp3.txt"_qs, "x");
    d.write(u"top/.mp3"_qs, "x");
    d.write(u"top/inner/c.mp3"_qs, "x");
    const QString top = d.file(u"top"_qs);

    clsArrayList flat;
    EXPECT_EQ(ScanFolder(flat, top, {u".mp3"_qs}, false), QString());
    QStringList names;
    for (const QString& p : flat.items())
        names << GetFileName(p);
    names.sort();
    EXPECT_EQ(names, (QStringList{u".mp3"_qs, u"a.MP3"_qs}));

    clsArrayList deep;
    ScanFolder(deep, top, {u".mp3"_qs}, true);
    EXPECT_EQ(deep.Count(), 3);
    EXPECT_EQ(GetFileName(deep.Value(2)), u"c.mp3"_qs);  // sub-folders after the folder's files

    clsArrayList twice;
    ScanFolder(twice, top, {u".mp3"_qs, u".MP3"_qs}, false);
    EXPECT_EQ(twice.Count(), 4);  // once for every matching element
}

TEST(ScanFolderTest, LinkLoopsAndErrors) {
    TempDir d;
    d.write(u"root/x.mp3"_qs, "x");
    d.write(u"root/sub/y.mp3"_qs, "x");
    QFile::link(d.file(u"root"_qs), d.file(u"root/sub/back"_qs));   // a loop back to the root
    QFile::link(d.file(u"root/sub"_qs), d.file(u"root/again"_qs));  // the same folder twice
    clsArrayList l;
    EXPECT_EQ(ScanFolder(l, d.file(u"root"_qs), {u".mp3"_qs}, true), QString());
    EXPECT_EQ(l.Count(), 2);

    clsArrayList none;
    EXPECT_EQ(ScanFolder(none, d.file(u"missing"_qs), {u".mp3"_qs}, true),
              QStringLiteral("指定されたパスにアクセスできません。"));
    EXPECT_EQ(ScanFolder(none, QString(), {u".mp3"_qs}, true),
              QStringLiteral("指定されたパスにアクセスできません。"));
    if (geteuid() != 0) {
        d.write(u"locked/z.mp3"_qs, "x");
        d.write(u"open/z.mp3"_qs, "x");
        ::chmod(d.file(u"locked"_qs).toLocal8Bit().constData(), 0);
        clsArrayList some;
        EXPECT_EQ(ScanFolder(some, d.path(), {u".mp3"_qs}, true), QString());
        EXPECT_EQ(some.Count(), 3);  // the unreadable folder is skipped quietly
        ::chmod(d.file(u"locked"_qs).toLocal8Bit().constData(), 0755);
    }
}

TEST(SmallHelpers, NamesTimesAndRows) {
    EXPECT_EQ(GetFileName(u"/music/a.mp3"_qs), u"a.mp3"_qs);
    EXPECT_EQ(GetFileName(u"a.mp3"_qs), u"a.mp3"_qs);
    EXPECT_EQ(GetFileName(u"/music/"_qs), QString());
    EXPECT_EQ(FormatSeconds(0), u"00:00"_qs);
    EXPECT_EQ(FormatSeconds(59), u"00:59"_qs);
    EXPECT_EQ(FormatSeconds(60), u"01:00"_qs);
    EXPECT_EQ(FormatSeconds(75), u"01:15"_qs);
    EXPECT_EQ(FormatSeconds(6000), u"100:00"_qs);
    EXPECT_EQ(FormatSeconds(-75), u"-01:-15"_qs);
    EXPECT_EQ(NotNegative(-3), 0);
    EXPECT_EQ(NotNegative(7), 7);

    EXPECT_EQ(ListRowText(u"/music/a.mp3"_qs), u"a"_qs);
    EXPECT_EQ(ListRowText(u"/x/ab"_qs), u"ab"_qs);  // shorter than four characters: whole
    EXPECT_EQ(ListRowText(QStringLiteral("/曲/歌 & 声.wma")), QStringLiteral("歌 & 声"));
}

TEST(NameOrder, FolderListingsAreNaturalCaseInsensitiveFilesFirstDepthFirst) {
    TempDir d;
    for (const QString& name : {u"Track 10.mp3"_qs, u"track 2.mp3"_qs, u"Track 1.mp3"_qs,
                                u"b.mp3"_qs, u"A.mp3"_qs, u"Disc 10/x.mp3"_qs, u"Disc 2/y.mp3"_qs,
                                u"Disc 2/a.mp3"_qs, u"Disc 2/CD 1/z.mp3"_qs, u"ディスク/曲.mp3"_qs})
        d.write(name, "x");
    clsArrayList l;
    ASSERT_EQ(ScanFolder(l, d.path() + u'/', {u".mp3"_qs}, true), QString());
    QStringList names;
    for (const QString& p : l.items())
        names << p.mid(d.path().size() + 1);
    EXPECT_EQ(names,
              (QStringList{u"A.mp3"_qs, u"b.mp3"_qs, u"Track 1.mp3"_qs, u"track 2.mp3"_qs,
                           u"Track 10.mp3"_qs, u"Disc 2/a.mp3"_qs, u"Disc 2/y.mp3"_qs,
                           u"Disc 2/CD 1/z.mp3"_qs, u"Disc 10/x.mp3"_qs, u"ディスク/曲.mp3"_qs}));
}

// The fast comparison of plain-ASCII names must give the collator's answers exactly, or a
// folder mixing such names with others would not be sorted consistently.
TEST(NameOrder, EveryNameSortsInTheJapaneseNumericCollatorsOrder) {
    QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const QString alphabet = u"aAbBzZ0012789 _-.,;:!?'\"()[]{}@*/\\&#%`^+<=>|~$\t\x01"_qs;
    std::mt19937 random(14);
    auto name = [&] {
        QString s;
        for (int n = int(random() % 7); n >= 0; --n)
            s += alphabet[qsizetype(random() % alphabet.size())];
        return s;
    };
    for (int i = 0; i < 20000; ++i) {
        const QString a = name(), b = name();
        int expected = collator.compare(a, b);
        if (expected == 0)
            expected = a.compare(b);
        expected = expected < 0 ? -1 : expected > 0 ? 1 : 0;
        ASSERT_EQ(CompareNames(a, b), expected) << a.toStdString() << " | " << b.toStdString();
    }
    QStringList paths{u"/m/テスト10.mp3"_qs, u"/m/ABD.mp3"_qs, u"/m/テスト2.mp3"_qs,
                      u"/m/abc.mp3"_qs};
    SortPathsByName(paths);
    EXPECT_EQ(paths, (QStringList{u"/m/abc.mp3"_qs, u"/m/ABD.mp3"_qs, u"/m/テスト2.mp3"_qs,
                                  u"/m/テスト10.mp3"_qs}));
    // A list with any other name is sorted by the collator's keys: the same order again.
    paths.clear();
    for (int i = 0; i < 300; ++i)
        paths << u"/m/"_qs + name() + (i % 3 == 0 ? u"曲ｶﾞ"_qs : QString());
    SortPathsByName(paths);
    for (qsizetype i = 1; i < paths.size(); ++i)
        ASSERT_LE(CompareNames(GetFileName(paths[i - 1]), GetFileName(paths[i])), 0) << i;
}

// Text without a byte-order mark that is not UTF-8 is Shift_JIS when it reads as Japanese and
// Windows-1252 otherwise, in tags as in every text file.
TEST(TextFiles, WesternAndJapaneseBytesAreEachReadAsWhatTheyAre) {
    const char16_t* const western[] = {u"Björk",     u"Café del Mar", u"Mylène Farmer",
                                       u"Motörhead", u"Sigur Rós",    u"Françoise Hardy",
                                       u"Ñu",        u"naïve",        u"Déjà vu",
                                       u"Ålesund",   u"Don’t Stop",   u"Ça va",
                                       u"Zoë"};
    const char16_t* const japanese[] = {
        u"情熱大陸", u"葉加瀬太郎", u"春の風",     u"ｶﾀｶﾅ",          u"宇多田ヒカル",
        u"東京事変", u"椎名林檎",   u"あいみょん", u"Ｘ ＪＡＰＡＮ", u"「夜明け」",
        u"B'z ﾍﾞｽﾄ", u"Love 愛",    u"ｱ"};
    QStringEncoder cp1252("windows-1252");
    QStringEncoder cp932("windows-31j");
    ASSERT_TRUE(cp1252.isValid() && cp932.isValid());
    TempDir d;
    const auto check = [&](const QString& text, const QByteArray& bytes) {
        ASSERT_FALSE(bytes.isValidUtf8()) << text.toStdString();
        EXPECT_EQ(DecodeText(bytes), text);
        EXPECT_EQ(readAll(d.write(u"list.m3u"_qs, bytes + "\r\n")), QStringList{text});
    };
    for (const char16_t* w : western)
        check(QString::fromUtf16(w), cp1252(QString::fromUtf16(w)));
    for (const char16_t* j : japanese)
        check(QString::fromUtf16(j), cp932(QString::fromUtf16(j)));
}
