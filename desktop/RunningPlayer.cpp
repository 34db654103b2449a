#include "RunningPlayer.h"

#include "core/FileAccess.h"
#include "desktop/MprisMapping.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QThread>
#include <sys/stat.h>

namespace {

const QString kName = QStringLiteral("org.mpris.MediaPlayer2.zapt");

bool call(const QDBusConnection& bus, const QString& method, const QVariantList& arguments) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(kName, QStringLiteral("/org/mpris/MediaPlayer2"),
                                       QStringLiteral("org.mpris.MediaPlayer2.Player"), method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, 10000).type() == QDBusMessage::ReplyMessage;
}

}  // namespace

bool RunningPlayer::Command(const QString& method) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered(kName).value() &&
           call(bus, method, {});
}

bool RunningPlayer::Open(const QString& absolutePath, std::chrono::milliseconds wait) {
    // A name that does not exist goes the usual way, so this start reports it itself. By the
    // path's bytes: the text of a name that is not UTF-8 names no file.
    struct stat st {};
    if (::stat(modZAUtil::NativePath(absolutePath).constData(), &st) != 0)
        return false;
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QElapsedTimer waited;
    waited.start();
    while (!bus.interface()->isServiceRegistered(kName).value()) {
        if (waited.elapsed() >= wait.count())
            return false;
        QThread::msleep(100);
    }
    return call(bus, QStringLiteral("OpenUri"), {MprisMapping::FileUrl(absolutePath)});
}
