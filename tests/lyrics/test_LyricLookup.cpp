#include "lyrics/LyricLookup.h"
#include "lyrics/LyricText.h"
#include "support/TempDir.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

clsArrayList listOf(const QStringList& paths) {
    clsArrayList l;
    l.assign(paths);
    return l;
}

QStringList withFolder(const QStringList& names) {
    QStringList out;
    for (const QString& n : names)
        out.append(u"/lyrics/"_qs + n);
    return out;
}

}  // namespace

// The three passes: exact names only when there are any, then the names the song's name starts
// with (the longest first), then with the vague search the names starting like the song's.
TEST(LyricLookup, PassesFindTheNamesInTheirOrder) {
    struct Case {
        const char* what;
        QString song;
        QStringList index;
        int vague;
        QStringList expected;
    };
    const Case cases[] = {
        {"exact, case ignored",
         u"/m/Hello World.mp3"_qs,
         {u"hello world.txt"_qs, u"Hello.txt"_qs},
         1,
         {u"hello world.txt"_qs}},
        {"exact, full-width case",
         u"/m/ＡＢＣ.mp3"_qs,
         {u"ａｂｃ.TXT"_qs, u"ab.txt"_qs},
         1,
         {u"ａｂｃ.TXT"_qs}},
        {"prefix, longest first",
         u"/m/Hello World (live).mp3"_qs,
         {u"Hello.txt"_qs, u"Hello World.txt"_qs, u"Hell.jpg"_qs, u"World.txt"_qs},
         0,
         {u"Hello World.txt"_qs, u"Hello.txt"_qs, u"Hell.jpg"_qs}},
        {"prefix, a longer name later goes in front",
         u"/m/abcdef.mp3"_qs,
         {u"ab.txt"_qs, u"abcd.jpeg"_qs, u"abc.png"_qs},
         0,
         {u"abcd.jpeg"_qs, u"ab.txt"_qs, u"abc.png"_qs}},
        {"four-letter song extension",
         u"/m/Song.flac"_qs,
         {u"Song.txt"_qs, u"Son.txt"_qs},
         0,
         {u"Song.txt"_qs}},
        {"two-letter song extension",
         u"/m/Song.wv"_qs,
         {u"Son.txt"_qs, u"Song.txt"_qs},
         0,
         {u"Song.txt"_qs}},
        {"vague 10 characters: first 2",
         u"/m/ABCDEFGHIJ.mp3"_qs,
         {u"abzz.txt"_qs, u"AC.txt"_qs, u"abq.gif"_qs, u"xab.txt"_qs},
         1,
         {u"abzz.txt"_qs, u"abq.gif"_qs}},
        {"vague off", u"/m/ABCDEFGHIJ.mp3"_qs, {u"abzz.txt"_qs}, 0, {}},
        {"vague 6 characters: first 3",
         u"/m/ABCDEF.mp3"_qs,
         {u"abx.txt"_qs, u"ABCzz.txt"_qs, u"abcdx.txt"_qs},
         1,
         {u"ABCzz.txt"_qs, u"abcdx.txt"_qs}},
        {"vague 4 characters: all of it",
         u"/m/Rain.mp3"_qs,
         {u"Rainbow.txt"_qs, u"Raix.txt"_qs},
         1,
         {u"Rainbow.txt"_qs}},
        {"vague pattern characters",
         u"/m/A#B.mp3"_qs,
         {u"A1Bcd.txt"_qs, u"AxBcd.txt"_qs},
         1,
         {u"A1Bcd.txt"_qs}},
        {"vague full case folding",
         u"/m/ßabcdefghij.mp3"_qs,
         {u"SSAxx.txt"_qs, u"ﬀ.txt"_qs, u"sb.txt"_qs},
         1,
         {u"SSAxx.txt"_qs}},
        {"vague ASCII start, folded ligature",
         u"/m/ffabcdefghij.mp3"_qs,
         {u"ﬀoo.txt"_qs, u"FFx.txt"_qs, u"fx.txt"_qs},
         1,
         {u"ﬀoo.txt"_qs, u"FFx.txt"_qs}},
        {"a .lrc before the .txt of its name",
         u"/m/Song.mp3"_qs,
         {u"Song.txt"_qs, u"Song.jpg"_qs, u"Song.LRC"_qs},
         0,
         {u"Song.LRC"_qs, u"Song.txt"_qs, u"Song.jpg"_qs}},
        {"a .lrc before the .txt of its name, prefix pass",
         u"/m/Song (live).mp3"_qs,
         {u"Song.txt"_qs, u"So.lrc"_qs, u"Song.lrc"_qs},
         0,
         {u"Song.lrc"_qs, u"Song.txt"_qs, u"So.lrc"_qs}},
        {"exact, kana type and width ignored",
         u"/m/ﾐｸの歌.mp3"_qs,
         {u"ミク.txt"_qs, u"みくの歌.txt"_qs},
         1,
         {u"みくの歌.txt"_qs}},
        {"prefix, kana type ignored",
         u"/m/ミクの歌 (live).mp3"_qs,
         {u"みくの歌.txt"_qs, u"みくの.lrc"_qs, u"はの歌.txt"_qs},
         0,
         {u"みくの歌.txt"_qs, u"みくの.lrc"_qs}},
        {"vague, a kana and its mark are one letter",
         u"/m/ｶﾞｸｾｲｼﾞﾀﾞｲﾉｳﾀ.mp3"_qs,
         {u"がくえん.txt"_qs, u"かくれんぼ.txt"_qs},
         1,
         {u"がくえん.txt"_qs}},
        {"vague duplicates once",
         u"/m/Rain.mp3"_qs,
         {u"Rainy.txt"_qs, u"Rainy.txt"_qs},
         1,
         {u"Rainy.txt"_qs}},
    };
    for (const Case& c : cases) {
        LyricLookup lookup;
        const clsArrayList found =
            lookup.FindLyricFiles(listOf(withFolder(c.index)), c.song, c.vague);
        EXPECT_EQ(found.items(), withFolder(c.expected)) << c.what;
    }
}

// A vague match needs letters in common: track numbers, spaces and punctuation (wildcard
// characters among them) shared alone never make one, nor do they stand in the way of one.
TEST(LyricLookup, VagueMatchesNeedSharedLetters) {
    const struct {
        QString song;
        QString lyric;
        bool match;
    } cases[] = {
        {u"01 星降る夜"_qs, u"01 はじまりの歌"_qs, false},
        {u"01 Rain"_qs, u"01 Snow"_qs, false},
        {u"1-2-3 Go"_qs, u"1-2-3 Hop"_qs, false},
        {u"(01) ABCDEFGHIJ"_qs, u"(01) xyz"_qs, false},
        {u"０１　夜空"_qs, u"０１　朝焼け"_qs, false},
        {u"#1 Hits"_qs, u"11 Misses"_qs, false},
        {u"*** Remix"_qs, u"Other"_qs, false},
        {u"2001"_qs, u"2001 宇宙の旅"_qs, false},
        {u"01 星降る夜"_qs, u"01 星降る夜空"_qs, true},
        {u"01 星降る夜"_qs, u"星降る夜のうた"_qs, true},
        {u"Rain"_qs, u"02 - Rainbow"_qs, true},
        {u"03. ABCDEFGHIJ"_qs, u"ab"_qs, true},
        {u"ﾐｸの歌ｺﾚｸｼｮﾝ"_qs, u"01 みくのうた"_qs, true},
    };
    for (const auto& c : cases) {
        LyricLookup lookup;
        const clsArrayList found = lookup.FindLyricFiles(listOf({u"/l/"_qs + c.lyric + u".txt"_qs}),
                                                         u"/m/"_qs + c.song + u".mp3"_qs, 1);
        EXPECT_EQ(found.Count() == 1, c.match)
            << c.song.toStdString() << " / " << c.lyric.toStdString();
    }
}

// The folded names follow the index: a lookup after the index was rebuilt sees the new files.
TEST(LyricLookup, FollowsAChangedIndex) {
    LyricLookup lookup;
    clsArrayList index = listOf({u"/l/a.txt"_qs});
    EXPECT_EQ(lookup.FindLyricFiles(index, u"/m/b.mp3"_qs, 0).Count(), 0);
    index.Clear();
    index.Add(u"/l/b.txt"_qs);
    EXPECT_EQ(lookup.FindLyricFiles(index, u"/m/b.mp3"_qs, 0).Count(), 1);
    index.setValue(0, u"/l/c.txt"_qs);
    EXPECT_EQ(lookup.FindLyricFiles(index, u"/m/b.mp3"_qs, 0).Count(), 0);
}

TEST(LyricLookup, ArtistWordsTakeExactlyTwoFields) {
    const clsArrayList file =
        listOf({u"Beatles\tビートルズ"_qs, u"beatles\tザ・ビートルズ"_qs, u"Beatles\ta\tb"_qs,
                u"Beatles"_qs, u"Beatles\t"_qs, u"Other\tX"_qs, u"ＢＥＡＴＬＥＳ\tﾋﾞｰﾄﾙｽﾞ"_qs});
    EXPECT_EQ(LyricLookup::ArtistWords(u"Beatles"_qs, file),
              (QStringList{u"Beatles"_qs, u"ビートルズ"_qs, u"ザ・ビートルズ"_qs, u"ﾋﾞｰﾄﾙｽﾞ"_qs}));
    EXPECT_TRUE(LyricLookup::ArtistWords(QString(), file).isEmpty());
}

// Each (position, word) looks at the file at that position then: a later word can swap another
// file back to the front.
TEST(LyricLookup, OrderByArtistSwapsAsItGoes) {
    struct Case {
        const char* what;
        QStringList words;
        QStringList expected;
    };
    // a names Y, b and c name X.
    auto line = [](const QString& path, const QString& word) {
        return word == (path == u"a"_qs ? u"Y"_qs : u"X"_qs) ? 2 : 0;
    };
    const Case cases[] = {
        {"no words keep the order", {}, {u"a"_qs, u"b"_qs, u"c"_qs}},
        {"second file to the front", {u"Z"_qs, u"X"_qs}, {u"c"_qs, u"a"_qs, u"b"_qs}},
        {"later word swaps back", {u"X"_qs, u"Y"_qs}, {u"a"_qs, u"b"_qs, u"c"_qs}},
    };
    for (const Case& c : cases) {
        clsArrayList list = listOf({u"a"_qs, u"b"_qs, u"c"_qs});
        LyricLookup::OrderByArtist(list, c.words, line);
        EXPECT_EQ(list.items(), c.expected) << c.what;
    }
}

// Lines 2 to 8 are searched before line 1; line 9 does not count; the encodings are read.
TEST(LyricText, InStrFileLineNumbers) {
    TempDir dir;
    QStringEncoder sjis("windows-31j");
    const QString text =
        u"ビートルズ Title\r\n2\r\n3 ビートルズ\n4\r5\r\n6\r\n7\r\n8\r\n9 Queen\r\n"_qs;
    const QString paths[] = {
        dir.write(u"utf8.txt"_qs, text.toUtf8()),
        dir.write(u"bom.txt"_qs, "\xEF\xBB\xBF" + text.toUtf8()),
        dir.write(u"sjis.txt"_qs, sjis.encode(text)),
        dir.write(u"utf16.txt"_qs,
                  QByteArray("\xFF\xFE", 2) +
                      QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2)),
    };
    for (const QString& p : paths) {
        EXPECT_EQ(LyricText::InStrFile(p, u"ビートルズ"_qs), 3) << p.toStdString();
        EXPECT_EQ(LyricText::InStrFile(p, u"ﾋﾞｰﾄﾙｽﾞ"_qs), 3) << p.toStdString();
        EXPECT_EQ(LyricText::InStrFile(p, u"title"_qs), 1) << p.toStdString();
        EXPECT_EQ(LyricText::InStrFile(p, u"Queen"_qs), 0) << p.toStdString();
    }
    EXPECT_EQ(LyricText::InStrFile(dir.file(u"missing.txt"_qs), u"x"_qs), 0);
    EXPECT_EQ(LyricText::InStrFile(dir.path(), u"x"_qs), 0);
}

// Only the head of a long file is read, cut at a line break, so a UTF-8 file stays UTF-8.
TEST(LyricText, HeadOfALongFileKeepsItsEncoding) {
    TempDir dir;
    QByteArray bytes = u"タイトル\r\n歌手 あいう\r\n"_qs.toUtf8();
    while (bytes.size() <= LyricText::kHeadBytes + 10)
        bytes += u"あいうえお\r\n"_qs.toUtf8();
    const QString path = dir.write(u"long.txt"_qs, bytes);
    EXPECT_EQ(LyricText::InStrFile(path, u"歌手"_qs), 2);
}

// Widths are the bytes code page 932 spends on each character; one it cannot encode counts two.
TEST(LyricText, ShiftJisWidth) {
    const struct {
        const char16_t* line;
        int bytes;
    } cases[] = {
        {u"abc 123~\\", 9},
        {u"ｶﾅｱｲｳ", 5},
        {u"×°±§¨´¶÷", 16},
        {u"漢字", 4},
        {u"あいうえおかきくけこ", 20},
        {u"é", 2},
        {u"ｱ漢×a", 6},
        {u"𠮷", 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LyricText::ShiftJisBytes(c.line), c.bytes)
            << QStringView(c.line).toString().toStdString();
    // Every character of the basic plane as the code page's own encoder counts it.
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (QChar::isSurrogate(c))
            continue;
        QStringEncoder sjis("windows-31j", QStringEncoder::Flag::Stateless);
        const QString text = QString::fromUcs4(&c, 1);
        const QByteArray bytes = sjis.encode(text);
        ASSERT_EQ(LyricText::ShiftJisBytes(text), sjis.hasError() ? 2 : bytes.size())
            << std::hex << uint32_t(c);
    }
}
