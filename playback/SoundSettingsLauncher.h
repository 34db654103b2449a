#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Opens the desktop's sound settings: the first installed of the known mixer programs, started
// detached and never through a shell. Finding and starting are replaceable so the choice can
// be checked without starting anything.
class SoundSettingsLauncher {
public:
    struct Command {
        QString program;
        QStringList arguments;
    };
    // Full path of an installed program, or "" when it is not found.
    using Finder = std::function<QString(const QString& program)>;
    using Starter = std::function<bool(const QString& program, const QStringList& arguments)>;

    SoundSettingsLauncher();  // PATH look-up, QProcess::startDetached
    SoundSettingsLauncher(Finder finder, Starter starter);

    // pavucontrol, then "gnome-control-center sound", then "systemsettings kcm_pulseaudio".
    static const std::vector<Command>& Candidates();

    // Starts the first candidate found; false when none is installed or it would not start.
    bool Launch() const;

private:
    Finder finder_;
    Starter starter_;
};
