#include "core/WildcardMatcher.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char16_t* pattern;
    const char16_t* text;
    bool matches;
};

const Case kCases[] = {
    {u"*song*", u"02 Song", true},
    {u"*song*", u"01 Intro", false},
    {u"02*", u"02 Song", true},
    {u"02*", u"102 Song", false},
    {u"*", u"", true},
    {u"", u"", true},
    {u"", u"a", false},
    {u"a*b*c", u"aXbYbZc", true},
    {u"a*b*c", u"aXbYcZ", false},
    {u"*0?*", u"a01", true},
    {u"*0?*", u"a0", false},
    {u"?", u"\U0001F3B5", true},  // one character, two UTF-16 units
    {u"#1", u"21", true},
    {u"#1", u"x1", false},
    {u"#", u"\uFF17", true},  // full-width digit
    {u"[abc]x", u"Bx", true},
    {u"[!abc]x", u"bx", false},
    {u"[!abc]x", u"dx", true},
    {u"[a-c]", u"B", true},
    {u"[A-C]", u"d", false},
    {u"[X-c]", u"B", true},  // a range as typed, between the cases, takes either case
    {u"[X-c]", u"x", true},
    {u"[X-c]", u"W", false},
    {u"[\uFF41-\uFF5A]", u"\uFF31", true},  // full-width a-z takes full-width Q
    {u"[-a]", u"-", true},
    {u"[a-]", u"-", true},
    {u"[]a", u"a", true},  // an empty list stands for nothing
    {u"[!]", u"z", true},
    {u"]", u"]", true},
    {u"*[*]*", u"a*b", true},
    {u"*[*]*", u"ab", false},
    {u"\uFF21\uFF22", u"\uFF41\uFF42", true},  // full-width letters ignore case
    {u"STRASSE", u"stra\u00DFe", true},        // full case folding
    {u"stra\u00DFe", u"STRASSE", true},
    {u"\u03A3*", u"\u03C2", true},  // final sigma
    {u"[", u"[", false},            // unclosed list: never matches
    {u"*[ab", u"[ab", false},
    {u"[z-a]", u"m", false},      // backward range
    {u"ミク*", u"ﾐｸの歌", true},  // kana type and width ignored
    {u"*みく*", u"ミクの歌", true},
    {u"[ア-オ]", u"あ", true},  // a range compares folded characters too
    {u"[ア-オ]", u"ｲ", true},
    {u"[ア-オ]", u"か", false},
    {u"[!あ-お]", u"ｴ", false},
    {u"[ｶﾞ]", u"ガ", true},  // a kana and its mark are one character
    {u"[ｶﾞ]", u"ｶ", false},
    {u"[ｱ-ｶﾞ]", u"ｷ", false},
    {u"?", u"ｶﾞ", true},
    {u"ｶ*", u"ｶﾞ", false},
    {u"*は*", u"ﾊﾟﾊﾞ", false},
};

TEST(WildcardMatcher, MatchesItsTable) {
    for (const Case& c : kCases) {
        const QString pattern = QString::fromUtf16(c.pattern);
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(WildcardMatcher(pattern).matches(text), c.matches)
            << pattern.toStdString() << " / " << text.toStdString();
    }
}

TEST(WildcardMatcher, AnUnclosedListOrBackwardRangeIsInvalid) {
    for (const char16_t* bad : {u"[", u"ab[!c", u"*[", u"[b-a]"})
        EXPECT_FALSE(WildcardMatcher(QString::fromUtf16(bad)).valid());
    for (const char16_t* good : {u"", u"]", u"[]", u"[!]", u"[a-a]", u"*?#[x]"})
        EXPECT_TRUE(WildcardMatcher(QString::fromUtf16(good)).valid());
}

TEST(WildcardMatcher, ManyStarsAgainstALongTextNeitherRecursesNorBacktracks) {
    const QString text(10000, u'a');
    EXPECT_FALSE(WildcardMatcher(QString(QString(100, u'*') + u'b')).matches(text));
    EXPECT_TRUE(WildcardMatcher(QString(QString(100, u'*') + u'a')).matches(text));
    QString alternating;
    for (int i = 0; i < 100; ++i)
        alternating += QStringLiteral("*a");
    EXPECT_FALSE(WildcardMatcher(QString(alternating + u'b')).matches(text));
}

}  // namespace
