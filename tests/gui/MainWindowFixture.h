#pragma once

#include "gui/MainWindowDriver.h"
#include "gui/frmMain.h"
#include "support/FakeDialogs.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <functional>

// A loaded main window in a temporary application folder, with boxes answered by a fake.
class MainWindowFixture {
public:
    explicit MainWindowFixture(const std::function<void(clsOption&)>& settings = {},
                               const QString& startPath = QString()) {
        clsOption o;
        o.setPrimaryCurrentPath(0);
        o.setLastCurrentFolder(app.path());
        if (settings)
            settings(o);
        o.WriteOption(app.file(QStringLiteral("ZAopt.inf")));
        auto fake = std::make_unique<FakeDialogs>();
        dialogs = fake.get();
        form = std::make_unique<frmMain>(app.path(), startPath, std::move(fake));
        // A song has started when the command that starts it returns, however loaded the
        // machine; the opens that finish later have tests of their own.
        form->Opener().setWait(std::chrono::seconds(20));
        loaded = form->Form_Load();
    }
    ~MainWindowFixture() {
        if (form)
            form->ZAPT_End();
    }

    // Runs the event loop until `done` holds or `ms` pass; returns whether it held.
    static bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > ms)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }
    static void pump(int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    // Makes the window the active one, so focus and keys reach its controls.
    bool activate() {
        form->show();
        form->activateWindow();
        QApplication::setActiveWindow(form.get());
        return waitUntil([this] { return form->isActiveWindow(); }, 2000);
    }

    void setPlayList(const QStringList& paths) {
        form->PlayList.assign(paths);
        ui().RefreshPlayList();
    }
    // The window's controls and state, for the tests to drive.
    MainWindowDriver ui() const { return MainWindowDriver(*form); }

    TempDir app;
    FakeDialogs* dialogs = nullptr;
    std::unique_ptr<frmMain> form;
    bool loaded = false;
};
