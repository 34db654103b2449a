#pragma once

#include <QLabel>

// A one-line label for names and paths: its text is always plain (a name is never read as
// markup), and a text too long for the label is elided, again at every resize, so the part
// the user needs stays in view.
class ElidingLabel : public QLabel {
public:
    explicit ElidingLabel(const QString& text = QString(), QWidget* parent = nullptr);

    // Qt::ElideNone (the default) shows the text as set with setText.
    void setElideMode(Qt::TextElideMode mode);
    void setFullText(const QString& text);
    const QString& fullText() const { return full_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void elide();

    QString full_;
    Qt::TextElideMode mode_ = Qt::ElideNone;
};

// A tool tip that shows `text` as it is: Qt takes a tip that looks like markup for rich text,
// so such a text is handed over escaped.
QString PlainToolTip(const QString& text);
