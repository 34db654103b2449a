// The notification-area icon that holds the minimised player.
#include "gui/frmMain.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QWindow>
#include <chrono>

namespace {

using namespace std::chrono_literals;

// What the StatusNotifierWatcher of the session bus said when first asked.
enum class NotifierWatcher { HostRegistered, NoHost, Silent };

// Long enough for any watcher that answers at all; short enough not to be felt on minimising.
constexpr std::chrono::milliseconds kWatcherAnswerTime = 300ms;

// Asked once per run on the UI thread. "NoHost" also covers no watcher and no session bus: then
// Qt's own check asks nothing that could hang, and an XEmbed tray may still be there.
NotifierWatcher AskNotifierWatcher() {
    static const NotifierWatcher answer = [] {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return NotifierWatcher::NoHost;
        const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
        QDBusMessage get = QDBusMessage::createMethodCall(
            watcher, QStringLiteral("/StatusNotifierWatcher"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << watcher << QStringLiteral("IsStatusNotifierHostRegistered");
        const QDBusMessage reply =
            bus.call(get, QDBus::Block, static_cast<int>(kWatcherAnswerTime.count()));
        if (reply.type() == QDBusMessage::ReplyMessage)
            return reply.arguments().value(0).value<QDBusVariant>().variant().toBool()
                       ? NotifierWatcher::HostRegistered
                       : NotifierWatcher::NoHost;
        const QDBusError::ErrorType error = QDBusError(reply).type();
        return error == QDBusError::NoReply || error == QDBusError::Timeout
                   ? NotifierWatcher::Silent
                   : NotifierWatcher::NoHost;
    }();
    return answer;
}

}  // namespace

void frmMain::SetTrayIcon(const QString& mode) {
    const bool add = mode == QStringLiteral("ADD");
    if (mode == QStringLiteral("DELETE")) {
        if (TrayIcon)
            TrayIcon->hide();
        return;
    }
    if (!add && (mode != QStringLiteral("MODIFY") || !TrayIcon))
        return;  // nothing to update before the icon exists
    if (!TrayIcon) {
        TrayIcon = new QSystemTrayIcon(this);
        connect(TrayIcon, &QSystemTrayIcon::activated, this, &frmMain::TrayIcon_Activated);
    }
    // The tip is the caption at this moment, as the icon's record is built afresh each time.
    TrayIcon->setIcon(windowIcon());
    TrayIcon->setToolTip(windowTitle());
    if (add)
        TrayIcon->show();
}

bool frmMain::TrayHostAvailable() {
    // Without an answer Qt's check, and even building a QSystemTrayIcon, would wait for the
    // watcher in its turn: no tray then, and no icon is ever made.
    return AskNotifierWatcher() != NotifierWatcher::Silent &&
           QSystemTrayIcon::isSystemTrayAvailable();
}

bool frmMain::TrayIsNotifierItem() {
    // Qt shows the icon as a StatusNotifierItem exactly when a host has registered with the
    // watcher; otherwise it docks into an XEmbed tray.
    return AskNotifierWatcher() == NotifierWatcher::HostRegistered;
}

void frmMain::TrayIcon_Activated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        // A StatusNotifierItem host reports a click, never a double-click: there the click is
        // the only way back.
        if (!TrayClickRestores())
            break;
        [[fallthrough]];
    case QSystemTrayIcon::DoubleClick:
        // The window system still holds the window as minimised (see MinimizeToTray).
        if (windowHandle())
            windowHandle()->setWindowStates(windowState() & ~Qt::WindowMinimized);
        show();
        raise();
        activateWindow();
        SetTrayIcon(QStringLiteral("DELETE"));
        TrayIconShown = false;
        break;
    case QSystemTrayIcon::Context:
        mnuZAPT->popup(QCursor::pos());
        break;
    default:
        break;  // a movement over the icon does nothing
    }
}

bool frmMain::MinimizeToTray() {
    // Without a tray the icon could never be double-clicked: the window stays minimised in the
    // task bar instead of hiding where nothing brings it back.
    if (Options.TrayIcon() == 0 || TrayIconShown || !TrayAvailable())
        return false;
    SetTrayIcon(QStringLiteral("ADD"));
    TrayIconShown = true;
    hide();
    // It comes back normal-sized. Only the widget's own record changes: setWindowState would
    // have the window system restore (and so show) the window it has just hidden.
    overrideWindowState(windowState() & ~Qt::WindowMinimized);
    return true;
}
