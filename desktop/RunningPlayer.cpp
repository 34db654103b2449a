#include "RunningPlayer.h"

#include "core/FileAccess.h"
#include "desktop/MprisMapping.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QThread>
#include <sys/stat.h>

bool RunningPlayer::Open(const QString& absolutePath, std::chrono::milliseconds wait) {
    // A name that does not exist goes the usual way, so the start reports it as always. By the
    // path's bytes: the text of a name that is not UTF-8 names no file.
    struct stat st {};
    if (::stat(modZAUtil::NativePath(absolutePath).constData(), &st) != 0)
        return false;
    const QDBusConnection bus = QDBusConnection::sessionBus();
    const QString name = QStringLiteral("org.mpris.MediaPlayer2.zapt");
    if (!bus.isConnected())
        return false;
    QElapsedTimer waited;
    waited.start();
    while (!bus.interface()->isServiceRegistered(name).value()) {
        if (waited.elapsed() >= wait.count())
            return false;
        QThread::msleep(100);
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        name, QStringLiteral("/org/mpris/MediaPlayer2"),
        QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("OpenUri"));
    call << MprisMapping::FileUrl(absolutePath);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    return reply.type() == QDBusMessage::ReplyMessage;
}
