#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

class ClickLabel;
class ElidingLabel;
class QFrame;
class QLabel;

// The strip over the folder view: the folder shown, how many folders and files it holds, and
// the tabs of the three registered folders. UI thread only.
class FolderStatusPane : public QWidget {
    Q_OBJECT
    friend class MainWindowDriver;

public:
    explicit FolderStatusPane(QWidget* parent);

    void setFolder(const QString& path);
    void setCounts(int32_t folders, int32_t files);
    // A registered folder's tab; an empty name hides it.
    void setEntryFolder(int index, const QString& name);
    // Places the counts at the right edge and the tabs in the width there is.
    void arrange();
    void setColors(const QColor& back, const QColor& fore);
    void setLabelsTransparent();

Q_SIGNALS:
    void entryFolderClicked(int index);

private:
    ElidingLabel* lblFolderViewCurrentFolder = nullptr;
    QLabel* lblFolderCount = nullptr;
    QLabel* lblFolder = nullptr;
    QLabel* lblFileCount = nullptr;
    QLabel* lblFile = nullptr;
    std::array<ClickLabel*, 3> lblEntryFolder{};
    std::array<QFrame*, 3> shpEntryFolder{};
};
