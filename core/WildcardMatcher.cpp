#include "core/WildcardMatcher.h"

#include "core/JapaneseFold.h"

#include <QChar>
#include <QVarLengthArray>
#include <algorithm>
#include <bit>
#include <string_view>
#include <utility>

namespace {

constexpr char32_t kNone = char32_t(-1);
constexpr int kChunk = 64;  // characters read at a time
constexpr size_t npos = std::u32string_view::npos;

// A kana read together with its mark: as typed, it is no one code point.
char32_t sourceOf(const JapaneseFold::Char& c) {
    return c.units == 2 && !QChar::requiresSurrogates(c.source) ? kNone : c.source;
}

char32_t singleKey(const JapaneseFold::Char& c) {
    return c.keyLength == 1 ? c.key[0] : kNone;
}

// The key of a text strung together, up to `limit` code points of it or a little more, and
// for each code point of it whether a character's key starts there (and true for the end).
class TextKey {
public:
    TextKey(QStringView text, size_t limit) {
        const qsizetype most = 3 * text.size();
        key_.resize(most);
        starts_.resize(most + 1);
        char32_t* key = key_.data();
        bool* starts = starts_.data();
        size_t n = 0;
        JapaneseFold::Char chars[kChunk];
        for (qsizetype i = 0; i < text.size() && n < limit;) {
            const int read =
                JapaneseFold::ReadSome(text, i, chars, int(std::min<size_t>(limit - n, kChunk)));
            for (int j = 0; j < read; ++j) {
                for (int k = 0; k < chars[j].keyLength; ++k) {
                    key[n] = chars[j].key[k];
                    starts[n++] = k == 0;
                }
            }
        }
        starts[n] = true;
        size_ = n;
    }

    std::u32string_view view() const { return {key_.data(), size_}; }
    bool startsAt(size_t at) const { return starts_[qsizetype(at)]; }

private:
    QVarLengthArray<char32_t, 256> key_;
    QVarLengthArray<bool, 257> starts_;
    size_t size_ = 0;
};

}  // namespace

void WildcardMatcher::invalidate() {
    valid_ = false;
    tokens_.clear();
    ranges_.clear();
}

WildcardMatcher::WildcardMatcher(QStringView pattern) {
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = pattern[i].unicode();
        if (c == u'*') {
            if (tokens_.empty() || tokens_.back().kind != Kind::Star)
                tokens_.push_back({Kind::Star});
        } else if (c == u'?') {
            tokens_.push_back({Kind::Any});
        } else if (c == u'#') {
            tokens_.push_back({Kind::Digit});
        } else if (c == u'[') {
            qsizetype k = i + 1;
            const bool negated = k < n && pattern[k] == u'!';
            if (negated)
                ++k;
            const qsizetype close = pattern.indexOf(u']', k);
            if (close < 0) {
                invalidate();
                return;
            }
            Token token{Kind::Set, negated};
            token.firstRange = int(ranges_.size());
            while (k < close) {
                const JapaneseFold::Char low = JapaneseFold::Read(pattern, k);
                const qsizetype dash = k + low.units;
                // "-" makes a range only between two characters of the list.
                if (dash + 1 < close && pattern[dash] == u'-') {
                    const JapaneseFold::Char high = JapaneseFold::Read(pattern, dash + 1);
                    if (low.source > high.source) {
                        invalidate();
                        return;
                    }
                    // A kana with its mark at either end leaves the range to its keys.
                    const char32_t rawHigh = sourceOf(high);
                    ranges_.push_back({rawHigh == kNone ? kNone : sourceOf(low), rawHigh,
                                       singleKey(low), singleKey(high)});
                    k = dash + 1 + high.units;
                } else {
                    ranges_.push_back(
                        {sourceOf(low), sourceOf(low), singleKey(low), singleKey(low)});
                    k = dash;
                }
            }
            token.rangeCount = int(ranges_.size()) - token.firstRange;
            if (token.rangeCount > 0 || negated)
                tokens_.push_back(token);
            i = close;
        } else {
            const JapaneseFold::Char folded = JapaneseFold::Read(pattern, i);
            for (int k = 0; k < folded.keyLength; ++k) {
                Token token{Kind::Literal};
                token.ch = folded.key[k];
                tokens_.push_back(token);
            }
            i += folded.units - 1;
        }
    }

    // Plain characters between a "*" at either end, or none, are looked for as a string.
    const size_t m = tokens_.size();
    const bool starFirst = m > 0 && tokens_.front().kind == Kind::Star;
    const bool starLast = m > 0 && tokens_.back().kind == Kind::Star;
    // The longest run of plain characters: a text whose key lacks it cannot match.
    for (size_t s = 0, run = 0; s < m; ++s) {
        run = tokens_[s].kind == Kind::Literal ? run + 1 : 0;
        if (run > required_.size()) {
            required_.clear();
            for (size_t r = s + 1 - run; r <= s; ++r)
                required_.push_back(tokens_[r].ch);
        }
    }
    for (size_t s = starFirst ? 1 : 0; s < m - (starLast && m > 1 ? 1 : 0); ++s) {
        if (tokens_[s].kind != Kind::Literal)
            return;
        plain_.push_back(tokens_[s].ch);
    }
    shape_ = starFirst && starLast ? Shape::Inside
             : starFirst           ? Shape::Suffix
             : starLast            ? Shape::Prefix
                                   : Shape::Whole;
}

bool WildcardMatcher::inSet(const Token& token, char32_t source, char32_t key) const {
    // A letter lies in a range as typed in either of its cases, as "[X-c]" holds "B" and "x".
    const char32_t upper = source == kNone ? kNone : QChar::toUpper(source);
    for (int r = token.firstRange; r < token.firstRange + token.rangeCount; ++r) {
        const Range& range = ranges_[size_t(r)];
        for (const char32_t c : {source, key, upper})
            if (c != kNone && c >= range.low && c <= range.high)
                return true;
        if (key != kNone && range.keyLow != kNone && range.keyHigh != kNone &&
            key >= range.keyLow && key <= range.keyHigh)
            return true;
    }
    return false;
}

bool WildcardMatcher::matchesPlain(QStringView text) const {
    // The pattern's characters must take whole characters of the text, as in matches().
    const size_t length = plain_.size();
    // A prefix needs no more of the text than its own length.
    const TextKey key(text, shape_ == Shape::Prefix ? length : size_t(-1));
    const std::u32string_view folded = key.view();
    switch (shape_) {
    case Shape::Whole:
        return folded == plain_;
    case Shape::Prefix:
        return folded.size() >= length && key.startsAt(length) &&
               folded.substr(0, length) == plain_;
    case Shape::Suffix:
        return folded.size() >= length && key.startsAt(folded.size() - length) &&
               folded.substr(folded.size() - length) == plain_;
    case Shape::Inside:
        for (size_t at = folded.find(plain_); at != npos; at = folded.find(plain_, at + 1)) {
            if (key.startsAt(at) && key.startsAt(at + length))
                return true;
        }
        return false;
    case Shape::General:
        break;
    }
    return false;
}

bool WildcardMatcher::matches(QStringView text) const {
    if (!valid_)
        return false;
    if (shape_ != Shape::General)
        return matchesPlain(text);
    // A pattern anchored at the start fails soon enough by itself.
    if (!required_.empty() && tokens_.front().kind == Kind::Star &&
        TextKey(text, size_t(-1)).view().find(required_) == npos)
        return false;
    // The pattern positions reached so far, one bit each; a "*" reached reaches the position
    // after it too (no two stand together).
    const size_t m = tokens_.size();
    const qsizetype words = qsizetype(m / 64 + 1);
    QVarLengthArray<uint64_t, 4> state(3 * words, 0);
    uint64_t* reached = state.data();
    uint64_t* next = reached + words;
    uint64_t* stars = next + words;
    for (size_t s = 0; s < m; ++s)
        if (tokens_[s].kind == Kind::Star)
            stars[s / 64] |= uint64_t(1) << (s % 64);
    const auto closeOverStars = [&](uint64_t* set) {
        uint64_t carry = 0;
        for (qsizetype w = 0; w < words; ++w) {
            const uint64_t onStar = set[w] & stars[w];
            set[w] |= (onStar << 1) | carry;
            carry = onStar >> 63;
        }
    };
    const auto has = [](const uint64_t* set, size_t s) { return (set[s / 64] >> (s % 64)) & 1; };
    reached[0] = 1;
    closeOverStars(reached);
    const bool endsWithStar = m > 0 && tokens_.back().kind == Kind::Star;

    JapaneseFold::Char chars[kChunk];
    // A few characters first: many texts are decided by their start.
    for (qsizetype i = 0, want = 8; i < text.size(); want = kChunk) {
        const int n = JapaneseFold::ReadSome(text, i, chars, int(want));
        for (int ci = 0; ci < n; ++ci) {
            if (endsWithStar && has(reached, m - 1))
                return true;  // the final "*" takes the rest, whatever it is
            const JapaneseFold::Char& c = chars[ci];
            std::fill(next, next + words, 0);
            bool any = false;
            for (qsizetype w = 0; w < words; ++w) {
                for (uint64_t bits = reached[w]; bits; bits &= bits - 1) {
                    const size_t s = size_t(w) * 64 + size_t(std::countr_zero(bits));
                    if (s >= m)
                        break;
                    const Token& token = tokens_[s];
                    size_t to = s + 1;
                    switch (token.kind) {
                    case Kind::Star:
                        to = s;
                        break;
                    case Kind::Any:
                        break;
                    case Kind::Digit:
                        if (!QChar::isDigit(c.source))
                            continue;
                        break;
                    case Kind::Set:
                        if (inSet(token, sourceOf(c), singleKey(c)) == token.negated)
                            continue;
                        break;
                    case Kind::Literal: {
                        // One character of the text may fold to several of the pattern ("ß",
                        // "ss").
                        size_t j = 0;
                        while (j < size_t(c.keyLength) && s + j < m &&
                               tokens_[s + j].kind == Kind::Literal &&
                               tokens_[s + j].ch == c.key[j])
                            ++j;
                        if (j != size_t(c.keyLength))
                            continue;
                        to = s + j;
                        break;
                    }
                    }
                    next[to / 64] |= uint64_t(1) << (to % 64);
                    any = true;
                }
            }
            if (!any)
                return false;
            closeOverStars(next);
            std::swap(reached, next);
        }
    }
    return has(reached, m);
}
