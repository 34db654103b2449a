// The tray beside a StatusNotifierWatcher that owns its name on the session bus and never
// answers. Qt asks the watcher only on an X display, so this runs on a virtual one, on a
// session bus of its own (see CMakeLists.txt).
#include "MainWindowFixture.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Takes every call to the watcher and answers none, on a connection of its own so that the
// window's calls travel through the bus like anyone else's.
class SilentWatcher : public QDBusVirtualObject {
public:
    SilentWatcher() {
        owned = bus.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), this) &&
                bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
    }
    ~SilentWatcher() override {
        bus.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
        bus.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
        QDBusConnection::disconnectFromBus(bus.name());
    }
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage&, const QDBusConnection&) override { return true; }

    QDBusConnection bus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("silent"));
    bool owned = false;
};

// Generous: the point is that the window answers at all, not how fast.
constexpr qint64 kAnswerMs = 1000;

TEST(TrayHost, MinimisingBesideASilentWatcherReturnsAndKeepsTheWindowInTheTaskBar) {
    SilentWatcher watcher;
    ASSERT_TRUE(watcher.owned);
    MainWindowFixture f([](clsOption& o) { o.setTrayIcon(1); });
    frmMain& w = *f.form;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    QElapsedTimer minimising;
    minimising.start();
    w.setWindowState(w.windowState() | Qt::WindowMinimized);
    EXPECT_LT(minimising.elapsed(), kAnswerMs);
    MainWindowFixture::pump(100);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.isMinimized());
    EXPECT_FALSE(ui(w).TrayIconShown());
}

TEST(TrayHost, TheClickCheckBesideASilentWatcherAnswersAtOnce) {
    SilentWatcher watcher;
    ASSERT_TRUE(watcher.owned);
    QElapsedTimer asking;
    asking.start();
    EXPECT_FALSE(MainWindowDriver::TrayIsNotifierItem());
    EXPECT_LT(asking.elapsed(), kAnswerMs);
}

}  // namespace
