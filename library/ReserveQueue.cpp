#include "ReserveQueue.h"

#include "TrackEntries.h"
#include "core/modZAUtil.h"

bool ReserveQueue::Add(clsArrayList& queue, const QString& path) {
    if (!CanAdd(queue))
        return false;
    queue.Add(path);
    return true;
}

std::optional<QString> ReserveQueue::TakeAt(clsArrayList& queue, int32_t index) {
    if (index < 0 || index >= queue.Count())
        return std::nullopt;
    QString path = queue.Value(index);
    queue.Delete(index);
    return path;
}

ReserveQueue::MenuModel ReserveQueue::BuildMenu(const clsArrayList& queue) {
    MenuModel menu;
    const int32_t n = queue.Count();
    for (int32_t i = 0; i < kLimit && i < n; ++i) {
        // A disc image's track by its title: its entry's file name is the sheet's for every track.
        const QString entry = queue.Value(i);
        menu.captions[i] = TrackEntries::IsTrack(entry) ? TrackEntries::RowText(entry)
                                                        : modZAUtil::GetFileName(entry);
        menu.visible[i] = true;
    }
    menu.clearCaption = n >= 1 ? QStringLiteral("(クリア)") : QStringLiteral("(なし)");
    menu.addEnabled = n < kLimit;
    return menu;
}
