#include "search/ListSearch.h"

#include "core/JapaneseFold.h"
#include "core/WildcardMatcher.h"

std::vector<int32_t> ListSearch::FindRows(const QString& word, const QStringList& rows,
                                          int32_t mode) {
    std::vector<int32_t> hits;
    if (mode != Perfect && mode != Front && mode != Part)
        return hits;
    const QString text = mode == Front  ? QString(word + u'*')
                         : mode == Part ? QString(u'*' + word + u'*')
                                        : QString();
    const WildcardMatcher pattern(text);
    for (int32_t i = 0; i < rows.size(); ++i) {
        const bool match =
            mode == Perfect ? JapaneseFold::Equal(rows[i], word) : pattern.matches(rows[i]);
        if (match)
            hits.push_back(i);
    }
    return hits;
}

int32_t ListSearch::Step(int32_t index, int32_t count, bool forward) {
    if (forward)
        return index + 1 >= count ? 0 : index + 1;
    return index - 1 < 0 ? count - 1 : index - 1;
}
