#include "settings/clsOption.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

#include <QStringEncoder>
#include <functional>
#include <gtest/gtest.h>

namespace {
// The first line as versions before the choice for unmarked tag text wrote it.
const QByteArray kDefaultLine1 =
    "600,600,600,450,0,1,1,1,0,0,1,99,99,99,99,0,0,255,100,100,0,0,-1,0,0,0,0,0,0,300,300,0,0,0,"
    "100,100,1,0,0";
const QByteArray kDefaultColors =
    "-2147483633,-2147483633,1315860,1315860,16777215,1315860,16777215,1315860,16777215,16777215,"
    "16777215,16777215,16770720,1315860,8421631,1315860,16777215,1315860,16777215,16762880,"
    "16744448";
}  // namespace

TEST(OptionFile, DefaultsAreWrittenInTheTenLineFormat) {
    TempDir d;
    clsOption o;
    ASSERT_TRUE(o.WriteOption(d.file(u"ZAopt.inf"_qs)));
    EXPECT_EQ(d.read(u"ZAopt.inf"_qs),
              kDefaultLine1 + ",0,511,0,0,1,0,0,0\r\n" + kDefaultColors +
                  "\r\n\r\n\r\n\r\n\r\n\r\n1Folder\r\n2Folder\r\n3Folder\r\n");
}

TEST(OptionFile, RoundTripRestoresEverySetting) {
    TempDir d;
    clsOption o;
    QByteArrayList distinct;
    for (int i = 0; i < clsOption::kNumericCount; ++i)
        distinct << QByteArray::number(i * 7 - 20);
    ASSERT_TRUE(o.ReadOption(d.write(u"seed.inf"_qs, distinct.join(','))));
    EXPECT_EQ(o.numeric(38), 38 * 7 - 20);
    o.setRepeatMode(2);
    o.setLastPlayIndex(-1);
    o.setFormStatus(1);
    o.setSoftVolumeLeft(40);
    o.setSearchMode(1);
    o.setLastCurrentFolder(QStringLiteral("/home/me/音楽"));
    o.setLyricFolder(u"/lyrics"_qs);
    o.setEntryPath(2, u"/third"_qs);
    o.setEntryPathName(1, u"A, B"_qs);  // commas survive: only lines 1 and 2 are split
    o.setPlayerColor(20, 123456);
    ASSERT_TRUE(o.WriteOption(d.file(u"a.inf"_qs)));

    clsOption back;
    ASSERT_TRUE(back.ReadOption(d.file(u"a.inf"_qs)));
    for (int i = 0; i < clsOption::kNumericCount; ++i)
        EXPECT_EQ(back.numeric(i), o.numeric(i)) << "index " << i;
    for (int16_t i = 0; i < clsOption::kColorCount; ++i)
        EXPECT_EQ(back.PlayerColor(i), o.PlayerColor(i));
    EXPECT_EQ(back.GetSubFolder(), 1);
    EXPECT_EQ(back.LastCurrentFolder(), QStringLiteral("/home/me/音楽"));
    EXPECT_EQ(back.LyricFolder(), u"/lyrics"_qs);
    EXPECT_EQ(back.EntryPath(2), u"/third"_qs);
    EXPECT_EQ(back.EntryPathName(1), u"A, B"_qs);
    EXPECT_EQ(back.EntryPathName(0), u"1Folder"_qs);
}

TEST(OptionFile, UnmarkedTextIsTheLastFieldAndOlderLinesReadAsAuto) {
    TempDir d;
    const struct {
        QByteArray line;
        UnmarkedText read;
    } cases[] = {{kDefaultLine1, UnmarkedText::Auto},
                 {kDefaultLine1 + ",1", UnmarkedText::Japanese},
                 {kDefaultLine1 + ",2", UnmarkedText::Western},
                 {kDefaultLine1 + ",9", UnmarkedText::Auto}};
    for (const auto& c : cases) {
        clsOption o;
        ASSERT_TRUE(o.ReadOption(d.write(u"o.inf"_qs, c.line + "\r\n")));
        EXPECT_EQ(o.UnmarkedText(), c.read) << c.line.right(4).constData();
        ASSERT_TRUE(o.WriteOption(d.file(u"back.inf"_qs)));
        clsOption back;
        ASSERT_TRUE(back.ReadOption(d.file(u"back.inf"_qs)));
        EXPECT_EQ(back.UnmarkedText(), c.read);
    }
}

TEST(OptionFile, LaterFileTypesHaveTheirOwnFieldAndOlderLinesTickNone) {
    TempDir d;
    const struct {
        QByteArray line;
        int32_t types;
    } cases[] = {{{}, 0x1FFFF},  // no settings file: every type
                 {kDefaultLine1, 255},
                 {QByteArray(kDefaultLine1).replace(",255,", ",9,"), 9},
                 {kDefaultLine1 + ",0,0", 255},
                 {kDefaultLine1 + ",0,1", 255 | 256},
                 {QByteArray(kDefaultLine1).replace(",255,", ",16,") + ",0,272", 16 | 272 << 8}};
    for (const auto& c : cases) {
        clsOption o;
        if (!c.line.isEmpty()) {
            ASSERT_TRUE(o.ReadOption(d.write(u"o.inf"_qs, c.line + "\r\n")));
        }
        EXPECT_EQ(o.GetFileType(), c.types) << c.line.right(12).constData();
        ASSERT_TRUE(o.WriteOption(d.file(u"back.inf"_qs)));
        clsOption back;
        ASSERT_TRUE(back.ReadOption(d.file(u"back.inf"_qs)));
        EXPECT_EQ(back.GetFileType(), c.types);
    }
}

TEST(OptionFile, ReplayGainAndResumeAreLastAndOlderLinesReadTheirDefaults) {
    TempDir d;
    const struct {
        QByteArray fields;  // after the file types
        GainMode mode;
        double preampDb;
        bool preventClipping, resume;
        int second;
        uint16_t check;
    } cases[] = {{"", GainMode::AlbumInOrder, 0, true, false, 0, 0},
                 {",2,-35,0,1,125,-4", GainMode::Album, -3.5, false, true, 125, 65532},
                 {",9,999,1,0,-8", GainMode::AlbumInOrder, 15, true, false, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fields.constData());
        clsOption o;
        ASSERT_TRUE(o.ReadOption(d.write(u"o.inf"_qs, kDefaultLine1 + ",0,511" + c.fields)));
        ASSERT_TRUE(o.WriteOption(d.file(u"back.inf"_qs)));
        clsOption back;
        ASSERT_TRUE(back.ReadOption(d.file(u"back.inf"_qs)));
        for (const clsOption* read : {&o, &back}) {
            EXPECT_EQ(read->GainMode(), c.mode);
            EXPECT_DOUBLE_EQ(read->PreampDb(), c.preampDb);
            EXPECT_EQ(read->PreventClipping(), c.preventClipping);
            EXPECT_EQ(read->Resume(), c.resume);
            EXPECT_EQ(read->ResumePosition().count(), c.second);
            EXPECT_EQ(read->ResumeFileCheck(), c.check);
        }
    }
}

TEST(OptionFile, FieldsAreReadAsLeadingNumbers) {
    TempDir d;
    clsOption o;
    o.ReadOption(d.write(u"f.inf"_qs, "12abc,xyz,2.5,3.5,-7, 42\r\n"));
    EXPECT_EQ(o.PositionX(), 12);
    EXPECT_EQ(o.PositionY(), 0);
    EXPECT_EQ(o.FormWidthNormal(), 2);  // halves to even
    EXPECT_EQ(o.FormHeightNormal(), 4);
    EXPECT_EQ(o.OptionTab(), -7);
    EXPECT_EQ(o.PlayNumber(), 42);
    EXPECT_EQ(o.RepeatMode(), 1);  // beyond the given fields: unchanged
}

TEST(OptionFile, DamagedFilesKeepWhatTheyCannotSay) {
    TempDir d;
    // Ten fields only, then a short colour line and nothing else.
    clsOption o;
    o.ReadOption(d.write(u"short.inf"_qs, "1,2,3,4,5,0,2,0,9,1\r\n255,16777215\r\n"));
    EXPECT_EQ(o.TimerShuffleFlg(), 1);
    EXPECT_EQ(o.TimerSaveFlg(), 1);  // index 10: default
    EXPECT_EQ(o.StartHour(), 99);
    EXPECT_EQ(o.PlayerColor(0), 255);
    EXPECT_EQ(o.PlayerColor(2), 1315860);
    EXPECT_EQ(o.EntryPathName(2), u"3Folder"_qs);

    // Too many fields, out-of-range numbers, and a line of junk.
    QByteArray line(kDefaultLine1);
    line.replace(0, 3, "99999");  // PositionX out of 16-bit range: keeps 600
    clsOption p;
    p.ReadOption(d.write(u"wide.inf"_qs, line + ",1,2,3,4,5\r\n99999999999,7\r\n"));
    EXPECT_EQ(p.PositionX(), 600);
    EXPECT_EQ(p.PlayerColor(0), clsOption::kButtonFaceColor);
    EXPECT_EQ(p.PlayerColor(1), 7);

    clsOption q;
    q.ReadOption(d.write(u"junk.inf"_qs, QByteArray("\x00\xff\xfe,,,\r\n\r\n", 9)));
    EXPECT_EQ(q.PositionX(), 0);  // junk and empty fields read as 0
    EXPECT_EQ(q.PositionY(), 0);
    EXPECT_EQ(q.PlayNumber(), 1);  // fields the line does not have keep their values
    EXPECT_FALSE(q.ReadOption(d.file(u"absent.inf"_qs)));
}

TEST(OptionStore, WideSettersClampAndColoursReset) {
    clsOption o;
    o.setLyricFormWidth(100000);
    EXPECT_EQ(o.LyricFormWidth(), 32767);
    o.setLyricFormPositionX(-50000);
    EXPECT_EQ(o.LyricFormPositionX(), -32768);
    o.setPlayerColor(0, 5);
    o.InitializePlayerColor();
    EXPECT_EQ(o.PlayerColor(0), clsOption::kButtonFaceColor);
    EXPECT_THROW(o.setPlayerColor(21, 1), std::out_of_range);
    EXPECT_EQ(o.EntryPathCount(), 3);
    EXPECT_EQ(o.PlayerColorCount(), 21);
}

TEST(OptionFile, Utf16WithItsByteOrderMarkIsRead) {
    TempDir d;
    clsOption written;
    written.setSoftVolumeLeft(40);
    written.setLastCurrentFolder(QStringLiteral("/home/me/音楽"));
    ASSERT_TRUE(written.WriteOption(d.file(u"utf8.inf"_qs)));
    const QString text = QString::fromUtf8(d.read(u"utf8.inf"_qs));
    for (auto encoding : {QStringConverter::Utf16LE, QStringConverter::Utf16BE}) {
        QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
        clsOption o;
        ASSERT_TRUE(o.ReadOption(d.write(u"ZAopt.inf"_qs, encoder(text))));
        for (int i = 0; i < clsOption::kNumericCount; ++i)
            EXPECT_EQ(o.numeric(i), written.numeric(i)) << "index " << i;
        EXPECT_EQ(o.LastCurrentFolder(), QStringLiteral("/home/me/音楽"));
    }
}

TEST(OptionFile, AFullDiskKeepsTheOldSettings) {
    TempDir d;
    const QByteArray old = "1,2,3\r\n";
    const QString path = d.write(u"ZAopt.inf"_qs, old);
    clsOption o;
    o.setLastCurrentFolder(QString(2000, u'x'));  // past the 1 KB limit below
    EXPECT_EQ(RunWithFileSizeLimit(1024, [&] { return o.WriteOption(path) ? 1 : 0; }), 0);
    EXPECT_EQ(d.read(u"ZAopt.inf"_qs), old);
}

TEST(OptionFile, StringSettingsRefuseLineBreaksSoTheFileKeepsItsLines) {
    clsOption o;
    o.setEntryPath(0, u"/first"_qs);
    // Each setter given a value with a line break; the value before it must survive the file.
    const std::vector<std::function<void(const QString&)>> setters = {
        [&](const QString& v) { o.setLastCurrentFolder(v); },
        [&](const QString& v) { o.setLyricFolder(v); },
        [&](const QString& v) { o.setEntryPath(0, v); },
        [&](const QString& v) { o.setEntryPathName(2, v); }};
    for (const QString& broken : {u"/m/a\nb"_qs, u"/m/a\rb"_qs, u"/m/a\r\n"_qs})
        for (const auto& set : setters)
            set(broken);
    TempDir d;
    ASSERT_TRUE(o.WriteOption(d.file(u"o.inf"_qs)));
    clsOption back;
    ASSERT_TRUE(back.ReadOption(d.file(u"o.inf"_qs)));
    EXPECT_EQ(back.LastCurrentFolder(), QString());
    EXPECT_EQ(back.LyricFolder(), QString());
    EXPECT_EQ(back.EntryPath(0), u"/first"_qs);
    EXPECT_EQ(back.EntryPathName(2), u"3Folder"_qs);
    EXPECT_EQ(back.EntryPathName(0), u"1Folder"_qs);  // no line moved up
}

// The program reads the modes and the blank time typed: a number that names no mode reads as
// one song and repeat on, as the next-song rule treats it, and the typed blank time stays
// within what the file can store.
TEST(OptionFile, StoredModesAndBlankTimeReadTyped) {
    const struct {
        int16_t stored;
        PlayCount songs;
        RepeatMode repeat;
    } cases[] = {{0, PlayCount::OneSong, RepeatMode::On},
                 {1, PlayCount::AllSongs, RepeatMode::Off},
                 {2, PlayCount::OneSong, RepeatMode::Random},
                 {5, PlayCount::OneSong, RepeatMode::On},
                 {-1, PlayCount::OneSong, RepeatMode::On}};
    for (const auto& c : cases) {
        clsOption o;
        o.setPlayNumber(c.stored);
        o.setRepeatMode(c.stored);
        EXPECT_EQ(o.SongsToPlay(), c.songs) << c.stored;
        EXPECT_EQ(o.Repeat(), c.repeat) << c.stored;
    }
    clsOption o;
    o.setRepeat(RepeatMode::Random);
    o.setSongsToPlay(PlayCount::OneSong);
    EXPECT_EQ(o.RepeatMode(), 2);
    EXPECT_EQ(o.PlayNumber(), 0);
    for (auto [set, stored] : {std::pair{40000, 32767}, {-5, 0}, {2500, 2500}}) {
        o.setBlankTime(std::chrono::milliseconds(set));
        EXPECT_EQ(o.BlankSec(), stored) << set;
    }
    o.setBlankSec(-7);
    EXPECT_EQ(o.BlankTime(), std::chrono::milliseconds(0));
}
