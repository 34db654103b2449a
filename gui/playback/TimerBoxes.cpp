#include "gui/playback/TimerBoxes.h"

#include "gui/playback/StatusStrip.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>

using namespace modZAUtil;

namespace {

// As wide as two digits in its font, plus the line edit's own margins (2 pixels a side) and the
// cursor: a wider text would be scrolled against the colon instead of centred like "--".
QLineEdit* makeBox(QWidget* parent, const QString& accessibleName) {
    auto* t = new QLineEdit(PlayTimer::kUnsetText, parent);
    t->setAccessibleName(accessibleName);
    t->setMaxLength(2);
    t->setFrame(false);
    t->setAlignment(Qt::AlignCenter);
    t->setTextMargins(0, 0, 0, 0);
    QFont f = t->font();
    f.setPixelSize(11);
    t->setFont(f);
    const QFontMetrics m(f);
    const int text = std::max(m.horizontalAdvance(QStringLiteral("00")),
                              m.horizontalAdvance(PlayTimer::kUnsetText));
    t->setGeometry(0, 0, text + 2 * 2 + 1, 14);
    return t;
}

// One time: a panel holding hour, colon and minute side by side.
QWidget* makeTime(QWidget* parent, QLineEdit*& hour, QLabel*& colon, QLineEdit*& minute,
                  const QString& hourName, const QString& minuteName) {
    auto* panel = new QWidget(parent);
    panel->setGeometry(0, 17, 38, 14);
    panel->setAutoFillBackground(true);
    hour = makeBox(panel, hourName);
    colon = MakeLabel(panel, QStringLiteral(":"), {17, 0, 4, 14});
    minute = makeBox(panel, minuteName);
    colon->move(hour->geometry().right() + 1, 0);
    minute->move(colon->geometry().right() + 1, 0);
    panel->resize(minute->geometry().right() + 1, panel->height());
    return panel;
}

}  // namespace

TimerBoxes::TimerBoxes(StatusStrip* strip) : QObject(strip) {
    picStartTime = makeTime(strip, txtStartH, txtColon[0], txtStartM, QStringLiteral("開始時"),
                            QStringLiteral("開始分"));
    picEndTime = makeTime(strip, txtEndH, txtColon[1], txtEndM, QStringLiteral("停止時"),
                          QStringLiteral("停止分"));
    boxes_ = {txtStartH, txtStartM, txtEndH, txtEndM};
    txtStartH->setEnabled(false);  // enabled once the saved times are shown
    strip->setTimeBoxes(picStartTime, picEndTime);
    for (size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i]->installEventFilter(this);
        connect(boxes_[i], &QLineEdit::textChanged, this, [this, i] { boxChanged(int(i)); });
    }
}

PlayTimer::Boxes TimerBoxes::texts() const {
    return {txtStartH->text(), txtStartM->text(), txtEndH->text(), txtEndM->text()};
}

QString TimerBoxes::text(Box box) const {
    return edit(box)->text();
}

void TimerBoxes::setText(Box box, const QString& text) {
    edit(box)->setText(text);
}

void TimerBoxes::showTimes(const PlayTimer::Boxes& times) {
    txtStartH->setText(times.startHour);
    txtStartM->setText(times.startMinute);
    txtEndH->setText(times.stopHour);
    txtEndM->setText(times.stopMinute);
    txtStartH->setEnabled(true);
}

void TimerBoxes::focusBox(Box box) {
    edit(box)->setFocus();
}

bool TimerBoxes::isBox(const QObject* o) const {
    return indexOf(o) >= 0;
}

void TimerBoxes::watchKeys(QObject* filter) {
    for (QLineEdit* box : boxes_)
        box->installEventFilter(filter);
}

void TimerBoxes::setColors(const QColor& back, const QColor& startText, const QColor& stopText) {
    for (QWidget* w : {picStartTime, static_cast<QWidget*>(txtStartH),
                       static_cast<QWidget*>(txtStartM), static_cast<QWidget*>(txtColon[0])})
        PaintWidget(w, back, startText);
    for (QWidget* w : {picEndTime, static_cast<QWidget*>(txtEndH), static_cast<QWidget*>(txtEndM),
                       static_cast<QWidget*>(txtColon[1])})
        PaintWidget(w, back, stopText);
}

int TimerBoxes::indexOf(const QObject* o) const {
    const auto it = std::find(boxes_.begin(), boxes_.end(), o);
    return it == boxes_.end() ? -1 : int(it - boxes_.begin());
}

QWidget* TimerBoxes::neighbour(int index, int direction) const {
    const int next = index + direction;
    if (next < 0)
        return nullptr;
    return next < int(boxes_.size()) ? boxes_[size_t(next)] : afterLast_;
}

void TimerBoxes::boxChanged(int index) {
    QLineEdit* box = boxes_[size_t(index)];
    if (box->text().size() != 2 || !txtStartH->isEnabled())
        return;
    if (std::exchange(skipAutoAdvance_, false))
        return;
    if (box->hasFocus())
        if (QWidget* next = neighbour(index, +1))
            next->setFocus();
}

bool TimerBoxes::eventFilter(QObject* watched, QEvent* event) {
    const int index = indexOf(watched);
    if (index < 0)
        return QObject::eventFilter(watched, event);
    QLineEdit* box = boxes_[size_t(index)];
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::MouseButtonRelease:
        QTimer::singleShot(0, box, [box] { SelectAllText(box); });
        break;
    case QEvent::FocusOut:
        Q_EMIT boxLeft(static_cast<Box>(index));
        break;
    case QEvent::KeyRelease:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete)
            box->setText(PlayTimer::kUnsetText);
        break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            break;
        const bool back = (key->modifiers() & Qt::ShiftModifier) != 0;
        if (QWidget* next = neighbour(index, back ? -1 : +1))
            next->setFocus();
        return true;  // no beep, no default button
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
