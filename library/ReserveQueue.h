#pragma once

#include "core/clsArrayList.h"

#include <QString>
#include <array>
#include <optional>

// The reserve list: songs queued to play before the playlist goes on, oldest first, at most
// as many as the reserve submenu has items.
class ReserveQueue {
public:
    static constexpr int32_t kLimit = 20;

    // What the reserve submenu and the add item show for a queue.
    struct MenuModel {
        std::array<QString, kLimit> captions;  // file names as they are ("&" not yet doubled)
        std::array<bool, kLimit> visible{};
        QString clearCaption;    // "(クリア)", or "(なし)" for an empty queue
        bool addEnabled = true;  // false once the queue is full
    };

    static bool CanAdd(const clsArrayList& queue) { return queue.Count() < kLimit; }
    // Appends unless the queue is full; the same path may be queued more than once.
    static bool Add(clsArrayList& queue, const QString& path);
    // Removes and returns entry 0 (play sequencing) or entry i (a submenu item).
    static std::optional<QString> TakeFirst(clsArrayList& queue) { return TakeAt(queue, 0); }
    static std::optional<QString> TakeAt(clsArrayList& queue, int32_t index);

    static MenuModel BuildMenu(const clsArrayList& queue);
};
