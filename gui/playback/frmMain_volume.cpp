// Volume: the volume window and the quick soft-volume steps of the keyboard.
#include "gui/frmMain.h"
#include "gui/playback/StatusStrip.h"
#include "gui/playback/frmVolume.h"
#include "playback/PlayerController.h"
#include "playback/Vbmp3VolumeControl.h"
#include "playback/VolumeStep.h"

#include <QCoreApplication>
#include <QPointer>
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
    connect(dialog, &frmVolume::softVolumeChanged, this, [this] {
        if (sequence_)
            sequence_->NotifyVolume();
    });
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
    if (sequence_)
        sequence_->NotifyVolume();
}

void frmMain::ShowVolumeLabel() {
    Vbmp3VolumeControl control;
    picStatus->showVolume(VolumeStep::LabelText(control.SoftVolume()));
    tmrVolume->stop();  // two seconds from the last change
    tmrVolume->start();
}

void frmMain::WatchSoundDevice() {
    // The device reports from its own threads, possibly while the window goes away: the report
    // goes through the application object, and the window is looked for on the UI thread.
    QPointer<frmMain> window(this);
    SoundSystem::setStatusHandler([window] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [window] {
                if (window)
                    window->ShowSoundDeviceState(SoundSystem::status());
            },
            Qt::QueuedConnection);
    });
}

void frmMain::ShowSoundDeviceState(SoundSystem::Status status) {
    switch (status) {
    case SoundSystem::Status::Silent:
        picStatus->showSoundDevice(QStringLiteral("音声デバイスなし"));
        break;
    case SoundSystem::Status::Lost:
        picStatus->showSoundDevice(QStringLiteral("音声デバイス再接続中"));
        break;
    case SoundSystem::Status::Sound:
    case SoundSystem::Status::Closed:
        picStatus->hideSoundDevice();
        return;
    }
    if (status == SoundSystem::Status::Silent && !toldSilentDevice_) {
        toldSilentDevice_ = true;  // once a run: the strip keeps saying it
        Dialogs().message(
            QStringLiteral("音声デバイスが見つからないため、音を出さずに再生します。"),
            QStringLiteral("ZAPT"));
    }
}
