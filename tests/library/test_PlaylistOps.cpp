#include "library/PlaylistOps.h"
#include "library/PlaylistShuffler.h"
#include "support/Id3TagBuilder.h"
#include "support/TempDir.h"

#include <QCollator>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

clsArrayList listOf(const QStringList& items) {
    clsArrayList l;
    l.assign(items);
    return l;
}

// Draws the given numbers in turn and counts the draws.
struct ScriptedDraw {
    QList<float> values;
    int drawn = 0;
    float operator()() { return values.at(drawn++); }
};

}  // namespace

TEST(Shuffle, FollowsTheExchangeStepsWithHalvesRoundedToEven) {
    // m = 5, r = 0.5 every time: j = 2.5 rounds to 2 (not 3) at each step.
    clsArrayList l = listOf({u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s});
    ScriptedDraw draw{{0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f}};
    PlaylistOps::Shuffle(l, std::ref(draw));
    EXPECT_EQ(draw.drawn, 6);
    EXPECT_EQ(l.items(), QStringList({u"c"_s, u"a"_s, u"f"_s, u"b"_s, u"d"_s, u"e"_s}));

    // m = 3: 0.5 -> 1.5 -> 2, 0.1 -> 0.3 -> 0, 0.9 -> 2.7 -> 3, 0 -> 0.
    clsArrayList k = listOf({u"a"_s, u"b"_s, u"c"_s, u"d"_s});
    ScriptedDraw draw2{{0.5f, 0.1f, 0.9f, 0.0f}};
    PlaylistOps::Shuffle(k, std::ref(draw2));
    EXPECT_EQ(k.items(), QStringList({u"a"_s, u"c"_s, u"d"_s, u"b"_s}));
}

TEST(Shuffle, EdgeListsAndTheSeededGeneratorKeepEveryEntry) {
    clsArrayList empty;
    ScriptedDraw none;
    PlaylistOps::Shuffle(empty, std::ref(none));
    EXPECT_EQ(none.drawn, 0);

    PlaylistShuffler shuffler(12345);
    clsArrayList one = listOf({u"only"_s});
    shuffler.Shuffle(one);
    EXPECT_EQ(one.items(), QStringList{u"only"_s});

    QStringList items;
    for (int i = 0; i < 500; ++i)
        items << QString::number(i % 50);  // duplicates on purpose
    clsArrayList l = listOf(items);
    shuffler.Shuffle(l);
    QStringList a = l.items(), b = items;
    EXPECT_NE(a, b);
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    EXPECT_EQ(a, b);

    for (int i = 0; i < 100000; ++i) {
        const float r = shuffler.Draw();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
    }
}

TEST(TrackKey, ReadsTheNumberLeniently) {
    EXPECT_EQ(PlaylistOps::TrackKey(u""_s), 0);
    EXPECT_EQ(PlaylistOps::TrackKey(u"10"_s), 10);
    EXPECT_EQ(PlaylistOps::TrackKey(u"3/12"_s), 3);
    EXPECT_EQ(PlaylistOps::TrackKey(u"  7/10"_s), 7);
    EXPECT_EQ(PlaylistOps::TrackKey(u"2.5/10"_s), 2);  // halves to even
    EXPECT_EQ(PlaylistOps::TrackKey(u"3.5/10"_s), 4);
    EXPECT_EQ(PlaylistOps::TrackKey(u"/5"_s), 0);
    EXPECT_EQ(PlaylistOps::TrackKey(u"A1"_s), 0);
    EXPECT_EQ(PlaylistOps::TrackKey(u"12abc"_s), 12);
    EXPECT_EQ(PlaylistOps::TrackKey(QString::fromUtf16(u"4\0\0", 3)), 4);  // zeros left by a tag
    EXPECT_EQ(PlaylistOps::TrackKey(u"-3"_s), -3);
    EXPECT_EQ(PlaylistOps::TrackKey(u"99999"_s), 32767);
}

TEST(SortByTrack, NumericStableAndOnlyFromTheFirstIndex) {
    const QHash<QString, QString> tracks{{u"/m/ten.mp3"_s, u"10"_s}, {u"/m/two.mp3"_s, u"2/12"_s},
                                         {u"/m/none.mp3"_s, u""_s},  {u"/m/one.mp3"_s, u"1"_s},
                                         {u"/m/x1.mp3"_s, u"5"_s},   {u"/m/x2.mp3"_s, u"5/9"_s},
                                         {u"/m/x3.mp3"_s, u"05"_s}};
    int reads = 0;
    auto lookup = [&](const QString& p) {
        ++reads;
        return tracks.value(p);
    };

    clsArrayList l = listOf({u"/m/ten.mp3"_s, u"/m/two.mp3"_s, u"/m/none.mp3"_s, u"/m/one.mp3"_s});
    PlaylistOps::SortByTrack(l, 0, lookup);
    EXPECT_EQ(l.items(),
              QStringList({u"/m/none.mp3"_s, u"/m/one.mp3"_s, u"/m/two.mp3"_s, u"/m/ten.mp3"_s}));

    // Equal keys keep their order; entries before the first index stay put and are not read.
    l = listOf({u"/m/ten.mp3"_s, u"/m/two.mp3"_s, u"/m/x1.mp3"_s, u"/m/ten.mp3"_s, u"/m/x2.mp3"_s,
                u"/m/one.mp3"_s, u"/m/x3.mp3"_s});
    reads = 0;
    PlaylistOps::SortByTrack(l, 2, lookup);
    EXPECT_EQ(reads, 5);
    EXPECT_EQ(l.items(),
              QStringList({u"/m/ten.mp3"_s, u"/m/two.mp3"_s, u"/m/one.mp3"_s, u"/m/x1.mp3"_s,
                           u"/m/x2.mp3"_s, u"/m/x3.mp3"_s, u"/m/ten.mp3"_s}));

    // A first index at or past the end changes nothing and reads nothing.
    reads = 0;
    PlaylistOps::SortByTrack(l, l.Count(), lookup);
    EXPECT_EQ(reads, 0);
}

TEST(SortByFileName, IgnoresCaseAndFoldersInTheCLocaleAndARealOne) {
    const QStringList input{u"/m/B.mp3"_s, u"/z/a.mp3"_s, u"/a/b.mp3"_s, u"/x/A.mp3"_s,
                            u"/a/c.mp3"_s};
    const QStringList expected{u"/z/a.mp3"_s, u"/x/A.mp3"_s, u"/m/B.mp3"_s, u"/a/b.mp3"_s,
                               u"/a/c.mp3"_s};
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::Japanese, QLocale::Japan)}) {
        SCOPED_TRACE(locale.name().toStdString());
        clsArrayList l = listOf(input);
        PlaylistOps::SortByFileName(l, 0, QCollator(locale));
        EXPECT_EQ(l.items(), expected);
    }
    // The collator given case-sensitive is still used without regard to case.
    QCollator sensitive{QLocale(QLocale::English, QLocale::UnitedStates)};
    sensitive.setCaseSensitivity(Qt::CaseSensitive);
    clsArrayList l = listOf(input);
    PlaylistOps::SortByFileName(l, 0, sensitive);
    EXPECT_EQ(l.items(), expected);

    // The system locale's collation, from a first index.
    l = listOf({u"/z.mp3"_s, u"/b.mp3"_s, u"/C.mp3"_s, u"/A.mp3"_s});
    PlaylistOps::SortByFileName(l, 1);
    EXPECT_EQ(l.items(), QStringList({u"/z.mp3"_s, u"/A.mp3"_s, u"/b.mp3"_s, u"/C.mp3"_s}));
}

TEST(SortByFileName, RealLocaleUsesItsCollation) {
    clsArrayList l = listOf({u"/f.mp3"_s, u"/\u00E9.mp3"_s, u"/e.mp3"_s});
    PlaylistOps::SortByFileName(l, 0, QCollator(QLocale(QLocale::French, QLocale::France)));
    EXPECT_EQ(l.items(), QStringList({u"/e.mp3"_s, u"/\u00E9.mp3"_s, u"/f.mp3"_s}));
}

TEST(SortByDate, NewestFirstUnreadableLastEqualDatesKeepOrder) {
    TempDir dir;
    const QDateTime base = QDateTime::fromSecsSinceEpoch(1'600'000'000);
    auto make = [&](const QString& name, int ageDays) {
        const QString p = dir.write(name, "x");
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::ReadWrite));
        EXPECT_TRUE(f.setFileTime(base.addDays(-ageDays), QFileDevice::FileModificationTime));
        return p;
    };
    const QString old = make(u"old.mp3"_s, 30), mid1 = make(u"mid1.mp3"_s, 10),
                  fresh = make(u"new.mp3"_s, 0), mid2 = make(u"mid2.mp3"_s, 10);
    const QString gone = dir.file(u"gone.mp3"_s);
    clsArrayList l = listOf({gone, old, mid1, fresh, mid2});
    PlaylistOps::SortByDateNewestFirst(l);
    EXPECT_EQ(l.items(), QStringList({fresh, mid1, mid2, old, gone}));
}

TEST(PlaylistSelection, DeleteSelectedRow) {
    const QStringList five{u"0"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s};
    clsArrayList l = listOf(five);
    EXPECT_EQ(PlaylistOps::DeleteSelected(l, 4), 3);
    EXPECT_EQ(l.items(), QStringList({u"0"_s, u"1"_s, u"2"_s, u"3"_s}));

    l = listOf(five);
    EXPECT_EQ(PlaylistOps::DeleteSelected(l, 1), 1);
    EXPECT_EQ(l.Value(1), u"2"_s);

    EXPECT_EQ(PlaylistOps::DeleteSelected(l, -1), std::nullopt);
    EXPECT_EQ(PlaylistOps::DeleteSelected(l, 4), std::nullopt);
    EXPECT_EQ(l.Count(), 4);

    clsArrayList one = listOf({u"x"_s});
    EXPECT_EQ(PlaylistOps::DeleteSelected(one, 0), -1);
    EXPECT_EQ(one.Count(), 0);
    EXPECT_EQ(PlaylistOps::CountLabelText(one.Count()), u"No File"_s);
}

TEST(PlaylistSelection, MoveWithWrapAndUpDown) {
    EXPECT_EQ(PlaylistOps::MoveSelection(0, -1, 5), 4);
    EXPECT_EQ(PlaylistOps::MoveSelection(4, 1, 5), 0);
    EXPECT_EQ(PlaylistOps::MoveSelection(-1, 1, 5), 0);
    EXPECT_EQ(PlaylistOps::MoveSelection(-1, -1, 5), 4);
    EXPECT_EQ(PlaylistOps::MoveSelection(2, 1, 5), 3);
    EXPECT_EQ(PlaylistOps::MoveSelection(0, 1, 0), std::nullopt);

    clsArrayList l = listOf({u"a"_s, u"b"_s, u"c"_s});
    EXPECT_EQ(PlaylistOps::MoveUp(l, 0), std::nullopt);
    EXPECT_EQ(PlaylistOps::MoveDown(l, 2), std::nullopt);
    EXPECT_EQ(PlaylistOps::MoveDown(l, -1), std::nullopt);
    EXPECT_EQ(PlaylistOps::MoveUp(l, -1), std::nullopt);
    EXPECT_EQ(l.items(), QStringList({u"a"_s, u"b"_s, u"c"_s}));
    EXPECT_EQ(PlaylistOps::MoveUp(l, 2), 1);
    EXPECT_EQ(l.items(), QStringList({u"a"_s, u"c"_s, u"b"_s}));
    EXPECT_EQ(PlaylistOps::MoveDown(l, 0), 1);
    EXPECT_EQ(l.items(), QStringList({u"c"_s, u"a"_s, u"b"_s}));

    clsArrayList one = listOf({u"a"_s});
    EXPECT_EQ(PlaylistOps::MoveDown(one, 0), std::nullopt);
}

TEST(PlaylistText, RowsCountsAndQuestionThresholds) {
    EXPECT_EQ(PlaylistOps::RowText(u"/Music/01 Song.mp3"_s), u"01 Song"_s);
    EXPECT_EQ(PlaylistOps::CountLabelText(0), u"No File"_s);
    EXPECT_EQ(PlaylistOps::CountLabelText(12), u"\u00D712"_s);
    EXPECT_FALSE(PlaylistOps::TrackSortNeedsQuestion(100));
    EXPECT_TRUE(PlaylistOps::TrackSortNeedsQuestion(101));
    EXPECT_FALSE(PlaylistOps::NameSortNeedsQuestion(1000));
    EXPECT_TRUE(PlaylistOps::NameSortNeedsQuestion(1001));
    EXPECT_FALSE(PlaylistOps::DateSortNeedsQuestion(1000));
    EXPECT_TRUE(PlaylistOps::DateSortNeedsQuestion(1001));
}

namespace {
// A file that holds only an ID3v2.3 tag with a TRCK frame.
QByteArray id3WithTrack(const QByteArray& track) {
    QByteArray frame = "TRCK";
    const QByteArray body = QByteArray(1, '\0') + track;
    for (int shift : {24, 16, 8, 0})
        frame += char((body.size() >> shift) & 0xFF);
    frame += QByteArray(2, '\0') + body;
    const int size = int(frame.size()) + 16;  // with padding
    QByteArray tag = "ID3\x03";
    tag += QByteArray(2, '\0');
    for (int shift : {21, 14, 7, 0})
        tag += char((size >> shift) & 0x7F);
    return tag + frame + QByteArray(16, '\0') + QByteArray(64, '\xAA');
}
}  // namespace

TEST(SortByTrack, DefaultReadsTheTagsOfTheFiles) {
    TempDir dir;
    const QString ten = dir.write(u"a.mp3"_s, id3WithTrack("10"));
    const QString two = dir.write(u"b.mp3"_s, id3WithTrack("2/12"));
    const QString none = dir.write(u"c.mp3"_s, QByteArray(200, '\x11'));
    const QString missing = dir.file(u"gone.mp3"_s);
    clsArrayList l = listOf({ten, two, none, missing});
    PlaylistOps::SortByTrack(l, 0);
    EXPECT_EQ(l.items(), QStringList({none, missing, two, ten}));
}

// Artist, album, track and title, each by its reading, else its text, else the file name, in
// Japanese order with kana type and width left out.
TEST(SortByReading, ReadingsThenTextsThenFileNames) {
    using F = PlaylistOps::ReadingFields;
    const QHash<QString, F> tags{
        {u"/m/kato.mp3"_s, F{u"加藤"_s, u"かとう"_s, u"A"_s, {}, u"1"_s, u"t"_s, {}}},
        {u"/m/otsuki2.mp3"_s, F{u"大槻"_s, u"オオツキ"_s, u"B"_s, u"い"_s, u"2"_s, u"t"_s, {}}},
        {u"/m/otsuki1.mp3"_s, F{u"大槻"_s, u"ｵｵﾂｷ"_s, u"B"_s, u"い"_s, u"10"_s, u"t"_s, {}}},
        {u"/m/otsukiA.mp3"_s, F{u"大槻"_s, u"おおつき"_s, u"Z"_s, u"あ"_s, u"9"_s, u"t"_s, {}}},
        {u"/m/titles2.mp3"_s, F{u"X"_s, {}, {}, {}, {}, u"春"_s, u"はる"_s}},
        {u"/m/titles1.mp3"_s, F{u"X"_s, {}, {}, {}, {}, u"夏"_s, u"なつ"_s}},
        // Kanji without readings: JIS order puts 加 (か) before 大 (だい).
        {u"/n/ootsuki.mp3"_s, F{u"大槻"_s, {}, {}, {}, {}, {}, {}}},
        {u"/n/katou.mp3"_s, F{u"加藤"_s, {}, {}, {}, {}, {}, {}}},
        {u"/n/blank.mp3"_s, F{u" "_s, {}, {}, {}, {}, {}, {}}},
    };
    const auto lookup = [&](const QString& p) { return tags.value(p); };
    const struct {
        int first;
        QStringList input, sorted;
    } cases[] = {
        {0,
         {u"/m/kato.mp3"_s, u"/m/otsukiA.mp3"_s, u"/m/otsuki1.mp3"_s, u"/m/otsuki2.mp3"_s},
         {u"/m/otsukiA.mp3"_s, u"/m/otsuki2.mp3"_s, u"/m/otsuki1.mp3"_s, u"/m/kato.mp3"_s}},
        {0, {u"/m/titles2.mp3"_s, u"/m/titles1.mp3"_s}, {u"/m/titles1.mp3"_s, u"/m/titles2.mp3"_s}},
        {0, {u"/n/ootsuki.mp3"_s, u"/n/katou.mp3"_s}, {u"/n/katou.mp3"_s, u"/n/ootsuki.mp3"_s}},
        // No tag: the file name stands for every text ("c" after "blank", before "X").
        {0,
         {u"/m/titles1.mp3"_s, u"/z/c.mp3"_s, u"/n/blank.mp3"_s, u"/z/Y.mp3"_s},
         {u"/n/blank.mp3"_s, u"/z/c.mp3"_s, u"/m/titles1.mp3"_s, u"/z/Y.mp3"_s}},
        {1,
         {u"/m/kato.mp3"_s, u"/m/kato.mp3"_s, u"/m/otsuki1.mp3"_s},
         {u"/m/kato.mp3"_s, u"/m/otsuki1.mp3"_s, u"/m/kato.mp3"_s}},
    };
    for (const auto& c : cases) {
        clsArrayList l = listOf(c.input);
        PlaylistOps::SortByReading(l, c.first, lookup);
        EXPECT_EQ(l.items(), c.sorted) << c.input.join(u' ').toStdString();
    }
    // Files without tags come out as the sort by name gives them.
    const QStringList names{u"/a/か.mp3"_s, u"/b/B.mp3"_s, u"/c/あ.mp3"_s, u"/d/a.mp3"_s};
    const QCollator japanese{QLocale(QLocale::Japanese, QLocale::Japan)};
    clsArrayList byReading = listOf(names), byName = listOf(names);
    PlaylistOps::SortByReading(byReading, 0, lookup, japanese);
    PlaylistOps::SortByFileName(byName, 0, japanese);
    EXPECT_EQ(byReading.items(), byName.items());
}

TEST(SortByReading, DefaultReadsTheReadingsOfAFolderOfTaggedFiles) {
    TempDir dir;
    const auto song = [&](const QString& name, const QString& artist, const QString& reading) {
        using namespace Id3TagBuilder;
        return dir.write(name, Tag(3, Frame(3, "TPE1", TextBody(3, artist)) +
                                          Frame(3, "TSOP", TextBody(1, reading))) +
                                   AudioBytes(400));
    };
    const QString kato = song(u"1.mp3"_s, u"加藤"_s, u"かとう"_s);
    const QString otsuki = song(u"2.mp3"_s, u"大槻"_s, u"おおつき"_s);
    clsArrayList l = listOf({kato, otsuki});
    EXPECT_TRUE(PlaylistOps::ReadingSortNeedsQuestion(101) &&
                !PlaylistOps::ReadingSortNeedsQuestion(100));
    PlaylistOps::SortByReading(l, 0);
    EXPECT_EQ(l.items(), QStringList({otsuki, kato}));
}
