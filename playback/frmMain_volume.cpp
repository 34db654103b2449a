// Volume: the volume window and the quick soft-volume steps of the keyboard.
#include "app/frmMain.h"
#include "playback/Vbmp3VolumeControl.h"
#include "playback/VolumeStep.h"
#include "playback/frmVolume.h"

#include <QToolButton>

void frmMain::cmdVolume_Click() {
    if (volumeWindow_) {  // one volume window at a time: a second click brings it forward
        volumeWindow_->raise();
        volumeWindow_->activateWindow();
        return;
    }
    auto* dialog = new frmVolume(this);
    volumeWindow_ = dialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &frmVolume::soundSettingsUnavailable, this,
            [this] { ShowNoOpenerMessage(QStringLiteral("サウンド設定")); });
    dialog->adjustSize();
    const QRect main = frameGeometry();
    dialog->move((main.width() - dialog->width()) / 2 + main.left(),
                 (main.height() - dialog->height()) / 2 + main.top());
    KeepWindowOnScreen(dialog);
    dialog->show();  // modeless: the player stays usable
}

void frmMain::ChangeSoftVolume(int32_t step) {
    Vbmp3VolumeControl control;
    VolumeStep::ChangeSoftVolume(control, step);
}

void frmMain::ShowVolumeLabel() {
    Vbmp3VolumeControl control;
    lblVolume->setText(VolumeStep::LabelText(control.SoftVolume()));
    lblVolume->show();
    lblVolume->raise();
    tmrVolume->stop();  // two seconds from the last change
    tmrVolume->start();
}
