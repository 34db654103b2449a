#pragma once

#include "DecoderCallbackTarget.h"
#include "clsArrayList.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>

class ListBox;
class QTimer;
class QWidget;
class UserDialogs;

// Shared routines of every window: text files to and from lists, existence tests, the folder
// scan, small text helpers and the choosers.
namespace modZAUtil {

inline const QString kWriteErrorText = QStringLiteral("ファイル書き込み中にエラーが発生しました。");
inline const QString kPathAccessErrorText = QStringLiteral("指定されたパスにアクセスできません。");

// Decodes file bytes: UTF-8 when they are valid UTF-8 (a BOM is dropped), otherwise Shift_JIS.
QString DecodeText(const QByteArray& bytes);

// Appends the lines of a text file to `list`, stopping at the first empty line. A missing file
// is created empty. Lines may end in CR LF, LF or CR. Returns false when the file can be
// neither read nor created (a folder, no permission); the list is then unchanged.
bool ReadLinesToList(const QString& path, clsArrayList& list);

// Writes every entry followed by CR LF, UTF-8, through a temporary file renamed over the old
// one, so a failed or interrupted write never leaves half a file. On failure shows the error
// box (when `dialogs` is given) and returns false; the old file is then untouched.
bool WriteListToFile(const QString& path, const clsArrayList& list, UserDialogs* dialogs);

bool FileExists(const QString& path);    // an existing regular file, links followed
bool FolderExists(const QString& path);  // an existing folder, links followed
bool HasSubFolders(const QString& path);

// Appends to `list` every file of `folder` whose last four characters equal one of
// `extensions` ignoring case (once per matching element), then, when asked, the files of each
// sub-folder, depth first. A folder reached twice (link loops) is walked once; unreadable
// sub-folders are skipped. Returns "" or kPathAccessErrorText when `folder` cannot be read.
QString ScanFolder(clsArrayList& list, const QString& folder, const QStringList& extensions,
                   bool includeSubFolders);

int16_t NotNegative(int16_t value);
QString GetFileName(const QString& path);
QString FormatSeconds(int32_t seconds);

// One row per entry: the file name without its last four characters (the whole name when it is
// shorter than that, so rows and entries stay in step).
QString ListRowText(const QString& path);
void ShowListInListBox(ListBox& box, const clsArrayList& list);

void SelectAllText(QWidget* control);
QString BrowseForFolder(const QString& initialFolder, UserDialogs& dialogs);
int32_t PickColor(UserDialogs& dialogs);

// Registered with the decoder library (`user` is a DecoderCallbackTarget*): status 4 (the file
// ended) starts the play-done timer on its own thread; every other status is ignored.
void DecoderCallback(int32_t status, intptr_t user);

}  // namespace modZAUtil
