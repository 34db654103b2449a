#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <system_error>

// A temporary folder for one test, with small helpers to make files in it.
class TempDir {
public:
    // By bytes, so names that are not UTF-8 (which QDir cannot name) go too.
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(QFile::encodeName(dir_.path()).toStdString(), ignored);
    }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    QString mkdir(const QString& name) const {
        QDir(dir_.path()).mkpath(name);
        return dir_.filePath(name);
    }
    QString write(const QString& name, const QByteArray& bytes) const {
        const QString p = dir_.filePath(name);
        QDir().mkpath(QFileInfo(p).path());
        QFile f(p);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return p;
    }
    QByteArray read(const QString& name) const {
        QFile f(dir_.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
};
