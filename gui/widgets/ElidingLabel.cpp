#include "ElidingLabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QTextDocument>

ElidingLabel::ElidingLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent), full_(text) {
    setTextFormat(Qt::PlainText);
}

void ElidingLabel::setElideMode(Qt::TextElideMode mode) {
    mode_ = mode;
    elide();
}

void ElidingLabel::setFullText(const QString& text) {
    full_ = text;
    if (mode_ == Qt::ElideNone)
        setText(text);
    else
        elide();
}

void ElidingLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void ElidingLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        elide();
}

void ElidingLabel::elide() {
    if (mode_ == Qt::ElideNone)
        return;
    setAccessibleName(full_);  // a screen reader reads the whole name
    setText(fontMetrics().elidedText(full_, mode_, std::max(0, contentsRect().width())));
}

QString PlainToolTip(const QString& text) {
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap) : text;
}
