#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// File names as bytes and the two ways every text file is touched: a bounded read and an
// atomic replacement. Needs nothing but Qt Core, so the decoders can use it too.
namespace modZAUtil {

// A path from the file system as text. Each component is decoded on its own: UTF-8 when it is
// valid UTF-8, else Shift_JIS when it decodes and encodes back to the same bytes (names from
// archives made on Japanese Windows), else Latin-1, so no byte is ever lost.
QString DecodePath(QByteArrayView bytes);

// The bytes to hand the system for a path shown as text: its UTF-8 form when that exists,
// otherwise each component as the first of its UTF-8, Shift_JIS and Latin-1 forms that exists,
// so a name read back from a playlist finds the file DecodePath named. A path that exists in no
// form comes back as UTF-8.
QByteArray NativePath(const QString& path);

inline constexpr qint64 kMaxTextFileBytes = qint64(64) << 20;

enum class ReadStatus { Ok, Missing, NotAFile, TooLarge, Failed };

// Reads a whole regular file, at most `limit` bytes. A FIFO, a device or a folder is refused
// without waiting on it; `bytes` is empty unless the result is Ok.
ReadStatus ReadFileBytes(const QString& path, QByteArray& bytes, qint64 limit = kMaxTextFileBytes);

// Creates an empty regular file where nothing is (a dangling link is left alone).
bool CreateEmptyFile(const QString& path);

// Replaces the file at `path` by `bytes`: written to a temporary file beside it, flushed to the
// disk and renamed over it, so the old file stays whole until the new one is complete. A link
// to a regular file is written through to its target; a link to anything else, a link that
// another user owns in a folder anybody may write to, or a target that is not a regular file,
// is refused. Returns false on any failure, old file untouched.
bool WriteFileAtomically(const QString& path, QByteArrayView bytes);

}  // namespace modZAUtil
