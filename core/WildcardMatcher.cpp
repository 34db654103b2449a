#include "core/WildcardMatcher.h"

#include <QChar>
#include <string>

namespace {

// Calls f with each code point of s; a lone surrogate counts as a character of its own.
template <typename F> void ForEachCodePoint(QStringView s, F&& f) {
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && s[i + 1].isLowSurrogate()) {
            f(QChar::surrogateToUcs4(u, s[i + 1].unicode()));
            ++i;
        } else {
            f(char32_t(u));
        }
    }
}

// The full case folding of one code point: through upper and lower case first, so that "ß",
// "ﬁ" and "İ" become "ss", "fi" and "i̇" as their other cases do, then folded.
void Fold(char32_t c, std::u32string& out) {
    out.clear();
    if (c < 0x80) {
        out.push_back(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
        return;
    }
    switch (QChar::category(c)) {
    case QChar::Letter_Other:  // kana and kanji: no case, and most of a Japanese name
    case QChar::Number_DecimalDigit:
    case QChar::Separator_Space:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Other:
        out.push_back(c);
        return;
    default:
        break;
    }
    const QString folded = QString::fromUcs4(&c, 1).toUpper().toLower().toCaseFolded();
    ForEachCodePoint(folded, [&](char32_t f) { out.push_back(f); });
}

}  // namespace

WildcardMatcher::WildcardMatcher(QStringView pattern) {
    std::u32string p;
    ForEachCodePoint(pattern, [&](char32_t c) { p.push_back(c); });

    std::u32string folded;
    const size_t n = p.size();
    for (size_t i = 0; i < n; ++i) {
        const char32_t c = p[i];
        if (c == U'*') {
            if (tokens_.empty() || tokens_.back().kind != Kind::Star)
                tokens_.push_back({Kind::Star});
        } else if (c == U'?') {
            tokens_.push_back({Kind::Any});
        } else if (c == U'#') {
            tokens_.push_back({Kind::Digit});
        } else if (c == U'[') {
            size_t k = i + 1;
            const bool negated = k < n && p[k] == U'!';
            if (negated)
                ++k;
            const size_t close = p.find(U']', k);
            if (close == std::u32string::npos) {
                valid_ = false;
                tokens_.clear();
                ranges_.clear();
                return;
            }
            Token token{Kind::Set, negated};
            token.firstRange = int(ranges_.size());
            while (k < close) {
                // "-" makes a range only between two characters of the list.
                if (k + 2 < close && p[k + 1] == U'-') {
                    if (p[k] > p[k + 2]) {
                        valid_ = false;
                        tokens_.clear();
                        ranges_.clear();
                        return;
                    }
                    ranges_.push_back({p[k], p[k + 2]});
                    k += 3;
                } else {
                    ranges_.push_back({p[k], p[k]});
                    ++k;
                }
            }
            token.rangeCount = int(ranges_.size()) - token.firstRange;
            if (token.rangeCount > 0 || negated)
                tokens_.push_back(token);
            i = close;
        } else {
            Fold(c, folded);
            for (char32_t f : folded) {
                Token token{Kind::Literal};
                token.ch = f;
                tokens_.push_back(token);
            }
        }
    }
}

bool WildcardMatcher::inSet(const Token& token, char32_t c) const {
    // The list is kept as typed; the character is tried in each of its cases instead, so that
    // ranges such as "[A-Z]" and "[ａ-ｚ]" keep their meaning in every case.
    const char32_t variants[] = {c, QChar::toLower(c), QChar::toUpper(c), QChar::toTitleCase(c),
                                 QChar::toCaseFolded(c)};
    for (int r = token.firstRange; r < token.firstRange + token.rangeCount; ++r) {
        for (char32_t v : variants) {
            if (v >= ranges_[size_t(r)].low && v <= ranges_[size_t(r)].high)
                return true;
        }
    }
    return false;
}

bool WildcardMatcher::matches(QStringView text) const {
    if (!valid_)
        return false;
    constexpr size_t kNone = size_t(-1);
    const size_t m = tokens_.size();
    const bool endsWithStar = m > 0 && tokens_.back().kind == Kind::Star;
    // reached[s]: the text read so far can bring the pattern up to token s.
    std::vector<char> reached(m + 1, 0), next(m + 1, 0);
    const auto closeOverStars = [&](std::vector<char>& states) {
        for (size_t s = 0; s < m; ++s) {
            if (states[s] && tokens_[s].kind == Kind::Star)
                states[s + 1] = 1;
        }
    };
    reached[0] = 1;
    closeOverStars(reached);

    bool alive = true;
    std::u32string key;
    ForEachCodePoint(text, [&](char32_t c) {
        if (!alive)
            return;
        if (endsWithStar && reached[m - 1])
            return;  // the final "*" takes the rest, whatever it is
        Fold(c, key);
        std::fill(next.begin(), next.end(), 0);
        bool any = false;
        for (size_t s = 0; s < m; ++s) {
            if (!reached[s])
                continue;
            const Token& token = tokens_[s];
            size_t to = kNone;
            switch (token.kind) {
            case Kind::Star:
                to = s;
                break;
            case Kind::Any:
                to = s + 1;
                break;
            case Kind::Digit:
                to = QChar::isDigit(c) ? s + 1 : kNone;
                break;
            case Kind::Set:
                to = inSet(token, c) != token.negated ? s + 1 : kNone;
                break;
            case Kind::Literal: {
                // One character of the text may fold to several of the pattern ("ß", "ss").
                size_t j = 0;
                while (j < key.size() && s + j < m && tokens_[s + j].kind == Kind::Literal &&
                       tokens_[s + j].ch == key[j])
                    ++j;
                to = j == key.size() ? s + j : kNone;
                break;
            }
            }
            if (to != kNone) {
                next[to] = 1;
                any = true;
            }
        }
        closeOverStars(next);
        reached.swap(next);
        alive = any;
    });
    return alive && reached[m];
}
