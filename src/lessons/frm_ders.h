#pragma once

#include "lessons/lesson_store.h"

#include <QDate>
#include <QDialog>
#include <QTime>

#include <optional>

struct Forms;

// Where a new lesson starts from: the plan's day and hour, its instructor or vehicle, and the
// trainee when it is booked from the trainee's own tab.
struct LessonStart {
    QDate day;
    QTime time;
    Lessons::Resource resource = Lessons::Resource::Instructor;
    qint64 resourceId = 0;
    qint64 kID = 0;
};

// Books one driving or simulator lesson, or changes or deletes one, refusing clashes by name.
class frm_ders : public QDialog {
    Q_OBJECT
public:
    explicit frm_ders(Forms& forms, QWidget* parent = nullptr);

    // The lesson written, none when the user gave up.
    std::optional<qint64> newLesson(const LessonStart& start);
    // True when the lesson was changed or deleted.
    bool editLesson(qint64 dersID);

private:
    Forms& m_forms;
};
