#include "AppFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace AppFolder {

namespace {
bool writable(const QString& folder) {
    // QFileInfo::isWritable ignores read-only mounts; a real probe does not.
    QTemporaryFile probe(folder + QStringLiteral("/.zapt-probe-XXXXXX"));
    return probe.open();
}
}  // namespace

QString Resolve(const QString& executableFolder) {
    if (!executableFolder.isEmpty() && writable(executableFolder))
        return QDir(executableFolder).absolutePath();
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    const QString folder = base + QStringLiteral("/zapt");
    QDir().mkpath(folder);
    return folder;
}

}  // namespace AppFolder
