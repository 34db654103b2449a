#pragma once

#include "core/UserDialogs.h"
#include "settings/ColorPattern.h"
#include "settings/clsOption.h"

#include <QDialog>
#include <array>
#include <functional>

class ListBox;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;

// The options dialog: three pages of settings, filled from the option store it is given and
// written back to it on OK. The browse buttons write their folder into the store at once; the
// colour page edits copies of the scheme until OK. Modal; the main window places and runs it.
class frmOptions : public QDialog {
    Q_OBJECT
public:
    frmOptions(UserDialogs& dialogs, const QString& applicationFolder, QWidget* parent = nullptr);

    clsOption* wkZaoption = nullptr;  // the store being edited; set before Initialize
    bool IsCancel = true;             // false only once OK has saved
    ColorPattern::Colors ArrayColor{};
    ColorPattern Patterns;  // its ColorPatternFiles back the pattern list

    // Writes the lyric index file for a folder; the main window supplies it.
    std::function<void(const QString& lyricFolder)> MakeLyricList;

    void Initialize();
    void LoadControls();
    void SaveControls();
    void LoadColorPatternNames();
    void ShowColorPatternNames();
    int32_t ButtonColor(int index) const { return buttonColors_.at(index); }

    void cmdOK_Click();
    void cmdSetColor_Click(int index);
    void cmdSetDefaultColor_Click();
    void cmdSaveColorPattern_Click();
    void lstColorPatternList_DblClick();
    void lstColorPatternList_KeyDown(int key);
    void cmdGetEntryPath_Click(int index);
    void cmdSetLyricFolder_Click();
    void cmdMakeLyricList_Click();

    // Controls, by page.
    QTabWidget* sstOption = nullptr;
    QCheckBox* chkBlank = nullptr;
    QLineEdit* txtBlank = nullptr;
    QScrollBar* updBlank = nullptr;
    QLabel* lblMuon = nullptr;
    QGroupBox* fraFirstAction = nullptr;
    std::array<QCheckBox*, 3> chkFirstAction{};
    QGroupBox* fraSetDirAction = nullptr;
    std::array<QRadioButton*, 3> optSetDirAction{};
    QCheckBox* chkSetDirActionP = nullptr;
    QCheckBox* chkSetDirActionS = nullptr;
    QGroupBox* fraGetFileType = nullptr;
    std::array<QCheckBox*, 17> chkGetFileType{};
    QCheckBox* chkTimerShuffle = nullptr;
    QCheckBox* chkTimerSave = nullptr;
    QCheckBox* chkTimerStopMode = nullptr;
    QCheckBox* chkDispLyric = nullptr;
    QCheckBox* chkVagueSearch = nullptr;
    QCheckBox* chkTrayIcon = nullptr;
    QCheckBox* chkAutoSmallWindow = nullptr;
    QCheckBox* chkToolTipText = nullptr;
    QCheckBox* chkIgnoreWord = nullptr;
    QLabel* lblUnmarkedText = nullptr;
    QComboBox* cboUnmarkedText = nullptr;  // rows in the order of UnmarkedText
    QCheckBox* chkResume = nullptr;        // play at start takes up the last song where it was
    QGroupBox* fraReplayGain = nullptr;
    QComboBox* cboGainMode = nullptr;  // rows in the order of GainMode
    QDoubleSpinBox* updPreamp = nullptr;
    QCheckBox* chkPreventClipping = nullptr;

    std::array<QLineEdit*, 3> txtEntryPath{};
    std::array<QLineEdit*, 3> txtEntryPathName{};
    std::array<QPushButton*, 3> cmdGetEntryPath{};
    QGroupBox* fraPrimarySetPath = nullptr;
    std::array<QRadioButton*, 2> optPrimaryCurrentPath{};
    QLineEdit* txtLyricFolder = nullptr;
    QPushButton* cmdSetLyricFolder = nullptr;
    QCheckBox* chkSerchMode = nullptr;
    QCheckBox* chkMakeLyricListAuto = nullptr;
    QPushButton* cmdMakeLyricList = nullptr;

    QGroupBox* fraColor = nullptr;
    std::array<QPushButton*, ColorPattern::kColorCount> cmdSetColor{};
    QPushButton* cmdSetDefaultColor = nullptr;
    QPushButton* cmdSaveColorPattern = nullptr;
    ListBox* lstColorPatternList = nullptr;

    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildBehaviourPage();
    QWidget* buildFolderPage();
    QWidget* buildColorPage();
    void setButtonColor(int index, int32_t color);
    void enableBlankControls(bool on);
    // Shows a refusal centred over the dialog and gives `box` the focus with its text selected.
    void refuse(const QString& text, QLineEdit* box);

    UserDialogs& dialogs_;
    std::array<int32_t, ColorPattern::kColorCount> buttonColors_{};
};
