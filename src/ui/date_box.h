#pragma once

#include <QDate>
#include <QLineEdit>

#include "ui/bound_control.h"

class QCalendarWidget;

// A date field typed as dd.MM.yyyy or picked from a calendar that drops down from the button at
// its end (or F4, Alt+Down). An empty text is an empty date; a two-digit year is read as 1950 to
// 2049; a text that is no date is refused with the error box and the field keeps its value.
// Dates are written without time.
class DateBox : public QLineEdit, public BoundControl {
    Q_OBJECT
public:
    static constexpr const char* Format = "dd.MM.yyyy";

    DateBox(DataSource& source, const QString& field, QWidget* parent = nullptr);

    bool commit() override;
    void openCalendar();
    // The calendar, once it has been dropped down.
    QCalendarWidget* calendar() const { return m_calendar; }

protected:
    void showValue(const QVariant& value) override;
    QVariant entry() const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void pick(QDate date);

    QCalendarWidget* m_calendar = nullptr;
};
