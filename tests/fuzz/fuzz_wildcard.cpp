// Feeds an arbitrary pattern and text to the wildcard matcher. Besides not failing, it must agree
// with a plain dynamic-programming matcher on ASCII input, take any text when the text's
// wildcard characters are bracketed into a pattern of their own, and ignore letter case.
#include "FuzzInputFile.h"
#include "core/WildcardMatcher.h"

#include <QString>
#include <string>
#include <vector>

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

bool InList(const std::string& list, char c) {
    for (size_t k = 0; k < list.size();) {
        if (k + 2 < list.size() && list[k + 1] == '-') {
            for (char v : {c, Lower(c), char(c >= 'a' && c <= 'z' ? c - 32 : c)})
                if (v >= list[k] && v <= list[k + 2])
                    return true;
            k += 3;
        } else {
            if (Lower(list[k]) == Lower(c))
                return true;
            ++k;
        }
    }
    return false;
}

// ASCII only. Returns -1 for an invalid pattern, else 0 or 1. match[i][j]: the first i
// characters of the pattern take the first j of the text.
int Reference(const std::string& p, const std::string& t) {
    std::vector<std::vector<char>> match(p.size() + 1, std::vector<char>(t.size() + 1, 0));
    match[0][0] = 1;
    for (size_t i = 0; i < p.size();) {
        size_t end = i + 1;
        std::string list;
        bool negated = false;
        if (p[i] == '[') {
            size_t k = i + 1;
            negated = k < p.size() && p[k] == '!';
            const size_t close = p.find(']', negated ? k + 1 : k);
            if (close == std::string::npos)
                return -1;
            list = p.substr(negated ? k + 1 : k, close - (negated ? k + 1 : k));
            for (size_t r = 0; r < list.size(); ++r) {
                if (r + 2 < list.size() && list[r + 1] == '-') {
                    if (list[r] > list[r + 2])
                        return -1;
                    r += 2;
                }
            }
            end = close + 1;
        }
        for (size_t j = 0; j <= t.size(); ++j) {
            bool m = false;
            if (p[i] == '*')
                m = match[i][j] || (j > 0 && match[end][j - 1]);
            else if (p[i] == '[' && list.empty() && !negated)
                m = match[i][j];
            else if (j > 0 && match[i][j - 1]) {
                const char c = t[j - 1];
                m = p[i] == '?'   ? true
                    : p[i] == '#' ? c >= '0' && c <= '9'
                    : p[i] == '[' ? InList(list, c) != negated
                                  : Lower(p[i]) == Lower(c);
            }
            match[end][j] = m;
        }
        i = end;
    }
    return match[p.size()][t.size()];
}

bool IsAscii(const std::string& s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t split = data[0] % size;
    const std::string pattern(reinterpret_cast<const char*>(data) + 1, split > 0 ? split - 1 : 0);
    const std::string text(reinterpret_cast<const char*>(data) + (split > 0 ? split : 1),
                           size - (split > 0 ? split : 1));
    const QString qpattern = QString::fromUtf8(pattern);
    const QString qtext = QString::fromUtf8(text);

    const WildcardMatcher matcher(qpattern);
    const bool matched = matcher.matches(qtext);
    FUZZ_CHECK(matcher.valid() || !matched);
    FUZZ_CHECK(matched == matcher.matches(qtext.toUpper()) || !IsAscii(text));
    if (IsAscii(pattern) && IsAscii(text)) {
        const int expected = Reference(pattern, text);
        FUZZ_CHECK(matcher.valid() == (expected >= 0));
        FUZZ_CHECK(matched == (expected == 1));
    }

    QString literal;
    for (QChar c : qtext) {
        if (c == u'*' || c == u'?' || c == u'#' || c == u'[')
            literal += u'[' + QString(c) + u']';
        else
            literal += c;
    }
    const WildcardMatcher exact(literal);
    FUZZ_CHECK(exact.valid() && exact.matches(qtext) && exact.matches(qtext.toLower()));
    return 0;
}
