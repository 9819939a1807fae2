#include "ui/date_box.h"

#include <QAction>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include "app/guard.h"
#include "data/typed_date.h"

#include <optional>

namespace {

constexpr int MaxTextLength = 10;
constexpr int ArrowSize = 12;

// The arrow the style draws on its drop-down lists, so the date box looks like one of them.
QIcon dropDownIcon(const QWidget& widget) {
    QPixmap pixmap(ArrowSize, ArrowSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QStyleOption option;
    option.initFrom(&widget);
    option.rect = pixmap.rect();
    widget.style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &option, &painter, &widget);
    return QIcon(pixmap);
}

} // namespace

DateBox::DateBox(DataSource& source, const QString& field, QWidget* parent)
    : QLineEdit(parent), BoundControl(*this, source, field) {
    setMaxLength(MaxTextLength);
    QAction* dropDown = addAction(dropDownIcon(*this), QLineEdit::TrailingPosition);
    connect(dropDown, &QAction::triggered, this, &DateBox::openCalendar);
    refresh();
}

void DateBox::showValue(const QVariant& value) {
    const QString text = value.toDate().toString(Format);
    if (this->text() != text)
        setText(text);
}

QVariant DateBox::entry() const {
    const std::optional<QDate> date = readTypedDate(text());
    return date && date->isValid() ? QVariant(*date) : QVariant();
}

bool DateBox::commit() {
    const bool accepted = readTypedDate(text()) && BoundControl::commit();
    if (!readTypedDate(text()))
        Guard::showDefaultError(QString("\"%1\" geçerli bir tarih değil").arg(text()));
    // Also brings a date typed short ("1.2.99") into the long form.
    refresh();
    return accepted;
}

void DateBox::openCalendar() {
    if (!m_calendar) {
        m_calendar = new QCalendarWidget(this);
        m_calendar->setWindowFlags(Qt::Popup);
        connect(m_calendar, &QCalendarWidget::clicked, this, &DateBox::pick);
        connect(m_calendar, &QCalendarWidget::activated, this, &DateBox::pick);
    }
    const QDate shown = entry().toDate();
    m_calendar->setSelectedDate(shown.isValid() ? shown : QDate::currentDate());
    m_calendar->move(mapToGlobal(QPoint(0, height())));
    m_calendar->show();
    m_calendar->setFocus(Qt::PopupFocusReason);
}

// A day picked from the calendar is a finished entry, so it is written at once.
void DateBox::pick(QDate date) {
    m_calendar->hide();
    setText(date.toString(Format));
    commit();
}

void DateBox::keyPressEvent(QKeyEvent* event) {
    const bool dropsDown =
        event->key() == Qt::Key_F4 || (event->key() == Qt::Key_Down && event->modifiers() & Qt::AltModifier);
    if (dropsDown)
        openCalendar();
    else
        QLineEdit::keyPressEvent(event);
}
