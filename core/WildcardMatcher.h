#pragma once

#include <QString>
#include <QStringView>
#include <string>
#include <vector>

// A wildcard pattern as the search and the lyric lookup type it: "*" any run of characters,
// "?" one character, "#" one digit (any script's digits, full-width ones included), "[list]"
// one character of the list, "[!list]" one character not in it, "a-z" inside a list a range.
// Any other character stands for itself. "[]" stands for nothing; "-" first or last in a list
// and "]" outside one are plain characters.
//
// Text is compared as JapaneseFold compares it, ignoring letter case, width and kana type:
// "ＡＢＣ" matches "abc", "STRASSE" "straße", "ミク*" "ﾐｸの歌" and "みくの歌". A half-width kana
// with its mark ("ｶﾞ") is one character. A list takes a character when the list holds it as
// typed or folded: "[ア-オ]" takes "ア", "あ" and "ｱ", "[a-c]" takes "B". "?" and lists take
// one character of the text, "ß" as well as "x".
//
// A pattern with an unclosed "[" or a range running backwards ("[z-a]") is not valid and
// matches nothing. Matching walks the text once, keeping the set of pattern positions reached,
// so its cost is the text's length times the pattern's and no input makes it recurse or
// backtrack; a pattern of plain characters with "*" only at its ends is matched as a string.
//
// Any thread may call it; one matcher may be used by several threads at once.
class WildcardMatcher {
public:
    explicit WildcardMatcher(QStringView pattern);

    bool valid() const { return valid_; }
    bool matches(QStringView text) const;

private:
    enum class Kind : char { Literal, Any, Digit, Set, Star };
    // Patterns that are plain characters but for a "*" at either end.
    enum class Shape : char { General, Whole, Prefix, Suffix, Inside };
    struct Token {
        Kind kind;
        bool negated = false;
        char32_t ch = 0;     // Literal: one code point of the folded pattern
        int firstRange = 0;  // Set: ranges_[firstRange, firstRange + rangeCount)
        int rangeCount = 0;
    };
    struct Range {
        char32_t low, high;        // as typed
        char32_t keyLow, keyHigh;  // folded; 0 when an end folds to more than one code point
    };

    bool inSet(const Token& token, char32_t source, char32_t key) const;
    bool matchesPlain(QStringView text) const;
    void invalidate();

    std::vector<Token> tokens_;
    std::vector<Range> ranges_;
    Shape shape_ = Shape::General;
    std::u32string plain_;     // the folded characters of a plain pattern
    std::u32string required_;  // the longest run of plain characters of any pattern
    bool valid_ = true;
};
