// The lesson plan, and the "Dersler" tab: the current trainee's lessons, hours and tracking form.
#include "records/frm_main_form.h"

#include "app/forms.h"
#include "app/guard.h"
#include "data/frm_DataMod.h"
#include "data/transaction.h"
#include "lessons/frm_ders_plani.h"
#include "lessons/lesson_store.h"
#include "lessons/tracking_form_layout.h"
#include "report/layout_items.h"
#include "ui/report_preview.h"

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int LessonsTab = 8;
// What the tab follows for a trainee being entered: it has no lessons before it is saved.
constexpr qint64 EntryNotSaved = -1;

const QString SaveFirstText = QStringLiteral("Kursiyerin derslerini görmek için önce kursiyeri kaydedin.");
const QStringList LessonCaptions = {"Tarih", "Saat", "Süre", "Eğitmen", "Araç", "Tür", "Durum"};

QStringList lessonCells(const Lessons::Lesson& lesson) {
    const Lessons::Span& span = lesson.span;
    return {span.start.toString("dd.MM.yyyy"),
            span.start.toString("HH:mm") + '-' + span.end.toString("HH:mm"),
            QString("%1 dk").arg(lesson.minutes()),
            lesson.instructor,
            lesson.plate,
            lesson.kind,
            lesson.state};
}

void addLessonRow(QTableWidget& table, const Lessons::Lesson& lesson) {
    const int row = table.rowCount();
    table.insertRow(row);
    const QStringList cells = lessonCells(lesson);
    for (int column = 0; column < cells.size(); ++column) {
        auto* cell = new QTableWidgetItem(cells[column]);
        // A cancelled lesson stays in the list, counting nowhere.
        if (lesson.state == Lessons::Cancelled)
            cell->setForeground(table.palette().color(QPalette::Disabled, QPalette::Text));
        table.setItem(row, column, cell);
    }
}

// The trainee whose lessons the tab shows, EntryNotSaved for one being entered, 0 for none.
qint64 traineeOfLessons(frm_DataMod& data) {
    return data.tkursiyer.state() == Dataset::State::Insert ? EntryNotSaved : data.currentTraineeKey();
}

void showTrackingForm(frm_DataMod& data, qint64 kID, QWidget* parent) {
    const QStringList firm = Report::firmBlock(data.tfirma);
    const TrackingForm::Form form = TrackingForm::readForm(data.ado_conn, kID);
    Dataset& lines = data.sql_dersler;
    lines.close();
    lines.setSql(TrackingForm::lineNumbersSql(TrackingForm::lineCount(form)));
    const auto closing = qScopeGuard([&lines] { lines.close(); });
    lines.open();
    const Report::Run run(TrackingForm::rap_takip_formu(firm, form), lines);
    Report::Preview window(run, parent);
    window.exec();
}

} // namespace

void frm_main_form::Btn9Click() {
    m_forms.ders_plani->showPlan();
}

void frm_main_form::buildLessonsTab(QWidget* page) {
    DersTablosu = new QTableWidget(0, int(LessonCaptions.size()), page);
    DersTablosu->setObjectName("DersTablosu");
    DersTablosu->setHorizontalHeaderLabels(LessonCaptions);
    DersTablosu->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DersTablosu->setSelectionBehavior(QAbstractItemView::SelectRows);
    DersTablosu->verticalHeader()->hide();
    DersTablosu->horizontalHeader()->setStretchLastSection(true);

    DersOzeti = new QLabel(page);
    DersOzeti->setObjectName("DersOzeti");
    SimulatorOzeti = new QLabel(page);
    SimulatorOzeti->setObjectName("SimulatorOzeti");
    DersUyari = new QLabel(SaveFirstText, page);
    DersUyari->setObjectName("DersUyari");
    lessonSummaries = new QFormLayout;
    lessonSummaries->addRow("Direksiyon:", DersOzeti);
    lessonSummaries->addRow("Simülatör:", SimulatorOzeti);
    lessonSummaries->addRow(DersUyari);
    lessonSummaries->setRowVisible(SimulatorOzeti, false);
    lessonSummaries->setRowVisible(DersUyari, false);

    TakipFormu = new QPushButton("Takip Formu", page);
    TakipFormu->setObjectName("TakipFormu");
    TakipFormu->setEnabled(false);
    guardedConnect(TakipFormu, &QPushButton::clicked, this, &frm_main_form::TakipFormuClick);

    auto* below = new QHBoxLayout;
    below->addLayout(lessonSummaries, 1);
    below->addWidget(TakipFormu, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(DersTablosu, 1);
    layout->addLayout(below);

    // Moving through the list reads lessons only while the tab is there to show them.
    Dataset& trainees = data().tkursiyer;
    guardedConnect(&trainees, &Dataset::afterScroll, this, &frm_main_form::followTraineeLessons);
    guardedConnect(&trainees, &Dataset::stateChanged, this, &frm_main_form::followTraineeLessons);
    guardedConnect(PageControl1, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == LessonsTab)
            refreshLessons();
    });
    // Lessons the plan wrote while both windows are on screen, and those another desk wrote.
    guardedConnect(&data(), &frm_DataMod::lessonsChanged, this, [this](qint64 kID) {
        if (lessonsTabShown() && traineeOfLessons(data()) == kID)
            refreshLessons();
    });
    guardedConnect(&data().ado_conn, &Connection::changedElsewhere, this, [this] {
        if (lessonsTabShown())
            refreshLessons();
    });
}

bool frm_main_form::lessonsTabShown() const {
    return isVisible() && PageControl1->currentIndex() == LessonsTab;
}

void frm_main_form::followTraineeLessons() {
    if (!lessonsTabShown()) {
        m_lessonsShownFor.reset();
        return;
    }
    if (m_lessonsShownFor != traineeOfLessons(data()))
        refreshLessons();
}

// Whatever cannot be read leaves the tab empty, never showing the trainee before.
void frm_main_form::refreshLessons() {
    const qint64 kID = traineeOfLessons(data());
    const bool entry = kID == EntryNotSaved;
    m_lessonsShownFor.reset();
    DersTablosu->setRowCount(0);
    DersOzeti->clear();
    lessonSummaries->setRowVisible(DersOzeti, !entry);
    lessonSummaries->setRowVisible(SimulatorOzeti, false);
    lessonSummaries->setRowVisible(DersUyari, entry);
    TakipFormu->setEnabled(kID > 0);
    if (kID > 0) {
        Connection& connection = data().ado_conn;
        Transaction reading(connection, Transaction::Kind::Read);
        const std::vector<Lessons::Lesson> lessons = Lessons::lessonsOf(connection, kID);
        const Lessons::TraineeHours hours = Lessons::hoursOf(connection, kID, lessons);
        reading.commit();
        for (const Lessons::Lesson& lesson : lessons)
            addLessonRow(*DersTablosu, lesson);
        DersOzeti->setText(Lessons::hoursSummary(hours.driving));
        SimulatorOzeti->setText(Lessons::hoursSummary(hours.simulator));
        lessonSummaries->setRowVisible(SimulatorOzeti,
                                       hours.simulator.entitledHours > 0 || hours.simulator.lessons > 0);
    }
    m_lessonsShownFor = kID;
}

// Another copy of the program on the same file announces nothing: back in this window, the tab
// shows what it may have written meanwhile.
void frm_main_form::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && lessonsTabShown())
        Guard::run([this] { refreshLessons(); });
}

void frm_main_form::TakipFormuClick() {
    showTrackingForm(data(), data().currentTraineeKey(), this);
}
