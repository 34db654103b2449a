#include "gui/settings/frmOptions.h"

#include "core/modZAUtil.h"
#include "gui/BusyCursor.h"
#include "gui/LayoutMath.h"
#include "gui/widgets/ListBox.h"
#include "gui/widgets/WidgetHelpers.h"
#include "library/FileCollector.h"
#include "settings/OptionRules.h"
#include "settings/SchemeColor.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <cstring>

using namespace modZAUtil;

namespace {

// The colour buttons by their row and column on the page: the part of the player and whether
// the colour is its background or its text.
struct ColorRow {
    const char16_t* part;
    int background;  // PlayerColor index, or -1
    int text;
};
constexpr ColorRow kColorRows[] = {
    {u"本体", 0, -1},        {u"ボタン", 1, -1},          {u"プレイリスト", 3, 4},
    {u"お気に入り", 15, 16}, {u"フォルダビュー", 17, 18}, {u"フォルダステータス", 13, 11},
    {u"ステータス", 5, 6},   {u"現在時刻", -1, 10},       {u"再生時刻", -1, 12},
    {u"停止時刻", -1, 14},   {u"シークバー", 19, 20},     {u"歌詞", 2, 9},
    {u"タグ情報", 7, 8},
};

// One box a GetFileType bit, in bit order.
const QString kFileTypeNames[] = {
    QStringLiteral(".mp3"),         QStringLiteral(".wma"),        QStringLiteral(".wav"),
    QStringLiteral(".mid"),         QStringLiteral(".flac"),       QStringLiteral(".ogg"),
    QStringLiteral(".opus"),        QStringLiteral(".m4a / .aac"), QStringLiteral(".ape"),
    QStringLiteral(".wv"),          QStringLiteral(".tta"),        QStringLiteral(".tak"),
    QStringLiteral(".aiff"),        QStringLiteral(".mp2"),        QStringLiteral(".dsf / .dff"),
    QStringLiteral(".mka / .webm"), QStringLiteral(".ac3"),
};
static_assert(std::size(kFileTypeNames) == FileCollector::kFileTypeCount &&
              std::tuple_size_v<decltype(frmOptions::chkGetFileType)> ==
                  FileCollector::kFileTypeCount);

template <typename T> T* named(T* control, const QString& name) {
    control->setAccessibleName(name);
    return control;
}

QCheckBox* checkBox(const QString& caption, QWidget* parent) {
    return named(new QCheckBox(caption, parent), caption);
}

void setTip(QWidget* control, const QString& tip) {
    control->setToolTip(tip);
    control->setAccessibleDescription(tip);
}

int16_t value(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

}  // namespace

frmOptions::frmOptions(UserDialogs& dialogs, const QString& applicationFolder, QWidget* parent)
    : QDialog(parent), Patterns(applicationFolder), dialogs_(dialogs) {
    setWindowTitle(QStringLiteral("プレイヤー設定"));
    setModal(true);
    sstOption = named(new QTabWidget(this), QStringLiteral("設定のページ"));
    sstOption->addTab(buildBehaviourPage(), QStringLiteral("動作"));
    sstOption->addTab(buildFolderPage(), QStringLiteral("フォルダ"));
    sstOption->addTab(buildColorPage(), QStringLiteral("インターフェイス"));

    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("OK"));
    cmdCancel =
        named(new QPushButton(QStringLiteral("キャンセル"), this), QStringLiteral("キャンセル"));
    cmdOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sstOption);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* frmOptions::buildBehaviourPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    chkBlank = checkBox(QStringLiteral("曲と曲の間に無音を挿入"), page);
    lblMuon = new QLabel(QStringLiteral("無音時間（秒）"), page);
    txtBlank = named(new QLineEdit(page), QStringLiteral("無音時間（秒）"));
    txtBlank->setMaximumWidth(48);
    updBlank = named(new QScrollBar(Qt::Vertical, page), QStringLiteral("無音時間の増減"));
    updBlank->setRange(0, OptionRules::kBlankStepMaximum);
    updBlank->setInvertedAppearance(true);  // the upper arrow counts up
    updBlank->setFixedSize(16, txtBlank->sizeHint().height());
    auto* blankRow = new QHBoxLayout;
    blankRow->addWidget(chkBlank);
    blankRow->addStretch();
    blankRow->addWidget(lblMuon);
    blankRow->addWidget(txtBlank);
    blankRow->addWidget(updBlank);
    blankRow->setSpacing(2);
    grid->addLayout(blankRow, 0, 0, 1, 2);

    fraFirstAction = named(new QGroupBox(QStringLiteral("ZAPT 起動時の動作"), page),
                           QStringLiteral("ZAPT 起動時の動作"));
    auto* first = new QHBoxLayout(fraFirstAction);
    const QString firstCaptions[] = {QStringLiteral("ファイル取得"), QStringLiteral("シャッフル"),
                                     QStringLiteral("再生")};
    for (int i = 0; i < 3; ++i)
        first->addWidget(chkFirstAction[i] = checkBox(firstCaptions[i], fraFirstAction));
    first->addWidget(chkResume = checkBox(QStringLiteral("続きから"), fraFirstAction));
    setTip(chkResume, QStringLiteral("終了時に演奏中だった曲を、その位置から再生します。"));
    grid->addWidget(fraFirstAction, 1, 0);

    fraSetDirAction = named(new QGroupBox(QStringLiteral("フォルダ選択後の動作"), page),
                            QStringLiteral("フォルダ選択後の動作"));
    setTip(fraSetDirAction, QStringLiteral("フォルダ選択ダイアログでフォルダを選択した後の動作"));
    auto* dir = new QGridLayout(fraSetDirAction);
    const QString dirCaptions[] = {QStringLiteral("何もしない"), QStringLiteral("ファイル取得"),
                                   QStringLiteral("ファイル追加")};
    for (int i = 0; i < 3; ++i) {
        optSetDirAction[i] =
            named(new QRadioButton(dirCaptions[i], fraSetDirAction), dirCaptions[i]);
        dir->addWidget(optSetDirAction[i], 0, i);
        // Toggled, not clicked: a screen reader turns a button on without clicking it.
        connect(optSetDirAction[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (!on)
                return;
            chkSetDirActionP->setEnabled(i != 0);
            chkSetDirActionS->setEnabled(i != 0);
        });
    }
    chkSetDirActionP = checkBox(QStringLiteral("再生"), fraSetDirAction);
    chkSetDirActionS = checkBox(QStringLiteral("シャッフル"), fraSetDirAction);
    dir->addWidget(chkSetDirActionP, 1, 1);
    dir->addWidget(chkSetDirActionS, 1, 2);
    grid->addWidget(fraSetDirAction, 1, 1);

    fraGetFileType = named(new QGroupBox(QStringLiteral("取得するファイル形式"), page),
                           QStringLiteral("取得するファイル形式"));
    auto* types = new QGridLayout(fraGetFileType);
    for (int i = 0; i < int(chkGetFileType.size()); ++i) {
        chkGetFileType[i] = checkBox(kFileTypeNames[i], fraGetFileType);
        types->addWidget(chkGetFileType[i], i / 6, i % 6);
    }
    grid->addWidget(fraGetFileType, 2, 0, 1, 2);

    chkTimerShuffle = checkBox(QStringLiteral("タイマー再生開始前にシャッフル"), page);
    chkTimerSave = checkBox(QStringLiteral("タイマー時刻設定を保存"), page);
    chkTimerStopMode = checkBox(QStringLiteral("停止時刻になっても曲の終わりまで演奏"), page);
    chkDispLyric = checkBox(QStringLiteral("再生時に自動で歌詞を表示"), page);
    chkVagueSearch = checkBox(QStringLiteral("歌詞ファイルのあいまい検索"), page);
    chkTrayIcon = checkBox(QStringLiteral("最小化時にタスクトレイにアイコンを表示"), page);
    chkAutoSmallWindow = checkBox(QStringLiteral("再生時にウィンドウを小型化"), page);
    chkToolTipText = checkBox(QStringLiteral("ツールチップテキストを表示（再起動後に有効）"), page);
    setTip(chkToolTipText, QStringLiteral("再起動後有効"));
    chkIgnoreWord = checkBox(QStringLiteral("除外ワードを有効にする"), page);
    setTip(chkIgnoreWord, QStringLiteral("\"ZAigw.txt\"に定義したファイルを無視します。"));
    const QCheckBox* boxes[] = {chkTimerShuffle,    chkTimerSave,   chkTimerStopMode,
                                chkDispLyric,       chkVagueSearch, chkTrayIcon,
                                chkAutoSmallWindow, chkToolTipText, chkIgnoreWord};
    int row = 3;
    for (const QCheckBox* box : boxes)
        grid->addWidget(const_cast<QCheckBox*>(box), row++, 0, 1, 2);

    lblUnmarkedText = new QLabel(QStringLiteral("文字コード指定のないタグ"), page);
    cboUnmarkedText = named(new QComboBox(page), lblUnmarkedText->text());
    lblUnmarkedText->setBuddy(cboUnmarkedText);
    cboUnmarkedText->addItems({QStringLiteral("自動"), QStringLiteral("日本語 (Shift_JIS)"),
                               QStringLiteral("西欧 (Windows-1252)")});
    setTip(cboUnmarkedText, QStringLiteral("ID3v1 などの文字コードを持たないタグの読み方です。"
                                           "「西欧」では化けた日本語の修復もしません。"));
    auto* unmarkedRow = new QHBoxLayout;
    unmarkedRow->addWidget(lblUnmarkedText);
    unmarkedRow->addWidget(cboUnmarkedText);
    unmarkedRow->addStretch();
    grid->addLayout(unmarkedRow, row++, 0, 1, 2);

    fraReplayGain = named(new QGroupBox(QStringLiteral("リプレイゲイン"), page),
                          QStringLiteral("リプレイゲイン"));
    auto* gain = new QHBoxLayout(fraReplayGain);
    cboGainMode = named(new QComboBox(fraReplayGain), QStringLiteral("リプレイゲイン"));
    cboGainMode->addItems({QStringLiteral("アルバム（シャッフル時は曲）"), QStringLiteral("曲"),
                           QStringLiteral("アルバム"), QStringLiteral("使わない")});
    setTip(cboGainMode, QStringLiteral("タグの音量補正値のどれを使うかです。ランダム再生中は"
                                       "「シャッフル時」にあたります。"));
    auto* lblPreamp = new QLabel(QStringLiteral("プリアンプ"), fraReplayGain);
    updPreamp = named(new QDoubleSpinBox(fraReplayGain), lblPreamp->text());
    lblPreamp->setBuddy(updPreamp);
    updPreamp->setRange(-15.0, 15.0);
    updPreamp->setDecimals(1);
    updPreamp->setSingleStep(0.5);
    updPreamp->setSuffix(QStringLiteral(" dB"));
    chkPreventClipping = checkBox(QStringLiteral("ピーク値で音割れを防ぐ"), fraReplayGain);
    gain->addWidget(cboGainMode);
    gain->addWidget(lblPreamp);
    gain->addWidget(updPreamp);
    gain->addWidget(chkPreventClipping);
    gain->addStretch();
    grid->addWidget(fraReplayGain, row, 0, 1, 2);

    // Ticked by a click, a key or a screen reader alike; loading the settings sets the
    // box's text after its tick.
    connect(chkBlank, &QCheckBox::toggled, this, [this](bool ticked) {
        enableBlankControls(ticked);
        if (ticked)
            txtBlank->setText(QStringLiteral("2"));
    });
    connect(updBlank, &QScrollBar::valueChanged, this,
            [this](int v) { txtBlank->setText(QString::number(v)); });
    connect(txtBlank, &QLineEdit::textChanged, this, [this](const QString& text) {
        const QSignalBlocker quiet(updBlank);  // the arrows count on from what the box holds
        bool ok = false;
        const double v = text.toDouble(&ok);
        updBlank->setValue(ok && v > 0 ? static_cast<int>(std::min(v, 10.0)) : 0);
    });
    txtBlank->installEventFilter(this);
    return page;
}

QWidget* frmOptions::buildFolderPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    const QString rows[] = {QStringLiteral("登録フォルダ １"), QStringLiteral("登録フォルダ ２"),
                            QStringLiteral("登録フォルダ ３")};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(new QLabel(rows[i], page), i * 2, 0);
        txtEntryPath[i] = named(new QLineEdit(page), rows[i]);
        txtEntryPath[i]->setMinimumWidth(280);
        cmdGetEntryPath[i] = named(new QPushButton(QStringLiteral("参照"), page),
                                   rows[i] + QStringLiteral("の参照"));
        grid->addWidget(txtEntryPath[i], i * 2, 1);
        grid->addWidget(cmdGetEntryPath[i], i * 2, 2);
        grid->addWidget(new QLabel(QStringLiteral("名称："), page), i * 2 + 1, 0, Qt::AlignRight);
        txtEntryPathName[i] = named(new QLineEdit(page), rows[i] + QStringLiteral("の名称"));
        grid->addWidget(txtEntryPathName[i], i * 2 + 1, 1);
        connect(cmdGetEntryPath[i], &QPushButton::clicked, this,
                [this, i] { cmdGetEntryPath_Click(i); });
    }

    fraPrimarySetPath = named(new QGroupBox(QStringLiteral("起動時のカレントフォルダ"), page),
                              QStringLiteral("起動時のカレントフォルダ"));
    auto* primary = new QHBoxLayout(fraPrimarySetPath);
    const QString primaryCaptions[] = {QStringLiteral("前回終了時のフォルダ"),
                                       QStringLiteral("登録フォルダ１")};
    for (int i = 0; i < 2; ++i)
        primary->addWidget(
            optPrimaryCurrentPath[i] =
                named(new QRadioButton(primaryCaptions[i], fraPrimarySetPath), primaryCaptions[i]));
    grid->addWidget(fraPrimarySetPath, 6, 0, 1, 3);

    grid->addWidget(new QLabel(QStringLiteral("歌詞フォルダ"), page), 7, 0);
    txtLyricFolder = named(new QLineEdit(page), QStringLiteral("歌詞フォルダ"));
    cmdSetLyricFolder =
        named(new QPushButton(QStringLiteral("参照"), page), QStringLiteral("歌詞フォルダの参照"));
    grid->addWidget(txtLyricFolder, 7, 1);
    grid->addWidget(cmdSetLyricFolder, 7, 2);
    chkSerchMode = checkBox(QStringLiteral("サブフォルダのファイルを取得"), page);
    chkMakeLyricListAuto = checkBox(QStringLiteral("歌詞ファイルのリストを自動で作成"), page);
    setTip(chkMakeLyricListAuto, QStringLiteral("通常チェックを外す必要はありません。"));
    cmdMakeLyricList = named(new QPushButton(QStringLiteral("歌詞ファイルリスト作成"), page),
                             QStringLiteral("歌詞ファイルリスト作成"));
    setTip(cmdMakeLyricList, QStringLiteral("歌詞ファイルのリスト作成が手動の場合で、歌詞ファイル"
                                            "の構成に変更があった場合に実行してください。"));
    grid->addWidget(chkSerchMode, 8, 0, 1, 3);
    grid->addWidget(chkMakeLyricListAuto, 9, 0, 1, 2);
    grid->addWidget(cmdMakeLyricList, 9, 2);
    grid->setRowStretch(10, 1);

    connect(cmdSetLyricFolder, &QPushButton::clicked, this, &frmOptions::cmdSetLyricFolder_Click);
    connect(cmdMakeLyricList, &QPushButton::clicked, this, &frmOptions::cmdMakeLyricList_Click);
    for (QLineEdit* box : {txtEntryPath[0], txtEntryPath[1], txtEntryPath[2], txtEntryPathName[0],
                           txtEntryPathName[1], txtEntryPathName[2], txtLyricFolder})
        box->installEventFilter(this);
    return page;
}

QWidget* frmOptions::buildColorPage() {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    fraColor = named(new QGroupBox(QStringLiteral("色の設定"), page), QStringLiteral("色の設定"));
    auto* grid = new QGridLayout(fraColor);
    grid->addWidget(new QLabel(QStringLiteral("背景"), fraColor), 0, 1, Qt::AlignCenter);
    grid->addWidget(new QLabel(QStringLiteral("文字"), fraColor), 0, 2, Qt::AlignCenter);
    int row = 1;
    for (const ColorRow& r : kColorRows) {
        const QString part = QString::fromUtf16(r.part);
        grid->addWidget(new QLabel(part, fraColor), row, 0);
        for (int column = 0; column < 2; ++column) {
            const int index = column == 0 ? r.background : r.text;
            if (index < 0)
                continue;
            auto* button =
                named(new QPushButton(fraColor),
                      part + (column == 0 ? QStringLiteral("の背景") : QStringLiteral("の文字")));
            button->setFixedSize(40, 16);
            button->setAutoDefault(false);
            cmdSetColor[index] = button;
            grid->addWidget(button, row, column + 1);
            connect(button, &QPushButton::clicked, this,
                    [this, index] { cmdSetColor_Click(index); });
        }
        ++row;
    }
    grid->setRowStretch(row, 1);  // the rows keep together at the top
    layout->addWidget(fraColor);

    auto* side = new QVBoxLayout;
    cmdSetDefaultColor = named(new QPushButton(QStringLiteral("デフォルトに戻す"), page),
                               QStringLiteral("デフォルトに戻す"));
    cmdSaveColorPattern = named(new QPushButton(QStringLiteral("色の設定を保存"), page),
                                QStringLiteral("色の設定を保存"));
    lstColorPatternList = named(new ListBox(page), QStringLiteral("保存した色の設定"));
    lstColorPatternList->setAccessibleDescription(
        QStringLiteral("ダブルクリックで読み込み、Delete キーで削除します。"));
    side->addWidget(cmdSetDefaultColor);
    side->addWidget(cmdSaveColorPattern);
    side->addWidget(lstColorPatternList, 1);
    layout->addLayout(side);

    connect(cmdSetDefaultColor, &QPushButton::clicked, this, &frmOptions::cmdSetDefaultColor_Click);
    connect(cmdSaveColorPattern, &QPushButton::clicked, this,
            &frmOptions::cmdSaveColorPattern_Click);
    connect(lstColorPatternList, &ListBox::rowDoubleClicked, this,
            &frmOptions::lstColorPatternList_DblClick);
    connect(lstColorPatternList, &ListBox::keyDown, this,
            [this](int key, Qt::KeyboardModifiers) { lstColorPatternList_KeyDown(key); });
    return page;
}

void frmOptions::Initialize() {
    LoadControls();
    LoadColorPatternNames();
    ShowColorPatternNames();
    if (wkZaoption)
        sstOption->setCurrentIndex(std::clamp<int>(wkZaoption->OptionTab(), 0, 2));
}

void frmOptions::LoadControls() {
    if (!wkZaoption)
        return;
    const clsOption& o = *wkZaoption;
    const bool blank = o.BlankTime() > std::chrono::milliseconds(0);
    chkBlank->setChecked(blank);
    txtBlank->setText(blank ? OptionRules::BlankText(o.BlankTime()) : QStringLiteral("0"));
    enableBlankControls(blank);

    for (int i = 0; i < 3; ++i)
        chkFirstAction[i]->setChecked(o.FirstAction() & (1 << i));
    const int16_t dirAction = o.SetCurrentPathAction();
    const int chosen = (dirAction & 3) == 0 ? 0 : (dirAction & 1) ? 1 : 2;
    optSetDirAction[chosen]->setChecked(true);
    chkSetDirActionP->setChecked(chosen != 0 && (dirAction & 4));
    chkSetDirActionS->setChecked(chosen != 0 && (dirAction & 8));
    chkSetDirActionP->setEnabled(chosen != 0);
    chkSetDirActionS->setEnabled(chosen != 0);
    for (int i = 0; i < int(chkGetFileType.size()); ++i)
        chkGetFileType[i]->setChecked(o.GetFileType() & (1 << i));

    chkTimerShuffle->setChecked(o.TimerShuffleFlg() != 0);
    chkTimerSave->setChecked(o.TimerSaveFlg() != 0);
    chkTimerStopMode->setChecked(o.TimerStopMode() != 1);
    chkDispLyric->setChecked(o.DispLyricFlg() != 0);
    chkVagueSearch->setChecked(o.VagueSearch() != 0);
    chkTrayIcon->setChecked(o.TrayIcon() != 0);
    chkAutoSmallWindow->setChecked(o.AutoSmallWindow() != 0);
    chkToolTipText->setChecked(o.ToolTipText() != 0);
    chkIgnoreWord->setChecked(o.IgnoreWord() != 0);
    cboUnmarkedText->setCurrentIndex(static_cast<int>(o.UnmarkedText()));
    chkResume->setChecked(o.Resume());
    cboGainMode->setCurrentIndex(static_cast<int>(o.GainMode()));
    updPreamp->setValue(o.PreampDb());
    chkPreventClipping->setChecked(o.PreventClipping());

    for (int16_t i = 0; i < 3; ++i) {
        txtEntryPath[i]->setText(o.EntryPath(i));
        txtEntryPathName[i]->setText(o.EntryPathName(i));
    }
    optPrimaryCurrentPath[o.PrimaryCurrentPath() != 0 ? 1 : 0]->setChecked(true);
    txtLyricFolder->setText(o.LyricFolder());
    chkSerchMode->setChecked(o.GetSubFolder() != 0);
    chkMakeLyricListAuto->setChecked(o.MakeLyricListAuto() != 0);

    for (int i = 0; i < ColorPattern::kColorCount; ++i)
        setButtonColor(i, o.PlayerColor(static_cast<int16_t>(i)));
}

void frmOptions::SaveControls() {
    if (!wkZaoption)
        return;
    clsOption& o = *wkZaoption;
    o.setOptionTab(static_cast<int16_t>(sstOption->currentIndex()));
    o.setBlankTime(chkBlank->isChecked()
                       ? OptionRules::BlankTime(txtBlank->text()).value_or(o.BlankTime())
                       : std::chrono::milliseconds(0));
    o.setTimerShuffleFlg(value(chkTimerShuffle));
    const int chosen = optSetDirAction[2]->isChecked()   ? 2
                       : optSetDirAction[1]->isChecked() ? 1
                                                         : 0;
    o.setSetCurrentPathAction(OptionRules::SetDirAction(chosen, chkSetDirActionP->isChecked(),
                                                        chkSetDirActionS->isChecked()));
    o.setPrimaryCurrentPath(optPrimaryCurrentPath[1]->isChecked() ? -1 : 0);
    o.setTimerSaveFlg(value(chkTimerSave));
    o.setTrayIcon(value(chkTrayIcon));
    o.setAutoSmallWindow(value(chkAutoSmallWindow));
    int16_t first = 0;
    for (int i = 0; i < 3; ++i)
        first = static_cast<int16_t>(first + (value(chkFirstAction[i]) << i));
    o.setFirstAction(first);
    int32_t types = 0;
    for (int i = 0; i < int(chkGetFileType.size()); ++i)
        types |= value(chkGetFileType[i]) << i;
    o.setGetFileType(types);
    o.setVagueSearch(value(chkVagueSearch));
    for (int16_t i = 0; i < 3; ++i)
        o.setEntryPathName(i, txtEntryPathName[i]->text());
    o.setTimerStopMode(chkTimerStopMode->isChecked() ? 0 : 1);
    o.setDispLyricFlg(value(chkDispLyric));
    o.setSearchMode(value(chkSerchMode));
    o.setToolTipText(value(chkToolTipText));
    o.setIgnoreWord(value(chkIgnoreWord));
    o.setUnmarkedText(static_cast<UnmarkedText>(cboUnmarkedText->currentIndex()));
    o.setResume(chkResume->isChecked());
    o.setGainMode(static_cast<GainMode>(cboGainMode->currentIndex()));
    o.setPreampDb(updPreamp->value());
    o.setPreventClipping(chkPreventClipping->isChecked());
    o.setMakeLyricListAuto(value(chkMakeLyricListAuto));
    o.setLyricFolder(txtLyricFolder->text());
    for (int16_t i = 0; i < 3; ++i)
        o.setEntryPath(i, txtEntryPath[i]->text());
    for (int i = 0; i < ColorPattern::kColorCount; ++i)
        o.setPlayerColor(static_cast<int16_t>(i), buttonColors_[i]);
}

void frmOptions::showEvent(QShowEvent* event) {
    IsCancel = true;
    enableBlankControls(chkBlank->isChecked());
    QDialog::showEvent(event);
}

void frmOptions::enableBlankControls(bool on) {
    txtBlank->setEnabled(on);
    lblMuon->setEnabled(on);
    updBlank->setEnabled(on);
}

void frmOptions::keyPressEvent(QKeyEvent* event) {
    // The tab control turns its pages itself while one of its controls has the focus; the
    // buttons below it pass the key on to here.
    if (event->key() == Qt::Key_Tab && (event->modifiers() & Qt::ControlModifier)) {
        sstOption->setCurrentIndex((sstOption->currentIndex() + 1) % sstOption->count());
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && watched != txtBlank) {
        // After the click that gave the focus has placed the cursor.
        auto* box = static_cast<QLineEdit*>(watched);
        QTimer::singleShot(0, box, [box] { SelectAllText(box); });
    } else if (watched == txtBlank && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            txtBlank->setText(OptionRules::BlankStep(txtBlank->text(), key == Qt::Key_Up));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmOptions::refuse(const QString& text, QLineEdit* box) {
    const QRect frame = frameGeometry();
    dialogs_.placeNext(LayoutMath::CenterOver(frame, {200, 67}));
    dialogs_.message(text, QStringLiteral("ZAPT"));
    box->setFocus();
    box->selectAll();
}

void frmOptions::cmdOK_Click() {
    bool tooLarge = false;
    {
        const BusyCursor busy;
        tooLarge = OptionRules::FolderLargerThan(txtLyricFolder->text());
    }
    if (tooLarge) {
        refuse(QStringLiteral(
                   "歌詞フォルダ内のファイルサイズ合計が大きすぎます。再設定してください。"),
               txtLyricFolder);
        return;
    }
    if (chkBlank->isChecked() && !OptionRules::BlankTime(txtBlank->text())) {
        sstOption->setCurrentIndex(0);
        refuse(QStringLiteral("無音時間（秒）には 0 から 32 までの数値を入力してください。"),
               txtBlank);
        return;
    }
    IsCancel = false;
    SaveControls();
    accept();
}

void frmOptions::setButtonColor(int index, int32_t color) {
    buttonColors_.at(index) = color;
    const QColor shown = SchemeColor::ToQColor(color, QApplication::palette());
    cmdSetColor[index]->setStyleSheet(
        QStringLiteral("background-color: %1; border: 1px solid gray;").arg(shown.name()));
}

void frmOptions::cmdSetColor_Click(int index) {
    const int32_t chosen = PickColor(dialogs_);
    if (chosen != -1)
        setButtonColor(index, chosen);
}

void frmOptions::cmdSetDefaultColor_Click() {
    if (!wkZaoption)
        return;
    wkZaoption->InitializePlayerColor();  // at once, not only on OK
    for (int i = 0; i < ColorPattern::kColorCount; ++i)
        setButtonColor(i, wkZaoption->PlayerColor(static_cast<int16_t>(i)));
}

void frmOptions::cmdSaveColorPattern_Click() {
    QString name;
    if (!dialogs_.input(QStringLiteral("色の設定の名前を入力してください。"),
                        QStringLiteral("カラー設定ファイルの保存"), QString(), name) ||
        name.isEmpty())
        return;
    const QString path = Patterns.PathForName(name);
    if (path.isEmpty()) {
        dialogs_.message(kWriteErrorText, QStringLiteral("ERROR"));
        return;
    }
    const bool existed = QFileInfo::exists(path);
    if (existed &&
        dialogs_.message(
            QStringLiteral("同名のカラー設定ファイルが既に存在します。上書きしますか？"),
            QStringLiteral("上書き確認"), UserDialogs::YesNo, UserDialogs::No) != UserDialogs::Yes)
        return;
    ColorPattern::Colors colors{};
    std::copy(buttonColors_.begin(), buttonColors_.end(), colors.begin());
    QDir().mkpath(Patterns.Folder());
    if (!ColorPattern::WriteColorPattern(path, colors)) {
        dialogs_.message(kWriteErrorText, QStringLiteral("ERROR"));
        return;
    }
    if (!existed && !Patterns.ColorPatternFiles.ExistValue(path)) {
        Patterns.ColorPatternFiles.Add(path);
        ShowColorPatternNames();
    }
}

void frmOptions::LoadColorPatternNames() {
    Patterns.LoadColorPatternNames();
}

void frmOptions::ShowColorPatternNames() {
    lstColorPatternList->setEntries(Patterns.ColorPatternFiles.items(), &ColorPattern::NameOf);
}

void frmOptions::lstColorPatternList_DblClick() {
    const int row = lstColorPatternList->listIndex();
    if (Patterns.ColorPatternFiles.Count() == 0 || row < 0)
        return;
    if (!ColorPattern::ReadColorPattern(Patterns.ColorPatternFiles.Value(row), ArrayColor)) {
        dialogs_.message(QStringLiteral("カラー設定ファイルを読み込めません。\n") +
                             Patterns.ColorPatternFiles.Value(row),
                         QStringLiteral("ZAPT"));
        return;
    }
    for (int i = 0; i < ColorPattern::kColorCount; ++i)
        setButtonColor(i, ArrayColor[i]);
}

void frmOptions::lstColorPatternList_KeyDown(int key) {
    const int row = lstColorPatternList->listIndex();
    if (key != Qt::Key_Delete || Patterns.ColorPatternFiles.Count() == 0 || row < 0)
        return;
    lstColorPatternList->swallowKey();
    if (dialogs_.message(
            QStringLiteral("選択されたカラー設定ファイルを削除します。よろしいですか？"),
            QStringLiteral("カラー設定ファイルの削除"), UserDialogs::OkCancel) != UserDialogs::Ok)
        return;
    if (!Patterns.DeleteEntry(row)) {
        const int error = errno;
        if (error != ENOENT) {  // the file stays, and so does its row
            dialogs_.message(GetFileName(Patterns.ColorPatternFiles.Value(row)).chopped(4) +
                                 QStringLiteral("を削除できません。\n") +
                                 QString::fromLocal8Bit(std::strerror(error)),
                             QStringLiteral("カラー設定ファイルの削除"));
            return;
        }
        Patterns.ColorPatternFiles.Delete(row);  // already gone: only its row is left
    }
    ShowColorPatternNames();
    lstColorPatternList->setListIndex(
        ColorPattern::SelectionAfterDelete(row, Patterns.ColorPatternFiles.Count()));
}

void frmOptions::cmdGetEntryPath_Click(int index) {
    if (!wkZaoption)
        return;
    const auto i = static_cast<int16_t>(index);
    const QString before = wkZaoption->EntryPath(i);
    const QString chosen = BrowseForFolder(before, dialogs_);
    wkZaoption->setEntryPath(i, chosen);  // at once: Cancel of the dialog keeps it
    if (chosen.isEmpty()) {
        wkZaoption->setEntryPath(i, before);
    } else {
        txtEntryPath[index]->setText(chosen);
        txtEntryPathName[index]->setText(GetFileName(chosen));
    }
    txtEntryPathName[index]->setFocus();
}

void frmOptions::cmdSetLyricFolder_Click() {
    if (!wkZaoption)
        return;
    const QString before = wkZaoption->LyricFolder();
    const QString chosen = BrowseForFolder(before, dialogs_);
    wkZaoption->setLyricFolder(chosen);
    if (chosen.isEmpty())
        wkZaoption->setLyricFolder(before);
    else
        txtLyricFolder->setText(chosen);
}

void frmOptions::cmdMakeLyricList_Click() {
    // The caller asks before a long scan and shows the busy cursor while it runs.
    if (!txtLyricFolder->text().isEmpty() && MakeLyricList)
        MakeLyricList(txtLyricFolder->text());
}
