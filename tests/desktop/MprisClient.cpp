#include "MprisClient.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>

namespace {
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
}  // namespace

MprisClient::MprisClient(Pump pump)
    : bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                        QStringLiteral("mpris-test-client"))),
      pump_(std::move(pump)) {
    const QString name = MprisService::BusName();
    bus.connect(name, kPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                SLOT(onChanged(QString, QVariantMap, QStringList)));
    bus.connect(name, kPath, kPlayer, QStringLiteral("Seeked"), this, SLOT(onSeeked(qlonglong)));
}

MprisClient::~MprisClient() {
    QDBusConnection::disconnectFromBus(QStringLiteral("mpris-test-client"));
}

QDBusMessage MprisClient::call(const QString& interface, const QString& method,
                               const QVariantList& args) {
    QDBusMessage m =
        QDBusMessage::createMethodCall(MprisService::BusName(), kPath, interface, method);
    m.setArguments(args);
    QDBusPendingCall pending = bus.asyncCall(m);
    pump_([&] { return pending.isFinished() && (!settled || settled()); });
    return pending.reply();
}

QVariant MprisClient::get(const QString& property, const QString& interface) {
    const QDBusMessage reply = call(kProperties, QStringLiteral("Get"), {interface, property});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

bool MprisClient::set(const QString& property, const QVariant& value) {
    return call(kProperties, QStringLiteral("Set"),
                {kPlayer, property, QVariant::fromValue(QDBusVariant(value))})
               .type() == QDBusMessage::ReplyMessage;
}

bool MprisClient::playerOnBus() const {
    return bus.interface()->isServiceRegistered(MprisService::BusName()).value();
}

void MprisClient::onChanged(const QString& interface, const QVariantMap& changed,
                            const QStringList&) {
    if (interface == kPlayer)
        changes << changed;
}
