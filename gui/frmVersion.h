#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about window: the program's icon, name and version, the year it first appeared, and the
// versions of the libraries it runs with. OK closes it for good; Escape only hides it, and the
// main window shows the same window again at the next request.
class frmVersion : public QDialog {
    Q_OBJECT
public:
    explicit frmVersion(QWidget* parent = nullptr);

    // The version shown; set before the window is shown.
    QString version;
    // The version the build gives the program.
    static QString BuildVersion();

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersionTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblSince = nullptr;
    QLabel* lblLibraries = nullptr;
    QPushButton* cmdOK = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
