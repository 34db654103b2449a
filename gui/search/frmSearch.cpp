#include "gui/search/frmSearch.h"

#include "core/modZAUtil.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

frmSearch::frmSearch(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("検索"));
    txtSearchWord = new QLineEdit(this);
    txtSearchWord->setAccessibleName(QStringLiteral("検索する語"));
    txtSearchWord->setMinimumWidth(220);
    fraSearchMode = new QGroupBox(QStringLiteral("検索オプション"), this);
    fraSearchMode->setAccessibleName(QStringLiteral("検索オプション"));
    optPerfect = new QRadioButton(QStringLiteral("完全一致"), fraSearchMode);
    optFront = new QRadioButton(QStringLiteral("前方一致"), fraSearchMode);
    optPart = new QRadioButton(QStringLiteral("部分一致"), fraSearchMode);
    auto* modes = new QHBoxLayout(fraSearchMode);
    for (QRadioButton* option : {optPerfect, optFront, optPart}) {
        option->setAccessibleName(option->text());
        modes->addWidget(option);
    }
    cmdInput = new QPushButton(QStringLiteral("検索"), this);
    cmdInput->setAccessibleName(QStringLiteral("検索"));
    cmdInput->setAutoDefault(false);  // Enter is the text box's, handled below

    auto* row = new QHBoxLayout;
    row->addWidget(txtSearchWord, 1);
    row->addWidget(cmdInput);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(fraSearchMode);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdInput, &QPushButton::clicked, this, &frmSearch::cmdInput_Click);
    txtSearchWord->installEventFilter(this);
    optPart->setChecked(true);
}

QString frmSearch::SearchWord() const {
    return confirmed_ ? txtSearchWord->text() : QString();
}

void frmSearch::setSearchWord(const QString& word) {
    txtSearchWord->setText(word);
}

int32_t frmSearch::SearchMode() const {
    return optPerfect->isChecked() ? 0 : optFront->isChecked() ? 1 : 2;
}

void frmSearch::setSearchMode(int32_t mode) {
    (mode == 0 ? optPerfect : mode == 1 ? optFront : optPart)->setChecked(true);
}

void frmSearch::cmdInput_Click() {
    confirmed_ = true;
    isCancel_ = false;
    accept();
}

void frmSearch::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmSearch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtSearchWord) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                cmdInput_Click();
                return true;
            }
        } else if (event->type() == QEvent::FocusIn) {
            // After the focus has settled, or the click that gave it would clear the selection.
            QTimer::singleShot(0, txtSearchWord,
                               [this] { modZAUtil::SelectAllText(txtSearchWord); });
        }
    }
    return QDialog::eventFilter(watched, event);
}
