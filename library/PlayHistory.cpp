#include "PlayHistory.h"

void PlayHistory::Record(clsArrayList& history, const QString& path) {
    const QStringList& items = history.items();
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items[i].compare(path, Qt::CaseInsensitive) == 0) {
            history.Delete(static_cast<int32_t>(i));
            break;
        }
    }
    history.Insert(path, 0);
    while (history.Count() > kLimit)
        history.Delete(history.Count() - 1);
}
