#include "ButtonBar.h"

#include "gui/widgets/CommandButton.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QIcon>
#include <array>

ButtonBar::ButtonBar(QWidget* parent, int buttonSize) : QWidget(parent), buttonSize_(buttonSize) {
    setAutoFillBackground(true);
    cmdPlay = makeButton("media-playback-start", QStringLiteral("play"));
    cmdPause = makeButton("media-playback-pause", QStringLiteral("pause"));
    cmdStop = makeButton("media-playback-stop", QStringLiteral("stop"));
    cmdListIndexUp = makeButton("media-skip-backward", QStringLiteral("previous"));
    cmdListIndexDown = makeButton("media-skip-forward", QStringLiteral("next"));
    cmdShuffle = makeButton("media-playlist-shuffle", QStringLiteral("shuffle"));
    cmdUpItem = makeButton("go-up", QStringLiteral("up"));
    cmdDownItem = makeButton("go-down", QStringLiteral("down"));
    cmdListClear = makeButton("edit-clear", QStringLiteral("clear"));
    cmdVolume = makeButton("audio-volume-high", QStringLiteral("volume"));
    cmdChangeFormSize = makeButton("view-restore", QStringLiteral("resize"));
    cmdSetDir = makeButton("folder-open", QStringLiteral("folder"));
    cmdGetFile = makeButton("document-import", QStringLiteral("getfile"));
    cmdAddFile = makeButton("list-add", QStringLiteral("addfile"));
    cmdSaveList = makeButton("document-save", QStringLiteral("save"));
    cmdGetList = makeButton("document-open", QStringLiteral("getlist"));
    cmdAddList = makeButton("document-open-recent", QStringLiteral("addlist"));
    cmdSearch = makeButton("edit-find", QStringLiteral("search"));
    cmdLyric = makeButton("format-justify-left", QStringLiteral("lyric"));
    cmdTagInfo = makeButton("document-properties", QStringLiteral("taginfo"));
    cmdOption = makeButton("preferences-system", QStringLiteral("option"));
    cmdHelp = makeButton("help-contents", QStringLiteral("help"));
    const std::array<QToolButton*, 22> order = {
        cmdPlay,    cmdPause,    cmdStop,      cmdListIndexUp, cmdListIndexDown,  cmdShuffle,
        cmdUpItem,  cmdDownItem, cmdListClear, cmdVolume,      cmdChangeFormSize, cmdSetDir,
        cmdGetFile, cmdAddFile,  cmdSaveList,  cmdGetList,     cmdAddList,        cmdSearch,
        cmdLyric,   cmdTagInfo,  cmdOption,    cmdHelp};
    for (size_t i = 0; i < order.size(); ++i)
        order[i]->move(2 + static_cast<int>(i % 11) * buttonSize_,
                       2 + static_cast<int>(i / 11) * buttonSize_);
    // The buttons show only icons: screen readers and tests know them by these names.
    const std::array<const char16_t*, 22> names = {
        u"再生",           u"一時停止",     u"停止",           u"前の曲",         u"次の曲",
        u"シャッフル",     u"上へ移動",     u"下へ移動",       u"クリア",         u"音量",
        u"サイズ切り替え", u"フォルダ選択", u"ファイルの取得", u"ファイルの追加", u"リストの保存",
        u"リストの取得",   u"リストの追加", u"検索",           u"歌詞",           u"ファイル情報",
        u"プレイヤー設定", u"ヘルプ"};
    for (size_t i = 0; i < order.size(); ++i)
        order[i]->setAccessibleName(QString::fromUtf16(names[i]));
    forEachTip(
        [](QToolButton* button, const QString& tip) { button->setAccessibleDescription(tip); });
    const std::pair<QToolButton*, Button> reported[] = {{cmdListIndexUp, Button::Previous},
                                                        {cmdListIndexDown, Button::Next},
                                                        {cmdShuffle, Button::Shuffle},
                                                        {cmdUpItem, Button::Up},
                                                        {cmdDownItem, Button::Down},
                                                        {cmdListClear, Button::Clear},
                                                        {cmdVolume, Button::Volume},
                                                        {cmdChangeFormSize, Button::FormSize},
                                                        {cmdSetDir, Button::SetDir},
                                                        {cmdGetFile, Button::GetFile},
                                                        {cmdAddFile, Button::AddFile},
                                                        {cmdSaveList, Button::SaveList},
                                                        {cmdGetList, Button::GetList},
                                                        {cmdAddList, Button::AddList},
                                                        {cmdSearch, Button::Search},
                                                        {cmdLyric, Button::Lyric},
                                                        {cmdTagInfo, Button::TagInfo},
                                                        {cmdOption, Button::Option},
                                                        {cmdHelp, Button::Help}};
    for (const auto& [button, id] : reported)
        connect(button, &QToolButton::clicked, this, [this, id = id] { Q_EMIT clicked(id); });
    for (QToolButton* button : {cmdPlay, cmdPause, cmdStop})
        connect(button, &QToolButton::pressed, this, &ButtonBar::commandPressed);
}

CommandButton* ButtonBar::makeButton(const char* themeIcon, const QString& resourceIcon) {
    auto* b = new CommandButton(this);
    const QIcon fallback(QStringLiteral(":/icons/") + resourceIcon + QStringLiteral(".png"));
    b->setIcon(QIcon::fromTheme(QString::fromLatin1(themeIcon), fallback));
    b->setIconSize(QSize(16, 16));
    b->setAutoRaise(false);
    b->setFocusPolicy(Qt::NoFocus);
    b->resize(buttonSize_, buttonSize_);
    return b;
}

void ButtonBar::setCommands(QAction* play, QAction* pause, QAction* stop) {
    cmdPlay->setCommand(play);
    cmdPause->setCommand(pause);
    cmdStop->setCommand(stop);
}

void ButtonBar::showToolTips() {
    forEachTip([](QToolButton* button, const QString& tip) { button->setToolTip(tip); });
}

void ButtonBar::setColors(const QColor& back, const QColor& fore, const QColor& buttonBack,
                          const QColor& buttonText) {
    modZAUtil::PaintWidget(this, back, fore);
    for (QToolButton* b : findChildren<QToolButton*>())
        modZAUtil::PaintWidget(b, buttonBack, buttonText);
}

// The buttons' tool tips, shown only when the setting asks for them; a screen reader always
// reads them as the buttons' descriptions.
void ButtonBar::forEachTip(const std::function<void(QToolButton*, const QString&)>& apply) {
    const std::pair<QToolButton*, const char16_t*> tips[] = {
        {cmdPlay, u"選択中の曲を再生します。"},
        {cmdStop, u"曲の再生を停止します。"},
        {cmdSaveList, u"現在のプレイリストをファイルに保存します。"},
        {cmdGetFile, u"カレントフォルダからプレイリストにファイルを取得します。"},
        {cmdAddFile, u"カレントフォルダからプレイリストにファイルを追加します。"},
        {cmdGetList, u"お気に入りリストからプレイリストにファイルを取得"},
        {cmdAddList, u"お気に入りリストからプレイリストにファイルを追加"},
        {cmdShuffle, u"プレイリストの並びをシャッフルします。"},
        {cmdListClear, u"プレイリストをクリアします。"},
        {cmdSetDir, u"フォルダ選択ダイアログを開きます。"},
        {cmdOption, u"プレイヤー設定ダイアログを開きます。"},
        {cmdLyric, u"歌詞を表示します。"},
        {cmdTagInfo, u"プロパティを表示します。"},
        {cmdListIndexUp, u"前の曲を再生します。"},
        {cmdListIndexDown, u"次の曲を再生します。"},
        {cmdChangeFormSize, u"ウィンドウのサイズを切り替えます。"},
        {cmdVolume, u"ボリュームを調整します。"},
        {cmdPause, u"曲の再生を一時停止します。"},
        {cmdHelp, u"ヘルプを表示します。"},
        {cmdSearch, u"プレイリスト内を検索します。"},
        {cmdUpItem, u"選択中の曲を1つ上に移動します。"},
        {cmdDownItem, u"選択中の曲を1つ下に移動します。"},
    };

    for (const auto& [button, tip] : tips)
        apply(button, QString::fromUtf16(tip));
}
