#pragma once

#include <QString>
#include <QStringView>
#include <vector>

// A wildcard pattern as the search and the lyric lookup type it: "*" any run of characters,
// "?" one character, "#" one digit (any script's digits, full-width ones included), "[list]"
// one character of the list, "[!list]" one character not in it, "a-z" inside a list a range.
// Any other character stands for itself. "[]" stands for nothing; "-" first or last in a list
// and "]" outside one are plain characters.
//
// Letter case is ignored with full case folding, so "STRASSE" matches "straße" and "ＡＢＣ"
// matches "ａｂｃ"; "?" and lists still take one character of the text as written.
//
// A pattern with an unclosed "[" or a range running backwards ("[z-a]") is not valid and
// matches nothing. Matching walks the text once, keeping the set of pattern positions reached,
// so its cost is the text's length times the pattern's and no input makes it recurse or
// backtrack.
class WildcardMatcher {
public:
    explicit WildcardMatcher(QStringView pattern);

    bool valid() const { return valid_; }
    bool matches(QStringView text) const;

private:
    enum class Kind : char { Literal, Any, Digit, Set, Star };
    struct Token {
        Kind kind;
        bool negated = false;
        char32_t ch = 0;     // Literal: one code point of the folded pattern
        int firstRange = 0;  // Set: ranges_[firstRange, firstRange + rangeCount)
        int rangeCount = 0;
    };
    struct Range {
        char32_t low, high;
    };

    bool inSet(const Token& token, char32_t c) const;

    std::vector<Token> tokens_;
    std::vector<Range> ranges_;
    bool valid_ = true;
};
