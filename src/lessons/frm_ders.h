#pragma once

#include "lessons/lesson_choices.h"
#include "lessons/lesson_store.h"

#include <QDate>
#include <QDialog>
#include <QTime>

#include <optional>

class QComboBox;
class QCompleter;
class QDateEdit;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QSpinBox;
class QStandardItemModel;
class QTimer;
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
    // True when the lesson was changed or deleted (also when another desk had deleted it).
    bool editLesson(qint64 dersID);

public slots:
    // Searches once typing pauses, not at every key.
    void KursiyerSecimiEdit(const QString& typed);
    void AracSecimiChoose();
    void TurSecimiChoose();
    void KaydetButtonClick();
    void SilButtonClick();

private:
    Connection& connection();
    void clear();
    void showLesson(const Lessons::Lesson& lesson);
    void chooseTrainee(const std::optional<Lessons::TraineeChoice>& trainee);
    void chooseOffered(const QModelIndex& index);
    void findTyped(bool offer);
    void settleTyped();
    void offerTrainees(const QString& typed);
    void announceWritten(qint64 kID);
    void fillInstructors(qint64 chosen);
    void fillVehicles(qint64 chosen);
    Lessons::Booking typedBooking() const;

    Forms& m_forms;
    qint64 m_dersID = 0; // 0: a new lesson
    qint64 m_version = 0;
    qint64 m_keptInstructor = 0; // the edited lesson's, offered even when inactive
    qint64 m_bookedFor = 0;      // the edited lesson's trainee as it was read
    QString m_typed;             // what the pause in typing waits to search for
    std::optional<Lessons::TraineeChoice> m_trainee;
    bool m_changed = false;
    QLineEdit* KursiyerSecimi;
    QCompleter* m_completer;
    QTimer* m_typingPause;
    QStandardItemModel* m_offered;
    QLabel* KursiyerLabel;
    QComboBox* EgitmenSecimi;
    QComboBox* AracSecimi;
    QDateEdit* TarihEdit;
    QLineEdit* SaatEdit;
    QSpinBox* SureEdit;
    QComboBox* TurSecimi;
    QComboBox* DurumSecimi;
    QLineEdit* AciklamaEdit;
    QPushButton* KaydetButton;
    QPushButton* SilButton;
    QPushButton* VazgecButton;
};
