#include "CoverArt.h"

#include "core/FileAccess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

// The bytes of the first attached picture and whether they are PNG.
QByteArray attachedPicture(const QString& path, bool& png) {
    AVFormatContext* ctx = nullptr;
    const QByteArray native = modZAUtil::NativePath(path);
    if (avformat_open_input(&ctx, native.constData(), nullptr, nullptr) < 0)
        return {};
    QByteArray bytes;
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        const AVStream* st = ctx->streams[i];
        if ((st->disposition & AV_DISPOSITION_ATTACHED_PIC) && st->attached_pic.size > 0) {
            bytes = QByteArray(reinterpret_cast<const char*>(st->attached_pic.data),
                               st->attached_pic.size);
            png = st->codecpar->codec_id == AV_CODEC_ID_PNG;
            break;
        }
    }
    avformat_close_input(&ctx);
    return bytes;
}

}  // namespace

CoverArt::CoverArt(QString folder) : folder_(std::move(folder)) {
    if (folder_.isEmpty())
        folder_ = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder_.isEmpty() || !QDir(folder_).exists())
        folder_ = QDir::tempPath();
}

CoverArt::~CoverArt() {
    removeLast();
}

void CoverArt::removeLast() {
    if (!last_.isEmpty())
        QFile::remove(last_);
    last_.clear();
}

QString CoverArt::SaveFor(const QString& songPath) {
    removeLast();
    if (songPath.isEmpty())
        return {};
    bool png = false;
    const QByteArray bytes = attachedPicture(songPath, png);
    if (bytes.isEmpty())
        return {};
    // A new name for every picture: the desktop keeps what it loaded under a name.
    const QString file = folder_ + QStringLiteral("/zapt-cover-") +
                         QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-') +
                         QString::number(++count_) +
                         (png ? QStringLiteral(".png") : QStringLiteral(".jpg"));
    if (!modZAUtil::WriteFileAtomically(file, bytes))
        return {};
    last_ = file;
    return file;
}
