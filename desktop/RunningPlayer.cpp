#include "RunningPlayer.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>
#include <QUrl>

bool RunningPlayer::Open(const QString& absolutePath) {
    // A name that does not exist goes the usual way, so the start reports it as always.
    if (!QFileInfo::exists(absolutePath))
        return false;
    const QDBusConnection bus = QDBusConnection::sessionBus();
    const QString name = QStringLiteral("org.mpris.MediaPlayer2.zapt");
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(name).value())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        name, QStringLiteral("/org/mpris/MediaPlayer2"),
        QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("OpenUri"));
    call << QUrl::fromLocalFile(absolutePath).toString(QUrl::FullyEncoded);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    return reply.type() == QDBusMessage::ReplyMessage;
}
