#include "lessons/frm_ders.h"

#include "app/forms.h"

frm_ders::frm_ders(Forms& forms, QWidget* parent) : QDialog(parent), m_forms(forms) {
    setObjectName("ders");
    setWindowTitle("Ders");
}

std::optional<qint64> frm_ders::newLesson(const LessonStart&) {
    exec();
    return std::nullopt;
}

bool frm_ders::editLesson(qint64) {
    exec();
    return false;
}
