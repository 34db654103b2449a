// The notification-area icon that holds the minimised player.
#include "app/frmMain.h"

#include <QCursor>
#include <QDBusInterface>
#include <QWindow>

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

bool frmMain::TrayIsNotifierItem() {
    // Qt shows the icon as a StatusNotifierItem exactly when a host has registered with the
    // watcher; otherwise it docks into an XEmbed tray.
    QDBusInterface watcher(QStringLiteral("org.kde.StatusNotifierWatcher"),
                           QStringLiteral("/StatusNotifierWatcher"),
                           QStringLiteral("org.kde.StatusNotifierWatcher"));
    return watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool();
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
