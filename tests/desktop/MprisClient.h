#pragma once

#include "gui/desktop/frmMain_mpris.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QObject>
#include <QVariantMap>
#include <functional>

// A second connection to the session bus that talks to the player as a desktop would: its
// calls travel through the bus daemon, and the event loop runs while it waits, so the player
// in this very process answers.
class MprisClient : public QObject {
    Q_OBJECT
public:
    static inline const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
    static inline const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");

    using Pump = std::function<bool(const std::function<bool()>&)>;
    explicit MprisClient(Pump pump);
    ~MprisClient() override;

    QDBusMessage call(const QString& interface, const QString& method,
                      const QVariantList& args = {});
    // A method of the player interface.
    QDBusMessage invoke(const QString& method, const QVariantList& args = {}) {
        return call(kPlayer, method, args);
    }
    QVariant get(const QString& property, const QString& interface = kPlayer);
    QVariantMap metadata() { return qdbus_cast<QVariantMap>(get(QStringLiteral("Metadata"))); }
    bool set(const QString& property, const QVariant& value);
    bool playerOnBus() const;

    QDBusConnection bus;
    // When set, a call returns once this holds too (the player in this process has run the
    // command the call queued).
    std::function<bool()> settled;
    QList<QVariantMap> changes;  // PropertiesChanged of the player interface, in order
    QList<qlonglong> seeks;      // Seeked

private Q_SLOTS:
    void onChanged(const QString& interface, const QVariantMap& changed, const QStringList&);
    void onSeeked(qlonglong position) { seeks << position; }

private:
    Pump pump_;
};
