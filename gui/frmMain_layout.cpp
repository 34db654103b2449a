// The main window's layout: the two size modes, row snapping, the folder-view status bar, the
// status strip, and placing other windows over this one.
#include "LayoutMath.h"
#include "frmMain.h"
#include "gui/library/FavoritesPane.h"
#include "gui/library/FolderStatusPane.h"
#include "gui/playback/StatusStrip.h"

#include <QFrame>
#include <QGuiApplication>
#include <QResizeEvent>
#include <QScreen>
#include <QWindow>
#include <functional>

using namespace LayoutMath;

// The window manager draws its frame outside the client area and may tell its size late, or
// never; the stored sizes are therefore the client's (NonClientWidth/Height stay 0), so a saved
// size comes back exactly whatever the frame.
QSize frmMain::OuterSize() const {
    return {width() + NonClientWidth, height() + NonClientHeight};
}

void frmMain::SetOuterSize(QSize outer) {
    resize(std::max(1, outer.width() - NonClientWidth),
           std::max(1, outer.height() - NonClientHeight));
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!SizingByCode)
        LayoutMainWindow();
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !SizingByCode)
        LayoutMainWindow();
}

void frmMain::LayoutMainWindow() {
    if (isMinimized()) {
        MinimizeToTray();
        return;
    }

    const bool normal = Options.FormStatus() == 1;
    const QSize minOuter = Units.toPixelsRounded(normal ? kMinTwipsNormal : kMinTwipsMini);
    const QSize minClient(std::max(1, minOuter.width() - NonClientWidth),
                          std::max(1, minOuter.height() - NonClientHeight));
    setMinimumSize(minClient);
    if (!isMaximized() && (width() < minClient.width() || height() < minClient.height())) {
        const bool was = SizingByCode;
        SizingByCode = true;
        resize(std::max(width(), minClient.width()), std::max(height(), minClient.height()));
        SizingByCode = was;
    }

    const int16_t clientWidth = Clamp16(width());
    const int16_t clientHeight = Clamp16(height());
    if (normal)
        LayoutNormal(clientWidth, clientHeight);
    else
        LayoutMini(clientWidth, clientHeight);

    if (isMaximized())
        return;
    const QSize outer = OuterSize();
    const int16_t w = Clamp16(outer.width());
    const int16_t h = Clamp16(outer.height());
    if (normal) {
        Options.setFormWidthNormal(w);
        Options.setFormHeightNormal(h);
    } else {
        Options.setFormWidthMini(w);
        Options.setFormHeightMini(h);
    }
}

LayoutMath::FixedHeights frmMain::fixedHeights() const {
    return {picStatus->height(), picButton->height(), picFolderViewStatus->height()};
}

void frmMain::LayoutMini(int16_t clientWidth, int16_t clientHeight) {
    picFavorites->hide();
    picFolderViewStatus->hide();
    lstFolderView->hide();
    const MainRects r = LayoutMath::LayoutMini(clientWidth, clientHeight, fixedHeights());
    picStatus->setGeometry(r.status);
    lstPlayList->setGeometry(r.playList);
    picButton->setGeometry(r.button);
    ArrangeStatusBar();
}

void frmMain::LayoutNormal(int16_t clientWidth, int16_t clientHeight) {
    picFavorites->show();
    picFolderViewStatus->show();
    lstFolderView->show();
    const MainRects r = LayoutMath::LayoutNormal(clientWidth, clientHeight, fixedHeights());
    picStatus->setGeometry(r.status);
    lstPlayList->setGeometry(r.playList);
    picButton->setGeometry(r.button);
    picFavorites->setGeometry(r.favoriteList);
    picFavorites->arrange();
    picFolderViewStatus->setGeometry(r.folderViewStatus);
    lstFolderView->setGeometry(r.folderView);
    ArrangeStatusBar();
    LayoutFolderViewStatus();
}

void frmMain::LayoutFolderViewStatus() {
    picFolderViewStatus->arrange();
}

void frmMain::ArrangeStatusBar() {
    picStatus->arrange(SeekTotalSeconds());
}

void frmMain::cmdChangeFormSize_Click() {
    if (Options.FormStatus() == 1) {
        Options.setFormStatus(0);
        if (!isMaximized()) {
            SizingByCode = true;
            setMinimumSize(1, 1);
            SetOuterSize({Options.FormWidthMini(), Options.FormHeightMini()});
        }
    } else {
        Options.setFormStatus(1);
        if (!isMaximized()) {
            SizingByCode = true;
            SetOuterSize({Options.FormWidthNormal(), Options.FormHeightNormal()});
        }
    }
    if (!isMaximized())
        KeepWindowOnScreen(this);  // the larger mode may reach past the screen's edge
    SizingByCode = false;
    LayoutMainWindow();
    lstPlayList->setFocus();
}

namespace {
// Fits a window once more when the window system first reports its frame (title bar and
// borders), which it learns only after the window is shown. UI thread.
class FitWhenFramed : public QObject {
public:
    FitWhenFramed(QWidget* window, std::function<void()> fit)
        : QObject(window), fit_(std::move(fit)) {
        setObjectName(QStringLiteral("fitWhenFramed"));
        window->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Move && event->type() != QEvent::Resize)
            return false;
        const QWindow* handle = static_cast<QWidget*>(watched)->windowHandle();
        if (!handle || handle->frameMargins().isNull())
            return false;
        watched->removeEventFilter(this);
        // Not inside the window system's own move: once it is done.
        QMetaObject::invokeMethod(
            this,
            [this] {
                fit_();
                deleteLater();
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    std::function<void()> fit_;
};
}  // namespace

// A window larger than the screen's free area (a settings file may ask for anything) is made to
// fit it first; then it is moved onto the screen it mostly lies on, or the primary one. Before
// the window system knows its frame, the window is fitted again when it does.
void frmMain::KeepWindowOnScreen(QWidget* window) {
    if (!window)
        return;
    if (const QWindow* handle = window->windowHandle();
        window->isWindow() && (!handle || handle->frameMargins().isNull()) &&
        !window->findChild<QObject*>(QStringLiteral("fitWhenFramed"), Qt::FindDirectChildrenOnly))
        new FitWhenFramed(window, [this, window] { KeepWindowOnScreen(window); });
    const QScreen* screen = QGuiApplication::screenAt(window->frameGeometry().center());
    if (!screen)
        screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    if (!window->isMaximized() && !window->isFullScreen()) {
        const QSize frameExtra = window->frameGeometry().size() - window->size();
        const QSize fit =
            window->size().boundedTo(area.size() - frameExtra).expandedTo(QSize(1, 1));
        if (fit != window->size()) {
            const bool was = SizingByCode;
            SizingByCode = SizingByCode || window == this;  // the caller lays out afterwards
            window->resize(fit);
            SizingByCode = was;
        }
    }
    const QRect frame = window->frameGeometry();
    // Not past where a stored twips position reaches, as when places were worked out in twips.
    window->move(area.topLeft() + LayoutMath::KeepWindowOnScreen(frame.topLeft() - area.topLeft(),
                                                                 frame.size(), area.size(),
                                                                 Units.maxPixels16()));
}
