#include "FileAccess.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace modZAUtil {

namespace {

constexpr const char* kShiftJis = "windows-31j";

QString decodeComponent(QByteArrayView bytes) {
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(kShiftJis, QStringConverter::Flag::Stateless);
    const QString text = decoder(bytes);
    if (!decoder.hasError()) {
        QStringEncoder encoder(kShiftJis, QStringConverter::Flag::Stateless);
        const QByteArray back = encoder(text);
        if (!encoder.hasError() && back == bytes)
            return text;
    }
    return QString::fromLatin1(bytes);
}

bool exists(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

bool isAscii(QStringView s) {
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

}  // namespace

QString DecodePath(QByteArrayView bytes) {
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    QString text;
    qsizetype start = 0;
    for (;;) {
        const qsizetype slash = bytes.indexOf('/', start);
        const qsizetype end = slash < 0 ? bytes.size() : slash;
        text += decodeComponent(bytes.sliced(start, end - start));
        if (slash < 0)
            return text;
        text += u'/';
        start = slash + 1;
    }
}

QByteArray NativePath(const QString& path) {
    QByteArray utf8 = path.toUtf8();
    if (utf8.size() == path.size() || exists(utf8))
        return utf8;  // plain ASCII has one form only
    QByteArray resolved;
    QStringEncoder sjis(kShiftJis, QStringConverter::Flag::Stateless);
    qsizetype start = 0;
    for (;;) {
        const qsizetype slash = path.indexOf(u'/', start);
        const qsizetype end = slash < 0 ? path.size() : slash;
        const QStringView name = QStringView(path).sliced(start, end - start);
        QByteArray chosen = name.toUtf8();
        if (!isAscii(name) && !exists(resolved + chosen)) {
            QByteArray candidate = sjis(name);
            if (sjis.hasError() || !exists(resolved + candidate)) {
                sjis.resetState();
                candidate.clear();
                bool latin1 = true;
                for (QChar c : name)
                    latin1 = latin1 && c.unicode() <= 0xFF;
                if (latin1 && exists(resolved + name.toLatin1()))
                    candidate = name.toLatin1();
            }
            if (candidate.isEmpty()) {
                // Nothing beyond here exists in any form: the rest stays as UTF-8.
                resolved += utf8.sliced(QStringView(path).first(start).toUtf8().size());
                return resolved;
            }
            chosen = candidate;
        }
        resolved += chosen;
        if (slash < 0)
            return resolved;
        resolved += '/';
        start = slash + 1;
    }
}

ReadStatus ReadFileBytes(const QString& path, QByteArray& bytes, qint64 limit) {
    bytes.clear();
    if (path.isEmpty())
        return ReadStatus::Missing;
    // Non-blocking, so a FIFO cannot hold the program before it is refused.
    const int fd =
        ::open(NativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    struct stat st {};
    ReadStatus status = ReadStatus::Ok;
    if (::fstat(fd, &st) != 0)
        status = ReadStatus::Failed;
    else if (!S_ISREG(st.st_mode))
        status = ReadStatus::NotAFile;
    else if (st.st_size > limit)
        status = ReadStatus::TooLarge;
    else {
        // In pieces up to the limit: the size may change while the file is read.
        constexpr qint64 kPiece = qint64(1) << 20;
        qint64 used = 0;
        bytes.resize(qsizetype(std::min<qint64>(st.st_size, limit) + 1));
        for (;;) {
            if (used == bytes.size()) {
                if (used > limit) {
                    status = ReadStatus::TooLarge;
                    break;
                }
                bytes.resize(qsizetype(std::min<qint64>(used + kPiece, limit + 1)));
            }
            const ssize_t n = ::read(fd, bytes.data() + used,
                                     size_t(std::min<qint64>(bytes.size() - used, kPiece)));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                status = ReadStatus::Failed;
                break;
            }
            if (n == 0)
                break;
            used += n;
        }
        if (status == ReadStatus::Ok && used > limit)
            status = ReadStatus::TooLarge;
        bytes.resize(status == ReadStatus::Ok ? qsizetype(used) : 0);
    }
    ::close(fd);
    return status;
}

bool CreateEmptyFile(const QString& path) {
    if (path.isEmpty())
        return false;
    const int fd =
        ::open(NativePath(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    return fd >= 0 && ::close(fd) == 0;
}

namespace {

bool writeAll(int fd, QByteArrayView bytes) {
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(std::min<qsizetype>(left, qsizetype(1) << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

QByteArray tempNameBeside(const QByteArray& target) {
    return target + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp";
}

// A link we did not make, in a folder anybody may write to, may lead anywhere another user
// chose: it is not followed (as the kernel's protected_symlinks rule has it for sticky folders).
bool trustedLink(const QByteArray& link, const struct stat& linkStat) {
    if (linkStat.st_uid == ::geteuid())
        return true;
    const qsizetype slash = link.lastIndexOf('/');
    const QByteArray folder =
        slash < 0 ? QByteArray(".") : link.left(std::max<qsizetype>(slash, 1));
    struct stat st {};
    return ::stat(folder.constData(), &st) == 0 && !(st.st_mode & S_IWOTH) &&
           (st.st_uid == linkStat.st_uid || st.st_uid == ::geteuid());
}

// The file to replace: `path` itself, or the regular file a link leads to. Empty when the
// target exists and is not a regular file, or a link leads nowhere.
QByteArray replaceableTarget(const QByteArray& path, struct stat& st, bool& existing) {
    existing = false;
    if (::lstat(path.constData(), &st) != 0)
        return errno == ENOENT ? path : QByteArray();
    QByteArray target = path;
    if (S_ISLNK(st.st_mode)) {
        if (!trustedLink(path, st))
            return {};
        char* real = ::realpath(path.constData(), nullptr);
        if (!real)
            return {};
        target = real;
        std::free(real);
        if (::stat(target.constData(), &st) != 0)
            return {};
    }
    if (!S_ISREG(st.st_mode))
        return {};
    existing = true;
    return target;
}

// Writes `bytes` to a new file in `folder` and gives it a fresh name beside `target`; returns
// that name, or "" on any failure (nothing is then left behind).
QByteArray writeTempFile(const QByteArray& folder, const QByteArray& target, QByteArrayView bytes,
                         mode_t mode, bool keepMode, bool unnamed) {
    QByteArray tempName;
    int fd = -1;
    if (unnamed) {
        // Killed at any moment, an unnamed file leaves nothing behind; it is named only once
        // it is complete, just before the rename.
        fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    } else {
        for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
            tempName = tempNameBeside(target);
            fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0 && errno != EEXIST)
                break;
        }
    }
    if (fd < 0)
        return {};
    bool ok =
        (!keepMode || ::fchmod(fd, mode & 07777) == 0) && writeAll(fd, bytes) && ::fsync(fd) == 0;
    if (ok && unnamed) {
        const QByteArray handle = "/proc/self/fd/" + QByteArray::number(fd);
        ok = false;
        for (int attempt = 0; attempt < 8 && !ok; ++attempt) {
            tempName = tempNameBeside(target);
            ok = ::linkat(AT_FDCWD, handle.constData(), AT_FDCWD, tempName.constData(),
                          AT_SYMLINK_FOLLOW) == 0;
            if (!ok && errno != EEXIST)
                break;
        }
        if (!ok)
            tempName.clear();
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok && !tempName.isEmpty())
        ::unlink(tempName.constData());
    return ok ? tempName : QByteArray();
}

// A writer killed between naming its complete file and the rename leaves that name behind; the
// next save of the same file removes it. Only names this writer makes are touched.
void removeStaleTempFiles(const QByteArray& folder, const QByteArray& target) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const QByteArray prefix = target.mid(target.lastIndexOf('/') + 1) + '.';
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        if (!name.startsWith(prefix) || !name.endsWith(".tmp") || name.size() == prefix.size() + 4)
            continue;
        bool ours = true;
        for (char c : name.sliced(prefix.size(), name.size() - prefix.size() - 4))
            ours = ours && ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'));
        struct stat st {};
        if (ours && ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

}  // namespace

bool WriteFileAtomically(const QString& path, QByteArrayView bytes) {
    if (path.isEmpty())
        return false;
    struct stat st {};
    bool existing = false;
    const QByteArray target = replaceableTarget(NativePath(path), st, existing);
    if (target.isEmpty())
        return false;
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0    ? QByteArray(".")
                              : slash == 0 ? QByteArray("/")
                                           : target.left(slash);
    removeStaleTempFiles(folder, target);
    QByteArray temp = writeTempFile(folder, target, bytes, st.st_mode, existing, true);
    if (temp.isEmpty())  // no unnamed files here (or no /proc): a named one instead
        temp = writeTempFile(folder, target, bytes, st.st_mode, existing, false);
    if (temp.isEmpty())
        return false;
    if (::rename(temp.constData(), target.constData()) != 0) {
        ::unlink(temp.constData());
        return false;
    }
    return true;
}

}  // namespace modZAUtil
