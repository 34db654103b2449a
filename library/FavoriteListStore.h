#pragma once

#include "core/clsArrayList.h"

#include <QString>
#include <cstdint>

// The favorite lists: .m3u files in the "list" folder of the application folder. Paths only;
// the main window asks the questions and shows the rows.
class FavoriteListStore {
public:
    explicit FavoriteListStore(const QString& applicationFolder);

    QString Folder() const;  // <application folder>/list

    // Appends the full path of every file of the list folder whose name ends in ".m3u" in any
    // letter case (no sub-folders), in modZAUtil::CompareNames order. Returns "" or the access
    // message.
    QString Load(clsArrayList& favoriteLists) const;

    // A typed name that cannot be a file of the list folder: empty, "/" or NUL inside, or "."
    // or ".." alone. The caller shows the writer's error message for it.
    static bool IsValidName(const QString& name);
    // <list folder>/<name>.m3u, or "" for a name IsValidName refuses.
    QString PathForName(const QString& name) const;
    bool Exists(const QString& name) const;

    // The proposed name of a listed file: its file name without ".m3u".
    static QString NameOf(const QString& path);

    // Deletes the file of entry `row` and then the entry. A file that cannot be deleted leaves
    // the entry listed and returns false.
    static bool DeleteEntry(clsArrayList& favoriteLists, int32_t row);
    // The row to select after row `row` was deleted: the same row, or the new last row; -1 when
    // the list became empty.
    static int32_t SelectionAfterDelete(int32_t row, int32_t countAfter);

private:
    QString applicationFolder_;
};
