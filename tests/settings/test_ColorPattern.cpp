#include "settings/ColorPattern.h"
#include "settings/SchemeColor.h"
#include "settings/clsOption.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
ColorPattern::Colors defaults() {
    const clsOption o;
    ColorPattern::Colors c{};
    for (int i = 0; i < ColorPattern::kColorCount; ++i)
        c[i] = o.PlayerColor(static_cast<int16_t>(i));
    return c;
}
}  // namespace

TEST(ColorPattern, DefaultSchemeIsWrittenAsTheDocumentedLine) {
    TempDir d;
    ASSERT_TRUE(ColorPattern::WriteColorPattern(d.file(u"default.col"_s), defaults()));
    EXPECT_EQ(d.read(u"default.col"_s),
              "-2147483633,-2147483633,1315860,1315860,16777215,1315860,16777215,1315860,"
              "16777215,16777215,16777215,16777215,16770720,1315860,8421631,1315860,16777215,"
              "1315860,16777215,16762880,16744448\r\n");
}

TEST(ColorPattern, ReadTakesTheFirst21FieldsOfAWholeLineOrNothing) {
    TempDir d;
    const QByteArray twentyOne = "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,-20";
    const struct {
        const char* name;
        QByteArray bytes;
        bool ok;
    } cases[] = {
        {"exact", twentyOne + "\r\n", true},
        {"extra fields and lines", twentyOne + ",99,x\n5,5,5\r\n", true},
        {"no line end", twentyOne, true},
        {"twenty", "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19\r\n" + twentyOne, false},
        {"a word", "0,1,2,3,4,5,6,7,8,9,10,eleven,12,13,14,15,16,17,18,19,20\r\n", false},
        {"too large", "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,2147483648", false},
        {"empty", "", false},
    };
    for (const auto& c : cases) {
        ColorPattern::Colors colors;
        colors.fill(7);
        const QString path = d.write(QString::fromLatin1(c.name) + u".col"_s, c.bytes);
        EXPECT_EQ(ColorPattern::ReadColorPattern(path, colors), c.ok) << c.name;
        EXPECT_EQ(colors[11], c.ok ? 11 : 7) << c.name;
        EXPECT_EQ(colors[20], c.ok ? -20 : 7) << c.name;
    }
    ColorPattern::Colors colors = defaults();
    EXPECT_FALSE(ColorPattern::ReadColorPattern(d.file(u"missing.col"_s), colors));
    EXPECT_EQ(colors, defaults());
}

TEST(ColorPattern, ListsOnlyLowerCaseColFilesByName) {
    TempDir d;
    for (const char* name : {"color/MyColors.col", "color/X.COL", "color/b.Col", "color/a.col.txt",
                             "color/sub/deep.col", "color/a.col"})
        d.write(QString::fromLatin1(name), "1");
    ColorPattern p(d.path());
    p.LoadColorPatternNames();
    QStringList names;
    for (const QString& path : p.ColorPatternFiles.items())
        names << ColorPattern::NameOf(path);
    EXPECT_EQ(names, QStringList({u"a"_s, u"MyColors"_s}));
}

TEST(ColorPattern, NamesThatAreNoFileOfTheFolderAreRefused) {
    const ColorPattern p(u"/app"_s);
    EXPECT_EQ(p.PathForName(u"Night"_s), u"/app/color/Night.col"_s);
    for (const QString& bad : {u""_s, u"."_s, u".."_s, u"a/b"_s, u"../x"_s, u"a\0b"_s})
        EXPECT_EQ(p.PathForName(bad), QString()) << bad.toStdString();
}

TEST(ColorPattern, DeletingKeepsASensibleSelection) {
    TempDir d;
    for (const char* name : {"color/a.col", "color/b.col", "color/c.col"})
        d.write(QString::fromLatin1(name), "1");
    ColorPattern p(d.path());
    p.LoadColorPatternNames();
    ASSERT_TRUE(p.DeleteEntry(2));
    EXPECT_FALSE(QFile::exists(d.file(u"color/c.col"_s)));
    EXPECT_EQ(ColorPattern::SelectionAfterDelete(2, p.ColorPatternFiles.Count()), 1);
    ASSERT_TRUE(p.DeleteEntry(0));
    EXPECT_EQ(ColorPattern::NameOf(p.ColorPatternFiles.Value(0)), u"b"_s);
    EXPECT_EQ(ColorPattern::SelectionAfterDelete(0, p.ColorPatternFiles.Count()), 0);
    EXPECT_EQ(ColorPattern::SelectionAfterDelete(0, 0), -1);
    EXPECT_FALSE(p.DeleteEntry(1));
}

// A system colour from the older program's files takes the palette role it names, each role
// told apart here by a colour of its own.
TEST(SchemeColor, SystemColoursTakeTheRoleTheyName) {
    const struct {
        int32_t stored;
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
    } cases[] = {{int32_t(0x80000005), QPalette::Active, QPalette::Base},
                 {int32_t(0x80000008), QPalette::Active, QPalette::Text},
                 {int32_t(0x8000000F), QPalette::Active, QPalette::Button},
                 {int32_t(0x80000012), QPalette::Active, QPalette::ButtonText},
                 {int32_t(0x8000000D), QPalette::Active, QPalette::Highlight},
                 {int32_t(0x8000000E), QPalette::Active, QPalette::HighlightedText},
                 {int32_t(0x80000010), QPalette::Active, QPalette::Dark},
                 {int32_t(0x80000011), QPalette::Disabled, QPalette::Text},
                 {int32_t(0x80000018), QPalette::Active, QPalette::ToolTipBase},
                 {int32_t(0x80000017), QPalette::Active, QPalette::ToolTipText},
                 {int32_t(0x80000004), QPalette::Active, QPalette::Window},
                 {int32_t(0x80000007), QPalette::Active, QPalette::WindowText},
                 {int32_t(0x80000001), QPalette::Active, QPalette::Window},
                 {int32_t(0x8000000C), QPalette::Active, QPalette::Window}};
    QPalette palette;
    int n = 0;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (int role = 0; role < QPalette::NColorRoles; ++role)
            palette.setColor(group, QPalette::ColorRole(role), QColor::fromRgb(0x102030 + 7 * ++n));
    for (const auto& c : cases)
        EXPECT_EQ(SchemeColor::ToQColor(c.stored, palette), palette.color(c.group, c.role))
            << std::hex << c.stored;
    EXPECT_EQ(SchemeColor::ToQColor(1315860, palette), QColor(20, 20, 20));
    // A chosen colour is stored red in the low byte, as the scheme files hold it.
    EXPECT_EQ(SchemeColor::FromQColor(QColor(10, 200, 30)), 10 | (200 << 8) | (30 << 16));
    EXPECT_EQ(SchemeColor::ToQColor(SchemeColor::FromQColor(QColor(1, 2, 3)), palette),
              QColor(1, 2, 3));
}
