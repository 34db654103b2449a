#include "ReserveQueue.h"

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
        menu.captions[i] = modZAUtil::GetFileName(queue.Value(i));
        menu.visible[i] = true;
    }
    menu.clearCaption = n >= 1 ? QStringLiteral("(クリア)") : QStringLiteral("(なし)");
    menu.addEnabled = n < kLimit;
    return menu;
}
