#pragma once

#include "core/clsArrayList.h"

#include <QString>
#include <QStringList>
#include <cstdint>

// The folder view as text: row 0 goes up, rows 1..F are the F sub-folders, rows F+1..F+N the
// N files. Works on the main window's FolderViewFolders, FolderViewFiles and
// FolderViewReturnRows lists.
class FolderViewModel {
public:
    // "・・" / "┬ ・・", "├ " / "└ " + sub-folder name, files (a track by its title) indented
    // by four spaces when there are sub-folders.
    static QStringList Rows(const clsArrayList& folders, const clsArrayList& files);

    // SelectedFile: the row is past the sub-folder rows and not row 0.
    static bool IsFileRow(int32_t row, int32_t folderCount) { return row > folderCount && row > 0; }
    static bool IsFolderRow(int32_t row, int32_t folderCount) {
        return row >= 1 && row <= folderCount;
    }
    // The entry of FolderViewFiles / FolderViewFolders a row stands for, or -1.
    static int32_t FileIndex(int32_t row, int32_t folderCount);
    static int32_t FolderIndex(int32_t row, int32_t folderCount);

    // The stack of rows to select again when going back up, kept as decimal text.
    static void PushReturnRow(clsArrayList& returnRows, int32_t row);
    // The row to select in the parent: the last pushed row (removed), or 0 when there is none.
    static int32_t PopReturnRow(clsArrayList& returnRows);

    // Empties `folders` and fills it with the full paths of the sub-folders of `folder` (links
    // to folders included), in modZAUtil::CompareNames order. An error ends the read quietly
    // with what was read so far; returns false then.
    static bool LoadFolders(clsArrayList& folders, const QString& folder);
    // Empties `files` and collects the chosen types directly in `folder` (no sub-folders), in
    // the same order.
    // Returns "" or the access message.
    static QString LoadFiles(clsArrayList& files, const QString& folder, int32_t getFileType);

    // The folder above, or "" for the root "/".
    static QString ParentFolder(const QString& folder);
};
