#pragma once

#include <QString>
#include <QStringView>

// Text as a Japanese reader compares it: letter case, character width and kana type make no
// difference, so "ＡＢＣ" is "abc", "ｶﾞ" is "ガ" and "ﾐｸ", "みく" and "ミク" are alike. Each
// character of a text gets a key of one to three code points, made in three steps:
// - width: the full-width and half-width forms become their usual ones (as NFKC takes them,
//   nothing else of NFKC), and a kana followed by a voiced or semi-voiced mark in any of its
//   forms (ﾞ, ゛, U+3099; ﾟ, ゜, U+309A) becomes one character, "ｶﾞ" and "か゛" as "が";
// - kana: katakana ァ-ヶ and ヽヾ become hiragana ぁ-ゖ and ゝゞ; ヷヸヹヺ, which have no
//   hiragana of their own, become わゐゑを with U+3099; "ー" stays;
// - case: full case folding, "ß" as "ss".
// Texts are alike when their keys, strung together, are.
//
// Any thread may call it: the tables are built once, on first use, and only read after.
class JapaneseFold {
public:
    // One character of a text as compared.
    struct Char {
        char32_t key[3];
        char32_t source;  // the first code point read
        qint8 keyLength;
        qint8 units;  // UTF-16 units read: 2 for a surrogate pair or a kana and its mark
    };

    // The character that starts at text[i], 0 <= i < text.size(). A lone surrogate is a
    // character of its own.
    static Char Read(QStringView text, qsizetype i) {
        Char c;
        ReadSome(text, i, &c, 1);
        return c;
    }
    // Reads up to `capacity` characters from text[i] on into `out`, moving i past them; returns
    // how many. Quicker than Read for a whole text.
    static int ReadSome(QStringView text, qsizetype& i, Char* out, int capacity);

    // The keys of the text's characters strung together.
    static QString Key(QStringView text);
    // Whether two texts are alike, without making their keys.
    static bool Equal(QStringView a, QStringView b);
};
