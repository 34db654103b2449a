// Settings: the options dialog as the main window runs it, and the about window.
#include "gui/BusyCursor.h"
#include "gui/frmMain.h"
#include "gui/frmVersion.h"
#include "gui/settings/frmOptions.h"
#include "lyrics/LyricIndex.h"

#include <QToolButton>

void frmMain::cmdOption_Click() {
    frmOptions dialog(Dialogs(), appFolder_, this);
    optionsWindow_ = &dialog;
    dialog.wkZaoption = &Options;
    dialog.MakeLyricList = [this](const QString& folder) {
        // A scan of a whole drive is asked first, as the main window's own scan does.
        if (!LyricFolderScanAllowed(folder))
            return;
        const BusyCursor busy;
        LyricIndex::WriteLyricList(folder, appFolder_, &Dialogs());
    };
    dialog.Initialize();
    dialog.adjustSize();
    // 300 twips right of and below the main window's corner, on the screen.
    const QPoint corner = frameGeometry().topLeft();
    dialog.move(corner + Units.toPixels(QPoint(300, 300)));
    KeepWindowOnScreen(&dialog);
    dialog.exec();
    const bool cancelled = dialog.IsCancel;
    optionsWindow_ = nullptr;
    repaint();
    if (cancelled || ended_)
        return;
    if (LyricWindow)
        LyricWindow->update();
    ApplyDisplayOptions();
    LyricList.Clear();
    LoadLyricList(Options.LyricFolder());
}

void frmMain::ShowVersionWindow() {
    SaveBeforeFirstRisk();  // the window loads the decoder modules to name their versions
    if (!versionWindow_)    // closed with OK, or never opened: made afresh
        versionWindow_ = new frmVersion(this);
    auto* window = static_cast<frmVersion*>(versionWindow_.data());
    window->version = frmVersion::BuildVersion();
    window->adjustSize();
    const QRect main = frameGeometry();
    window->move(main.left() + (main.width() - window->frameGeometry().width()) / 2,
                 main.top() + (main.height() - window->frameGeometry().height()) / 2);
    KeepWindowOnScreen(window);
    window->exec();
}
