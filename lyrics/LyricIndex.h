#pragma once

#include "core/clsArrayList.h"

#include <QString>
#include <QStringList>
#include <cstdint>

class UserDialogs;

// The lyric index: the full paths of every lyric file under the lyric folder, either found by
// scanning the folder or read from ZAlyric.lst in the application folder. No windows.
class LyricIndex {
public:
    // The lyric file types in the order they are known: texts first, then pictures.
    static const QStringList& Extensions();

    // Appends every lyric file under `folder` and its sub-folders to `list`, in the order of a
    // folder scan. Returns "" or the access message when the folder cannot be read.
    static QString ScanLyricFolder(clsArrayList& list, const QString& folder);

    // Fills `list` (appends): with `makeLyricListAuto` 1 by scanning `folder` (nothing when it
    // is empty), otherwise from ZAlyric.lst in `appFolder` when that file is there. Returns ""
    // or the scan's access message, for the caller to show.
    static QString LoadLyricList(clsArrayList& list, const QString& folder,
                                 int32_t makeLyricListAuto, const QString& appFolder,
                                 UserDialogs* dialogs = nullptr);

    // Scans `folder` and writes what it found to ZAlyric.lst in `appFolder`, replacing the
    // file. An empty folder name does nothing. A folder that cannot be read is reported and an
    // empty index written; a write failure is reported by the list writer. True when the file
    // was written (or nothing was to be done).
    static bool WriteLyricList(const QString& folder, const QString& appFolder,
                               UserDialogs* dialogs);

    static QString IndexFile(const QString& appFolder);
};
