#include "CoverArt.h"

#include "core/FileAccess.h"
#include "tags/SongPicture.h"

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

CoverArt::CoverArt(QString parent) : parent_(std::move(parent)) {
    if (parent_.isEmpty())
        parent_ = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (parent_.isEmpty() || !QDir(parent_).exists())
        parent_ = QDir::tempPath();
}

CoverArt::~CoverArt() {
    removeLast();
    if (!folder_.isEmpty())
        ::rmdir(modZAUtil::NativePath(folder_).constData());
}

void CoverArt::removeLast() {
    if (!saved_.isEmpty())
        ::unlink(modZAUtil::NativePath(saved_).constData());
    saved_.clear();
}

bool CoverArt::makeFolder() {
    if (!folder_.isEmpty())
        return true;
    // mkdtemp makes a new folder under a name nobody could have taken, readable by us alone.
    QByteArray name = modZAUtil::NativePath(parent_) + "/zapt-cover-XXXXXX";
    if (!::mkdtemp(name.data()))
        return false;
    folder_ = modZAUtil::DecodePath(name);
    return true;
}

QByteArray CoverArt::EmbeddedPicture(const QString& songPath) {
    return SongPicture::Embedded(songPath).bytes;
}

QString CoverArt::SaveFor(const QString& songPath) {
    removeLast();
    if (songPath.isEmpty())
        return {};
    const QByteArray bytes = EmbeddedPicture(songPath);
    const bool png = bytes.startsWith("\x89PNG");
    if (!png && !bytes.startsWith("\xFF\xD8"))
        return SongPicture::FileBeside(
            songPath);  // no picture in the file that an image viewer reads
    if (!makeFolder())
        return {};
    // A new name for every picture: the desktop keeps what it loaded under a name.
    const QString file = folder_ + QStringLiteral("/") + QString::number(++count_) +
                         (png ? QStringLiteral(".png") : QStringLiteral(".jpg"));
    // Never through something already there, even in our own folder.
    const int fd = ::open(modZAUtil::NativePath(file).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return {};
    QFile out;
    const bool ok = out.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle) &&
                    out.write(bytes) == bytes.size() && out.flush();
    if (!out.isOpen())
        ::close(fd);
    out.close();
    if (!ok) {
        ::unlink(modZAUtil::NativePath(file).constData());
        return {};
    }
    saved_ = file;
    return file;
}
