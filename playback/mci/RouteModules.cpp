#include "RouteModules.h"

#include "ModuleImage.h"
#include "RouteModule.h"
#include "core/Logging.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <mutex>

namespace {

struct Module {
    const char* fileName;
    std::once_flag loaded;
    ZaptRouteOpen open = nullptr;
    ZaptRouteVersion version = nullptr;
    ZaptRouteTags tags = nullptr;
};

// Loaded libraries belong to the process whatever holds them, so this table does too; the
// modules are never unloaded, as sources made by them may outlive any holder.
Module& moduleFor(RouteModules::Route route) {
    static Module ffmpeg{"zapt_ffmpeg.so", {}, nullptr, nullptr, nullptr};
    static Module midi{"zapt_midi.so", {}, nullptr, nullptr, nullptr};
    return route == RouteModules::Route::Ffmpeg ? ffmpeg : midi;
}

Module& loaded(RouteModules::Route route) {
    Module& module = moduleFor(route);
    std::call_once(module.loaded, [&module] {
        const QString name = QString::fromLatin1(module.fileName);
        for (const QString& folder : RouteModules::folders()) {
            const QString file = QDir(folder).filePath(name);
            if (!QFileInfo(file).isFile())
                continue;
            // The first copy found decides: a damaged one leaves its files unplayable rather
            // than letting a copy from elsewhere stand in for it unnoticed.
            const ModuleImage::Fault fault = ModuleImage::check(file);
            if (fault != ModuleImage::Fault::None) {
                qCWarning(lcAudio, "%s is damaged (%s); its files cannot be played",
                          qPrintable(file), ModuleImage::describe(fault));
                return;
            }
            QLibrary library(file);
            if (!library.load()) {
                qCWarning(lcAudio, "%s; its files cannot be played",
                          qPrintable(library.errorString()));
                return;
            }
            module.open = reinterpret_cast<ZaptRouteOpen>(library.resolve(kZaptRouteOpen));
            module.version = reinterpret_cast<ZaptRouteVersion>(library.resolve(kZaptRouteVersion));
            module.tags = reinterpret_cast<ZaptRouteTags>(library.resolve(kZaptRouteTags));
            if (!module.open || !module.version) {
                module.open = nullptr;
                module.version = nullptr;
                qCWarning(lcAudio, "%s is not a decoder module; its files cannot be played",
                          qPrintable(file));
            }
            return;
        }
        qCWarning(lcAudio, "%s was not found; its files cannot be played", module.fileName);
    });
    return module;
}

}  // namespace

QStringList RouteModules::folders() {
    QStringList folders;
    const QString chosen = qEnvironmentVariable("ZAPT_MODULE_DIR");
    if (!chosen.isEmpty())
        folders << chosen;
    // /proc/self/exe rather than the application object, which a program may not have.
    const QString exeFolder =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
    folders << QDir(exeFolder).filePath(QStringLiteral(ZAPT_INSTALLED_MODULE_DIR));
    folders << QStringLiteral(ZAPT_BUILD_MODULE_DIR);
    return folders;
}

std::unique_ptr<PcmSource> RouteModules::open(Route route, const QString& path) {
    const Module& module = loaded(route);
    return std::unique_ptr<PcmSource>(module.open ? module.open(&path) : nullptr);
}

QStringList RouteModules::tags(Route route, const QString& path) {
    const Module& module = loaded(route);
    QStringList fields;
    if (!module.open || !module.tags || !module.tags(&path, &fields))
        fields.clear();
    return fields;
}

QString RouteModules::version(Route route) {
    const Module& module = loaded(route);
    return module.version ? QString::fromUtf8(module.version()) : QString();
}
