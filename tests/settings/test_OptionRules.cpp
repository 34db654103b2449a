#include "settings/OptionRules.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace OptionRules;
using namespace std::chrono_literals;

TEST(OptionRules, BlankTimeShownInSecondsAndReadAsWholeSeconds) {
    EXPECT_EQ(BlankText(3000ms), u"3"_s);
    EXPECT_EQ(BlankText(1500ms), u"1.5"_s);
    const struct {
        QString text;
        std::optional<std::chrono::milliseconds> stored;
    } cases[] = {
        {u"3"_s, 3000ms},         {u"2.7"_s, 2000ms},      {u" 0 "_s, 0ms},
        {u"32.9"_s, 32000ms},     {u"33"_s, std::nullopt}, {u"-1"_s, std::nullopt},
        {u"abc"_s, std::nullopt}, {u""_s, std::nullopt},   {u"1e9"_s, std::nullopt},
        {u"nan"_s, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BlankTime(c.text), c.stored) << c.text.toStdString();
}

TEST(OptionRules, ArrowKeysStepTheWholeNumberWithinZeroToTen) {
    const struct {
        QString text;
        bool up;
        QString result;
    } cases[] = {
        {u"2"_s, true, u"3"_s},  {u"9"_s, true, u"10"_s},   {u"10"_s, true, u"10"_s},
        {u"1"_s, false, u"0"_s}, {u"0"_s, false, u"0"_s},   {u"2.7"_s, true, u"3"_s},
        {u"x"_s, true, u"1"_s},  {u"25"_s, false, u"24"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BlankStep(c.text, c.up), c.result) << c.text.toStdString() << c.up;
}

TEST(OptionRules, FolderChoiceActionAddsPlayAndShuffleOnlyToAnAction) {
    EXPECT_EQ(SetDirAction(0, true, true), 0);
    EXPECT_EQ(SetDirAction(1, true, false), 5);
    EXPECT_EQ(SetDirAction(2, false, true), 10);
    EXPECT_EQ(SetDirAction(2, true, true), 14);
}

TEST(OptionRules, LyricFolderLimitCountsEveryFileOnceAndStopsAtTheLimit) {
    TempDir d;
    auto sized = [&](const QString& name, qint64 size) {
        QFile f(d.write(name, {}));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.resize(size));  // sparse: no disk used
    };
    sized(u"lyrics/a.txt"_s, 150'000'000);
    sized(u"lyrics/sub/b.jpg"_s, 50'000'000);
    ASSERT_TRUE(QFile::link(d.file(u"lyrics"_s), d.file(u"lyrics/sub/loop"_s)));
    ASSERT_TRUE(QFile::link(d.file(u"lyrics/a.txt"_s), d.file(u"lyrics/again.txt"_s)));
    EXPECT_FALSE(FolderLargerThan(d.file(u"lyrics"_s)));  // exactly 200,000,000
    sized(u"lyrics/sub/c.txt"_s, 1);
    EXPECT_TRUE(FolderLargerThan(d.file(u"lyrics"_s)));
    EXPECT_FALSE(FolderLargerThan(d.file(u"missing"_s)));
    EXPECT_FALSE(FolderLargerThan(QString()));
}
