#include "CommandLine.h"

#include "frmVersion.h"

#include <QCommandLineParser>

namespace {

struct RemoteOption {
    const char* name;
    const char* method;
    const char* description;
};

constexpr RemoteOption kRemoteOptions[] = {
    {"play-pause", "PlayPause", "再生中のプレーヤーを再生または一時停止します。"},
    {"stop", "Stop", "再生中のプレーヤーを停止します。"},
    {"next", "Next", "再生中のプレーヤーで次の曲を再生します。"},
    {"previous", "Previous", "再生中のプレーヤーで前の曲を再生します。"},
};

// Options the toolkit takes out of the arguments itself once it starts.
constexpr const char* kToolkitOptions[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qmljsdebugger",
    "qwindowgeometry", "qwindowicon", "qwindowtitle", "reverse", "session", "display",
    "geometry", "title", "name", "visual", "ncols", "cmap", "nograb", "dograb", "sync", "style",
    "stylesheet", "widgetcount", "graphicssystem", "fontengine"};

bool isToolkitOption(const QString& name) {
    for (const char* option : kToolkitOptions)
        if (name == QLatin1String(option))
            return true;
    return false;
}

// The first argument that is no option, as the parser reads them: after "--" every argument
// is one. None of the player's options takes a value.
int firstPositional(const QStringList& arguments) {
    bool optionsEnded = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (!optionsEnded && a == QLatin1String("--"))
            optionsEnded = true;
        else if (optionsEnded || !a.startsWith(u'-') || a.size() == 1)
            return i;
    }
    return -1;
}

}  // namespace

CommandLine CommandLine::Parse(const QStringList& arguments, bool strict) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("ZAPT: プレイリストで音楽を再生します。\n"
                       "path: フォルダ、再生できるファイル、または .m3u ファイル"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    for (const RemoteOption& r : kRemoteOptions)
        parser.addOption(
            QCommandLineOption(QString::fromLatin1(r.name), QString::fromUtf8(r.description)));
    parser.addPositionalArgument(QStringLiteral("path"),
                                 QStringLiteral("再生するフォルダ、ファイル、または .m3u ファイル"),
                                 QStringLiteral("[path]"));

    // "-platform" is one option, as the toolkit reads it, not eight letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);

    CommandLine result;
    parser.parse(arguments);
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        result.action = Action::PrintHelp;
        // Printed before the toolkit starts, when it cannot name the program yet.
        result.text = parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                QStringLiteral("zapt"));
        return result;
    }
    if (parser.isSet(version)) {
        result.action = Action::PrintVersion;
        result.text = QStringLiteral("zapt ") + frmVersion::BuildVersion() + u'\n';
        return result;
    }
    for (const QString& unknown : parser.unknownOptionNames()) {
        if (strict || !isToolkitOption(unknown)) {
            result.action = Action::Refuse;
            result.text = QStringLiteral("zapt: unknown option '%1'\n").arg(unknown);
            return result;
        }
    }
    for (const RemoteOption& r : kRemoteOptions) {
        if (parser.isSet(QString::fromLatin1(r.name))) {
            result.action = Action::Remote;
            result.remoteMethod = QString::fromLatin1(r.method);
            return result;
        }
    }
    result.startPathIndex = firstPositional(arguments);
    return result;
}
