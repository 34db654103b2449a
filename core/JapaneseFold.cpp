#include "core/JapaneseFold.h"

#include <QChar>
#include <QList>
#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr char32_t kVoiced = 0x3099;      // combining voiced sound mark
constexpr char32_t kSemiVoiced = 0x309A;  // combining semi-voiced sound mark
constexpr char32_t kFirstKana = 0x3041;   // ぁ
constexpr char32_t kLastKana = 0x309E;    // ゞ: ゝ takes a mark too

// A table entry: a code point of the basic plane, or kLong plus the index of a longer key.
constexpr uint32_t kLong = 0x80000000u;

struct LongKey {
    char32_t key[3];
    int length;
};

struct Tables {
    std::array<uint32_t, 0x10000> single{};
    // For each kana, its key with a voiced and with a semi-voiced mark; 0 when it takes none.
    std::array<std::array<uint32_t, 2>, kLastKana - kFirstKana + 1> marked{};
    std::vector<LongKey> longKeys;

    Tables() {
        for (char32_t c = 0; c < 0x10000; ++c)
            single[c] = QChar::isSurrogate(c) ? c : fold(c);
        for (char32_t h = kFirstKana; h <= kLastKana; ++h) {
            for (int m = 0; m < 2; ++m) {
                const char16_t mark = char16_t(m ? kSemiVoiced : kVoiced);
                // ワ takes a mark as ヷ, which its hiragana わ has no letter for.
                for (const char16_t base : {char16_t(h), char16_t(h + 0x60)}) {
                    const char16_t pair[] = {base, mark};
                    const QString composed =
                        QStringView(pair, 2).toString().normalized(QString::NormalizationForm_C);
                    if (composed.size() == 1) {
                        marked[h - kFirstKana][m] = single[composed[0].unicode()];
                        break;
                    }
                }
            }
        }
    }

    uint32_t addLong(const char32_t* key, int length) {
        LongKey k{{}, length};
        std::copy(key, key + length, k.key);
        longKeys.push_back(k);
        return kLong | uint32_t(longKeys.size() - 1);
    }

    uint32_t fold(char32_t c) {
        char32_t w = c;
        const QChar::Decomposition tag = QChar::decompositionTag(c);
        if (tag == QChar::Wide || tag == QChar::Narrow) {
            const QString plain = QChar::decomposition(c);
            if (plain.size() == 1)
                w = plain[0].unicode();
        }
        if (w == 0x309B || w == 0x309C)  // ゛ ゜ as the marks they are
            w = w == 0x309B ? kVoiced : kSemiVoiced;
        if ((w >= 0x30A1 && w <= 0x30F6) || w == 0x30FD || w == 0x30FE)
            w -= 0x60;  // katakana to hiragana
        if (w >= 0x30F7 && w <= 0x30FA) {
            const char32_t key[] = {0x308F + (w - 0x30F7), kVoiced};  // ヷ: わ and the mark
            return addLong(key, 2);
        }
        if (w < 0x80)
            return w >= 'A' && w <= 'Z' ? w + ('a' - 'A') : w;
        const QChar::Category category = QChar::category(w);
        const bool cased = category == QChar::Letter_Uppercase ||
                           category == QChar::Letter_Lowercase ||
                           category == QChar::Letter_Titlecase || QChar::toLower(w) != w ||
                           QChar::toUpper(w) != w || QChar::toCaseFolded(w) != w;
        if (!cased)
            return w;
        // Through upper and lower case first, so that "ß", "ﬁ" and "İ" become "ss", "fi" and
        // "i̇" as their other cases do.
        const QList<uint> folded = QString(QChar(w)).toUpper().toLower().toCaseFolded().toUcs4();
        if (folded.size() == 1)
            return folded[0];
        char32_t key[3];
        const int length = int(std::min<qsizetype>(folded.size(), 3));
        std::copy(folded.begin(), folded.begin() + length, key);
        return addLong(key, length);
    }

    void setKey(JapaneseFold::Char& c, uint32_t entry) const {
        if (entry & kLong) {
            const LongKey& k = longKeys[entry & ~kLong];
            std::copy(k.key, k.key + k.length, c.key);
            c.keyLength = qint8(k.length);
        } else {
            c.key[0] = entry;
            c.keyLength = 1;
        }
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

}  // namespace

int JapaneseFold::ReadSome(QStringView text, qsizetype& i, Char* out, int capacity) {
    const Tables& t = tables();
    const qsizetype size = text.size();
    const QChar* data = text.data();
    int n = 0;
    for (; n < capacity && i < size; ++n) {
        Char& c = out[n];
        const char16_t u = data[i].unicode();
        c.source = u;
        c.units = 1;
        c.keyLength = 1;
        if (u < 0x80) {
            c.key[0] = u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
        } else if (QChar::isHighSurrogate(u) && i + 1 < size && data[i + 1].isLowSurrogate()) {
            c.source = QChar::surrogateToUcs4(u, data[i + 1].unicode());
            c.key[0] = QChar::toCaseFolded(QChar::toLower(QChar::toUpper(c.source)));
            c.units = 2;
        } else {
            t.setKey(c, t.single[u]);
            const char32_t k = c.key[0];
            if (c.keyLength == 1 && k >= kFirstKana && k <= kLastKana && i + 1 < size) {
                const uint32_t next = t.single[data[i + 1].unicode()];
                if (next == kVoiced || next == kSemiVoiced) {
                    if (const uint32_t marked = t.marked[k - kFirstKana][next == kSemiVoiced]) {
                        t.setKey(c, marked);
                        c.units = 2;
                    }
                }
            }
        }
        i += c.units;
    }
    return n;
}

QString JapaneseFold::Key(QStringView text) {
    QString key;
    key.reserve(text.size());
    Char chars[64];
    for (qsizetype i = 0; i < text.size();) {
        const int n = ReadSome(text, i, chars, 64);
        for (int j = 0; j < n; ++j) {
            for (int k = 0; k < chars[j].keyLength; ++k) {
                const char32_t c = chars[j].key[k];
                if (QChar::requiresSurrogates(c)) {
                    key.append(QChar(QChar::highSurrogate(c)));
                    key.append(QChar(QChar::lowSurrogate(c)));
                } else {
                    key.append(QChar(char16_t(c)));
                }
            }
        }
    }
    return key;
}

bool JapaneseFold::Equal(QStringView a, QStringView b) {
    // Both keys are made a character at a time and compared as they come.
    Char ca{}, cb{};
    int ka = 0, kb = 0;  // the next code point of ca's and cb's key
    qsizetype ia = 0, ib = 0;
    for (;;) {
        if (ka == ca.keyLength && ReadSome(a, ia, &ca, 1))
            ka = 0;
        if (kb == cb.keyLength && ReadSome(b, ib, &cb, 1))
            kb = 0;
        const bool endA = ka == ca.keyLength, endB = kb == cb.keyLength;
        if (endA || endB)
            return endA && endB;
        if (ca.key[ka++] != cb.key[kb++])
            return false;
    }
}
