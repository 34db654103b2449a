#pragma once

#include <QDialog>
#include <cstdint>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The search window: a word and how it must match. The main window runs it modally and reads
// the answer; the window itself searches nothing.
class frmSearch : public QDialog {
    Q_OBJECT
public:
    explicit frmSearch(QWidget* parent = nullptr);

    // The typed word once the search button was used; "" after a cancel.
    QString SearchWord() const;
    void setSearchWord(const QString& word);
    // 0 perfect, 1 front, 2 part match.
    int32_t SearchMode() const;
    void setSearchMode(int32_t mode);  // anything but 0 or 1 selects the part match
    bool IsCancel() const { return isCancel_; }

    QLineEdit* txtSearchWord = nullptr;
    QGroupBox* fraSearchMode = nullptr;
    QRadioButton* optPerfect = nullptr;
    QRadioButton* optFront = nullptr;
    QRadioButton* optPart = nullptr;
    QPushButton* cmdInput = nullptr;

    void cmdInput_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool confirmed_ = false;
    bool isCancel_ = true;
};
