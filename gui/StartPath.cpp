#include "StartPath.h"

#include "core/FileAccess.h"
#include "core/modZAUtil.h"

#include <QDir>
#include <sys/stat.h>

namespace StartPath {

namespace {

bool pathExists(const QString& path) {
    struct stat st {};
    return ::lstat(modZAUtil::NativePath(path).constData(), &st) == 0;
}

// The five classic endings compare the last three characters; the newer formats the media
// route plays compare their whole extension.
bool isAudioName(const QString& path) {
    return modZAUtil::EndsWithAny(
        path, {"wma",   "mp3",  "wav",  "cda",  "mid",  ".midi", ".flac", ".ogg", ".oga",
               ".opus", ".m4a", ".aac", ".ape", ".wv",  ".tta",  ".tak",  ".aif", ".aiff",
               ".aifc", ".mp2", ".mpa", ".dsf", ".dff", ".mka",  ".webm", ".ac3", ".cue"});
}

}  // namespace

QString Absolute(const QString& given, const QString& currentFolder) {
    if (given.isEmpty())
        return given;
    return QDir::cleanPath(QDir(currentFolder).absoluteFilePath(given));
}

Kind Classify(const QString& path) {
    if (modZAUtil::FolderExists(path))
        return Kind::Folder;
    const bool audio = isAudioName(path);
    const bool playlist = !audio && modZAUtil::EndsWithAny(path, {"m3u"});
    if (!audio && !playlist)
        return pathExists(path) ? Kind::NotPlayable : Kind::Missing;
    if (!modZAUtil::FileExists(path))
        return Kind::Missing;
    return audio ? Kind::AudioFile : Kind::PlaylistFile;
}

QString ProblemText(Kind kind, const QString& path) {
    switch (kind) {
    case Kind::Missing:
        return path + QStringLiteral("にアクセスできません。");
    case Kind::NotPlayable:
        return path + QStringLiteral("は再生できないファイルです。");
    case Kind::Folder:
    case Kind::AudioFile:
    case Kind::PlaylistFile:
        break;
    }
    return {};
}

}  // namespace StartPath
