#include "playback/SoundSettingsLauncher.h"

#include <QProcess>
#include <QStandardPaths>

SoundSettingsLauncher::SoundSettingsLauncher()
    : SoundSettingsLauncher(
          [](const QString& program) { return QStandardPaths::findExecutable(program); },
          [](const QString& program, const QStringList& arguments) {
              return QProcess::startDetached(program, arguments);
          }) {}

SoundSettingsLauncher::SoundSettingsLauncher(Finder finder, Starter starter)
    : finder_(std::move(finder)), starter_(std::move(starter)) {}

const std::vector<SoundSettingsLauncher::Command>& SoundSettingsLauncher::Candidates() {
    static const std::vector<Command> candidates{
        {QStringLiteral("pavucontrol"), {}},
        {QStringLiteral("gnome-control-center"), {QStringLiteral("sound")}},
        {QStringLiteral("systemsettings"), {QStringLiteral("kcm_pulseaudio")}},
    };
    return candidates;
}

bool SoundSettingsLauncher::Launch() const {
    for (const Command& candidate : Candidates()) {
        const QString path = finder_(candidate.program);
        if (!path.isEmpty())
            return starter_(path, candidate.arguments);
    }
    return false;
}
