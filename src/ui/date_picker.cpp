#include "ui/date_picker.h"

#include <QDate>
#include <QDateEdit>

QDateEdit* datePicker(QWidget* parent, const char* name) {
    auto* picker = new QDateEdit(QDate::currentDate(), parent);
    picker->setObjectName(name);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat("dd.MM.yyyy");
    return picker;
}
