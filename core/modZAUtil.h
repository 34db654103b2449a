#pragma once

#include "FileAccess.h"
#include "clsArrayList.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <initializer_list>

class QTimer;
class UserDialogs;

// Shared routines of every window: text files to and from lists, existence tests, the folder
// scan, small text helpers and the choosers.
namespace modZAUtil {

inline const QString kWriteErrorText = QStringLiteral("ファイル書き込み中にエラーが発生しました。");
inline const QString kPathAccessErrorText = QStringLiteral("指定されたパスにアクセスできません。");
// Lines a text list keeps at the most: far more than any list of the player holds (a playlist
// takes 32,767 songs), so that a file of tiny lines up to the size limit cannot take gigabytes.
inline constexpr qsizetype kMaxListLines = qsizetype(1) << 20;
inline const QString kTooLargeText = QStringLiteral("ファイルが大きすぎるため読み込めません。");

// Decodes text bytes of tags and text files: UTF-16 when they start with its byte-order mark,
// UTF-8 when they are valid UTF-8 (a BOM is dropped), otherwise Shift_JIS when they look
// Japanese read so (kana, runs of kanji or half-width kana), else Windows-1252, so a Western
// tag such as Björk or Mylène is not turned into kanji. File names follow DecodePath instead.
QString DecodeText(const QByteArray& bytes);

// What a text file that is not there means: the program's own files start out empty, a file
// the user named is an error.
enum class IfMissing { Create, Report };

// Appends the lines of a text file to `list`, stopping at the first empty line. Lines may end
// in CR LF, LF or CR. Only a regular file of at most kMaxTextFileBytes is read. Returns false
// when nothing could be read; the list is then unchanged. With `dialogs`, a file too large is
// reported (kTooLargeText), and so is a missing one under IfMissing::Report.
bool ReadLinesToList(const QString& path, clsArrayList& list, UserDialogs* dialogs = nullptr,
                     IfMissing ifMissing = IfMissing::Create);

// True when `text` holds a carriage return or a line feed: such a text cannot be one line of a
// state file, so it is never written into one.
bool HasLineBreak(QStringView text);

// Writes every entry followed by CR LF, UTF-8, through WriteFileAtomically. An entry holding a
// line break is left out: written, it would turn into two entries that are both wrong. On
// failure shows the error box (when `dialogs` is given) and returns false; the old file is then
// untouched.
bool WriteListToFile(const QString& path, const clsArrayList& list, UserDialogs* dialogs);

bool FileExists(const QString& path);  // an existing regular file, links followed
// Deletes the file of entry `row` of a list of files shown in a list box, and the entry;
// false (nothing changed) when the row is out of range or the file cannot be deleted.
bool DeleteListedFile(clsArrayList& files, int32_t row);
// The row to select after entry `row` was deleted from a list that now has `countAfter`
// entries: the same row, the new last one when the last went, -1 when none is left.
int32_t SelectionAfterDelete(int32_t row, int32_t countAfter);
bool FolderExists(const QString& path);  // an existing folder, links followed
bool HasSubFolders(const QString& path);

// The order of names in every listing of a folder, as file managers show them: letter case
// ignored, digit runs by value ("Disc 2" before "Disc 10"), Japanese collation otherwise;
// names that still tie are ordered by their characters. Returns -1, 0 or 1.
int CompareNames(QStringView a, QStringView b);
// Sorts paths by their file names (the part after the last "/") with CompareNames.
void SortPathsByName(QStringList& paths);
// `folder` + "/" + `name`, without doubling a slash that ends `folder`.
QString JoinPath(const QString& folder, const QString& name);

// Appends to `list` every file of `folder` whose name ends in one of `extensions` ignoring
// case (once per matching element), in CompareNames order, then, when
// asked, the files of each sub-folder in that order, depth first. A folder reached twice (link
// loops) is walked once; unreadable sub-folders are skipped. Names that are not UTF-8 are
// listed as DecodePath shows them. Returns "" or kPathAccessErrorText when `folder` cannot be
// read.
QString ScanFolder(clsArrayList& list, const QString& folder, const QStringList& extensions,
                   bool includeSubFolders);

int16_t NotNegative(int16_t value);
QString GetFileName(const QString& path);
QString FormatSeconds(int32_t seconds);

// A file name without its extension, whatever the extension's length: "春の風.flac" and
// "春の風.mp3" both give "春の風". A name without one stays whole: no dot, only a leading dot
// (".hidden"), or a last dot followed by nothing or a space ("Vol. 2").
QStringView WithoutExtension(QStringView fileName);
// Whether `path` ends in one of `endings`, letter case ignored.
bool EndsWithAny(const QString& path, std::initializer_list<const char*> endings);

// One row per entry: the file name without its extension.
QString ListRowText(const QString& path);

QString BrowseForFolder(const QString& initialFolder, UserDialogs& dialogs);
int32_t PickColor(UserDialogs& dialogs);

}  // namespace modZAUtil
