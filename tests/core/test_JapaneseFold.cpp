#include "core/JapaneseFold.h"

#include <gtest/gtest.h>

namespace {

TEST(JapaneseFold, IgnoresCaseWidthAndKanaTypeOnly) {
    const struct {
        const char16_t* a;
        const char16_t* b;
        bool alike;
    } cases[] = {
        {u"ﾐｸ", u"みく", true},
        {u"ミク", u"みく", true},
        {u"ＭＩＫＵ", u"miku", true},
        {u"ｶﾞ", u"ガ", true},
        {u"ﾊﾟ", u"ぱ", true},
        {u"か゛", u"ｶﾞ", true},      // the spacing mark
        {u"か\u3099", u"が", true},  // the combining mark, as decomposed names carry it
        {u"ﾜﾞ", u"ヷ", true},        // no hiragana of its own
        {u"ｳﾞｨ", u"ゔぃ", true},
        {u"ｰ｡", u"ー。", true},
        {u"\u3000１", u" 1", true},  // ideographic space, full-width digit
        {u"STRASSE", u"straße", true},
        {u"ハ", u"バ", false},
        {u"ﾊ", u"パ", false},
        {u"ｶﾞ", u"か", false},
        {u"ﾐｸ", u"ミクの", false},
        {u"ヶ", u"け", false},
        {u"ﾞ", u"", false},
    };
    for (const auto& c : cases) {
        const QStringView a(c.a), b(c.b);
        EXPECT_EQ(JapaneseFold::Equal(a, b), c.alike)
            << a.toString().toStdString() << " / " << b.toString().toStdString();
        EXPECT_EQ(JapaneseFold::Key(a) == JapaneseFold::Key(b), c.alike)
            << a.toString().toStdString() << " / " << b.toString().toStdString();
    }
}

}  // namespace
