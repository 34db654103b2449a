#include "lyrics/SyncedLyrics.h"

#include "lyrics/LyricText.h"

#include <algorithm>

using std::chrono::milliseconds;

namespace {

// Digits at `pos`, at most `most` of them: their value and how many there were.
int digits(QStringView s, qsizetype& pos, int most, int& count) {
    int value = 0;
    count = 0;
    while (pos < s.size() && count < most && s[pos] >= u'0' && s[pos] <= u'9') {
        value = value * 10 + (s[pos].unicode() - u'0');
        ++pos;
        ++count;
    }
    return value;
}

// A time tag opened by `open` at `pos` ("[mm:ss.xx]", "[mm:ss:xx]", "[mm:ss.xxx]", "[mm:ss]";
// "<...>" for word timing); `pos` moves past it when there is one.
std::optional<milliseconds> timeTag(QStringView s, qsizetype& pos, QChar open, QChar close) {
    qsizetype at = pos;
    if (at >= s.size() || s[at] != open)
        return std::nullopt;
    ++at;
    int n = 0;
    const int minutes = digits(s, at, 5, n);
    if (n == 0 || at >= s.size() || s[at] != u':')
        return std::nullopt;
    ++at;
    const int seconds = digits(s, at, 2, n);
    if (n == 0)
        return std::nullopt;
    int fraction = 0;
    if (at < s.size() && (s[at] == u'.' || s[at] == u':')) {
        ++at;
        fraction = digits(s, at, 3, n);
        if (n == 0)
            return std::nullopt;
        fraction *= n == 1 ? 100 : n == 2 ? 10 : 1;
    }
    if (at >= s.size() || s[at] != close)
        return std::nullopt;
    pos = at + 1;
    return milliseconds((int64_t(minutes) * 60 + seconds) * 1000 + fraction);
}

void skipSpaces(QStringView s, qsizetype& pos) {
    while (pos < s.size() && s[pos].isSpace())
        ++pos;
}

// "[key:value]" alone on its line, the key made of letters: a header tag.
bool headerTag(QStringView s, QString& key, QString& value) {
    const QStringView t = s.trimmed();
    if (t.size() < 3 || t.front() != u'[' || t.back() != u']')
        return false;
    const qsizetype colon = t.indexOf(u':');
    if (colon < 2)
        return false;
    for (QChar c : t.sliced(1, colon - 1))
        if (!(c.isLetter() && c.unicode() < 0x80) && c != u'#')
            return false;
    key = t.sliced(1, colon - 1).toString().toLower();
    value = t.sliced(colon + 1, t.size() - colon - 2).trimmed().toString();
    return true;
}

// Leaves out word timing and time tags inside the text.
QString withoutInnerTags(QStringView s) {
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size();) {
        if (timeTag(s, i, u'<', u'>') || timeTag(s, i, u'[', u']'))
            continue;
        out.append(s[i++]);
    }
    return out.trimmed();
}

}  // namespace

QString SyncedLyrics::WithoutTags(QStringView line) {
    qsizetype pos = 0;
    skipSpaces(line, pos);
    while (timeTag(line, pos, u'[', u']'))
        skipSpaces(line, pos);
    return withoutInnerTags(line.sliced(pos));
}

SyncedLyrics SyncedLyrics::Parse(const QStringList& lines) {
    std::vector<Line> timed;
    QString title;
    QString firstUntimed;
    milliseconds offset{0};
    int textLines = 0;
    int timedLines = 0;
    std::vector<milliseconds> times;
    for (const QString& line : lines) {
        const QStringView v(line);
        qsizetype pos = 0;
        times.clear();
        skipSpaces(v, pos);
        while (const auto t = timeTag(v, pos, u'[', u']')) {
            times.push_back(*t);
            skipSpaces(v, pos);
        }
        if (times.empty()) {
            QString key;
            QString value;
            if (headerTag(v, key, value)) {
                if (key == u"ti")
                    title = value;
                else if (key == u"offset")
                    offset = milliseconds(value.toInt());
            } else if (!v.trimmed().isEmpty()) {
                ++textLines;
                if (firstUntimed.isEmpty())
                    firstUntimed = withoutInnerTags(v);
            }
            continue;
        }
        ++textLines;
        ++timedLines;
        const QString text = withoutInnerTags(v.sliced(pos));
        for (milliseconds t : times)
            if (timed.size() < size_t(LyricText::kMaxLines))
                timed.push_back({t, text, {}});
    }
    SyncedLyrics lyrics;
    if (timedLines == 0 || timedLines * 2 < textLines)
        return lyrics;
    for (Line& l : timed)
        l.time = std::max(milliseconds{0}, l.time - offset);
    lyrics.title_ = title.isEmpty() ? firstUntimed : title;
    lyrics.addGrouped(std::move(timed));
    return lyrics;
}

SyncedLyrics SyncedLyrics::FromTimedTexts(std::vector<std::pair<milliseconds, QString>> texts) {
    std::vector<Line> timed;
    timed.reserve(texts.size());
    for (auto& [time, text] : texts)
        timed.push_back({time, withoutInnerTags(text), {}});
    SyncedLyrics lyrics;
    lyrics.addGrouped(std::move(timed));
    return lyrics;
}

void SyncedLyrics::addGrouped(std::vector<Line> timed) {
    std::stable_sort(timed.begin(), timed.end(),
                     [](const Line& a, const Line& b) { return a.time < b.time; });
    for (Line& l : timed) {
        if (!lines_.empty() && lines_.back().time == l.time) {
            Line& first = lines_.back();
            if (!first.translation.isEmpty())
                first.translation += u'\n';
            first.translation += l.text;
        } else {
            lines_.push_back(std::move(l));
        }
    }
}

int SyncedLyrics::lineAt(milliseconds heard, milliseconds shift) const {
    const auto after = std::upper_bound(lines_.begin(), lines_.end(), heard - shift,
                                        [](milliseconds t, const Line& l) { return t < l.time; });
    return int(after - lines_.begin()) - 1;
}

std::optional<milliseconds> SyncedLyrics::nextChangeIn(milliseconds heard,
                                                       milliseconds shift) const {
    const auto after = std::upper_bound(lines_.begin(), lines_.end(), heard - shift,
                                        [](milliseconds t, const Line& l) { return t < l.time; });
    if (after == lines_.end())
        return std::nullopt;
    return after->time + shift - heard;
}
