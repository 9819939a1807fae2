#pragma once

#include "lessons/lesson_store.h"

#include <QDate>
#include <QWidget>

#include <optional>
#include <vector>

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
struct Forms;

// The week of one instructor or vehicle at a glance: lessons booked, moved to a state, the free
// hours, and the instructor's day sheet. Not modal, one instance.
class frm_ders_plani : public QWidget {
    Q_OBJECT
public:
    explicit frm_ders_plani(Forms& forms, QWidget* parent = nullptr);

    // Shows the window, filled afresh, or brings it to the front when it is open.
    void showPlan();
    // Shows the week that holds `day`.
    void showWeek(const QDate& day);

public slots:
    void GorunumSecimiChange();
    void KaynakSecimiChange();
    void OncekiHaftaClick();
    void BuHaftaClick();
    void SonrakiHaftaClick();
    void DersEkleClick();
    void BosSaatlerClick();
    void YapildiButtonClick();
    void GelmediButtonClick();
    void IptalButtonClick();
    void GunlukProgramClick();

private:
    Lessons::Resource resource() const;
    qint64 resourceId() const;
    void fillResources();
    void reload();
    void drawWeek();
    void placeBlock(const Lessons::Lesson& lesson, std::vector<std::vector<bool>>& taken);
    void listLessons();
    void listGaps();
    void followList();
    void followGrid();
    void selectLesson(qint64 dersID);
    std::optional<qint64> selectedLesson() const;
    void HaftaTablosuDoubleClick(int row, int column);
    void DersListesiDoubleClick(int row, int column);
    void BosSaatListesiDoubleClick(int row, int column);
    void openLesson(qint64 dersID);
    void newLessonAt(const QDate& day, const QTime& time);
    QTime firstFreeQuarterToday();
    void setState(const QString& state);

    Forms& m_forms;
    QDate m_monday;
    std::vector<Lessons::Lesson> m_lessons;
    bool m_gapsShown = false;
    bool m_following = false;
    QComboBox* GorunumSecimi;
    QComboBox* KaynakSecimi;
    QLabel* PasifLabel;
    QPushButton* OncekiHafta;
    QPushButton* BuHafta;
    QPushButton* SonrakiHafta;
    QLabel* HaftaLabel;
    QTableWidget* HaftaTablosu;
    QTableWidget* DersListesi;
    QPushButton* DersEkle;
    QPushButton* YapildiButton;
    QPushButton* GelmediButton;
    QPushButton* IptalButton;
    QSpinBox* SureSecimi;
    QPushButton* BosSaatler;
    QTableWidget* BosSaatListesi;
    QDateEdit* GunTarihi;
    QPushButton* GunlukProgram;
};
