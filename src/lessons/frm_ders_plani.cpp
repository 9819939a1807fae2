#include "lessons/frm_ders_plani.h"

#include "app/forms.h"
#include "app/guard.h"
#include "data/frm_DataMod.h"
#include "lessons/day_sheet_layout.h"
#include "lessons/frm_ders.h"
#include "report/layout_items.h"
#include "ui/date_picker.h"
#include "ui/enter_as_tab.h"
#include "ui/message_box.h"
#include "ui/named_controls.h"
#include "ui/report_preview.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace Lessons;

namespace {

constexpr int FirstMinute = 7 * 60; // the grid's hours: 07:00 to 21:00 in quarters
constexpr int LastMinute = 21 * 60;
constexpr int Quarter = 15;
constexpr int Quarters = (LastMinute - FirstMinute) / Quarter;
constexpr int KeyRole = Qt::UserRole;

QString clock(const QDateTime& moment) {
    return moment.toString("HH:mm");
}

QString dayTitle(const QDate& day) {
    return QLocale().dayName(day.dayOfWeek()) + ' ' + day.toString("dd.MM.yyyy");
}

int minuteOf(const QTime& time) {
    return time.hour() * 60 + time.minute();
}

QColor stateColour(const QString& state) {
    if (state == Done)
        return QColor(0xc8, 0xe6, 0xc9);
    if (state == Missed)
        return QColor(0xff, 0xcc, 0x80);
    if (state == Cancelled)
        return QColor(0xee, 0xee, 0xee);
    return QColor(0xbb, 0xde, 0xfb);
}

QTableWidgetItem* cell(const QString& text, qint64 dersID = 0) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    if (dersID)
        item->setData(KeyRole, dersID);
    return item;
}

void paint(QTableWidgetItem* item, const QString& state) {
    item->setBackground(stateColour(state));
    if (state == Cancelled)
        item->setForeground(QColor(Qt::gray));
}

QTableWidget* table(QWidget* parent, const char* name, const QStringList& titles) {
    QTableWidget* t = listTable(name, titles, parent);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

QDate mondayOf(const QDate& day) {
    return day.addDays(1 - day.dayOfWeek());
}

} // namespace

frm_ders_plani::frm_ders_plani(Forms& forms, QWidget* parent)
    : QWidget(parent, Qt::Window), m_forms(forms), m_monday(mondayOf(QDate::currentDate())) {
    setObjectName("ders_plani");
    setWindowTitle("Direksiyon Ders Planı");

    GorunumSecimi = new QComboBox(this);
    GorunumSecimi->setObjectName("GorunumSecimi");
    GorunumSecimi->addItems({"Eğitmen", "Araç"});
    KaynakSecimi = new QComboBox(this);
    KaynakSecimi->setObjectName("KaynakSecimi");
    KaynakSecimi->setMinimumContentsLength(24);
    PasifLabel = new QLabel(this);
    PasifLabel->setObjectName("PasifLabel");
    PasifLabel->setStyleSheet("color: #b00020;");
    OncekiHafta = button(this, "OncekiHafta", "<");
    BuHafta = button(this, "BuHafta", "Bu Hafta");
    SonrakiHafta = button(this, "SonrakiHafta", ">");
    HaftaLabel = new QLabel(this);
    HaftaLabel->setObjectName("HaftaLabel");

    HaftaTablosu = new QTableWidget(Quarters, 7, this);
    HaftaTablosu->setObjectName("HaftaTablosu");
    HaftaTablosu->setEditTriggers(QAbstractItemView::NoEditTriggers);
    HaftaTablosu->setSelectionMode(QAbstractItemView::SingleSelection);
    HaftaTablosu->setWordWrap(true);
    HaftaTablosu->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    HaftaTablosu->verticalHeader()->setDefaultSectionSize(20);
    QStringList hours;
    for (int row = 0; row < Quarters; ++row)
        hours << QTime(0, 0).addSecs((FirstMinute + row * Quarter) * 60).toString("HH:mm");
    HaftaTablosu->setVerticalHeaderLabels(hours);

    DersListesi =
        table(this, "DersListesi", {"Tarih", "Başlangıç", "Bitiş", "Kursiyer", "Araç", "Tür", "Durum"});
    DersListesi->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);

    DersEkle = button(this, "DersEkle", "Ders Ekle");
    YapildiButton = button(this, "YapildiButton", "Yapıldı");
    GelmediButton = button(this, "GelmediButton", "Gelmedi");
    IptalButton = button(this, "IptalButton", "İptal");
    SureSecimi = new QSpinBox(this);
    SureSecimi->setObjectName("SureSecimi");
    SureSecimi->setRange(ShortestMinutes, LongestMinutes);
    SureSecimi->setSingleStep(Quarter);
    SureSecimi->setValue(UsualMinutes);
    SureSecimi->setSuffix(" dk");
    BosSaatler = button(this, "BosSaatler", "Boş Saatler");
    BosSaatListesi = table(this, "BosSaatListesi", {"Gün", "Başlangıç", "Bitiş"});
    BosSaatListesi->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    BosSaatListesi->setMinimumWidth(280);
    GunTarihi = datePicker(this, "GunTarihi");
    GunlukProgram = button(this, "GunlukProgram", "Günlük Program");

    auto* top = new QHBoxLayout;
    top->addWidget(GorunumSecimi);
    top->addWidget(KaynakSecimi);
    top->addWidget(PasifLabel, 1);
    top->addWidget(OncekiHafta);
    top->addWidget(BuHafta);
    top->addWidget(SonrakiHafta);
    top->addWidget(HaftaLabel);
    auto* week = new QSplitter(Qt::Vertical, this);
    week->addWidget(HaftaTablosu);
    week->addWidget(DersListesi);
    week->setStretchFactor(0, 3);
    week->setStretchFactor(1, 1);
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {DersEkle, YapildiButton, GelmediButton, IptalButton})
        side->addWidget(b);
    side->addSpacing(12);
    side->addWidget(new QLabel("Süre:", this));
    side->addWidget(SureSecimi);
    side->addWidget(BosSaatler);
    side->addWidget(BosSaatListesi, 1);
    side->addSpacing(12);
    side->addWidget(new QLabel("Gün:", this));
    side->addWidget(GunTarihi);
    side->addWidget(GunlukProgram);
    auto* middle = new QHBoxLayout;
    middle->addWidget(week, 1);
    middle->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    resize(1100, 760);

    EnterAsTab::install(this);
    guardedConnect(GorunumSecimi, &QComboBox::currentIndexChanged, this,
                   &frm_ders_plani::GorunumSecimiChange);
    guardedConnect(KaynakSecimi, &QComboBox::currentIndexChanged, this, &frm_ders_plani::KaynakSecimiChange);
    guardedConnect(OncekiHafta, &QPushButton::clicked, this, &frm_ders_plani::OncekiHaftaClick);
    guardedConnect(BuHafta, &QPushButton::clicked, this, &frm_ders_plani::BuHaftaClick);
    guardedConnect(SonrakiHafta, &QPushButton::clicked, this, &frm_ders_plani::SonrakiHaftaClick);
    guardedConnect(DersEkle, &QPushButton::clicked, this, &frm_ders_plani::DersEkleClick);
    guardedConnect(YapildiButton, &QPushButton::clicked, this, &frm_ders_plani::YapildiButtonClick);
    guardedConnect(GelmediButton, &QPushButton::clicked, this, &frm_ders_plani::GelmediButtonClick);
    guardedConnect(IptalButton, &QPushButton::clicked, this, &frm_ders_plani::IptalButtonClick);
    guardedConnect(BosSaatler, &QPushButton::clicked, this, &frm_ders_plani::BosSaatlerClick);
    guardedConnect(GunlukProgram, &QPushButton::clicked, this, &frm_ders_plani::GunlukProgramClick);
    guardedConnect(DersListesi, &QTableWidget::itemSelectionChanged, this, &frm_ders_plani::followList);
    guardedConnect(HaftaTablosu, &QTableWidget::itemSelectionChanged, this, &frm_ders_plani::followGrid);
    guardedConnect(HaftaTablosu, &QTableWidget::cellDoubleClicked, this,
                   &frm_ders_plani::HaftaTablosuDoubleClick);
    guardedConnect(DersListesi, &QTableWidget::cellDoubleClicked, this,
                   &frm_ders_plani::DersListesiDoubleClick);
    guardedConnect(BosSaatListesi, &QTableWidget::cellDoubleClicked, this,
                   &frm_ders_plani::BosSaatListesiDoubleClick);
}

void frm_ders_plani::showPlan() {
    {
        const QSignalBlocker quiet(GunTarihi);
        GunTarihi->setDate(QDate::currentDate());
    }
    fillResources();
    show();
    raise();
    activateWindow();
}

Resource frm_ders_plani::resource() const {
    return GorunumSecimi->currentIndex() == 1 ? Resource::Vehicle : Resource::Instructor;
}

qint64 frm_ders_plani::resourceId() const {
    return KaynakSecimi->currentData().toLongLong();
}

// The instructors who teach, and those made inactive who still have lessons to come: greyed, so
// that their lessons can still be moved or cancelled. The choice shown stays when it is still there.
void frm_ders_plani::fillResources() {
    const qint64 shown = resourceId();
    {
        const QSignalBlocker quiet(KaynakSecimi);
        KaynakSecimi->clear();
        const bool instructors = resource() == Resource::Instructor;
        Dataset& rows = instructors ? m_forms.DataMod->tegitmen : m_forms.DataMod->tarac;
        rows.close();
        rows.open();
        const QDateTime now = wallClock(QDate::currentDate(), QTime::currentTime());
        for (int row = 0; row < rows.recordCount(); ++row) {
            const auto value = [&](const char* field) { return rows.valueAt(row, rows.fieldIndex(field)); };
            if (!instructors) {
                KaynakSecimi->addItem(value("aracPLAKA").toString() + " - " + value("aracAD").toString(),
                                      value("aracID").toLongLong());
                continue;
            }
            const qint64 id = value("egitmenID").toLongLong();
            const qint64 coming =
                value("aktif").toBool() ? -1 : lessonCountOf(m_forms.DataMod->ado_conn, id, now);
            if (coming == 0)
                continue;
            KaynakSecimi->addItem((value("adi").toString() + ' ' + value("soyadi").toString()).trimmed(), id);
            if (coming > 0) {
                KaynakSecimi->setItemData(KaynakSecimi->count() - 1, QColor(Qt::gray), Qt::ForegroundRole);
                KaynakSecimi->setItemData(KaynakSecimi->count() - 1, coming, Qt::UserRole + 1);
            }
        }
        rows.close();
        KaynakSecimi->setCurrentIndex(std::max(0, KaynakSecimi->findData(shown)));
    }
    KaynakSecimiChange();
}

void frm_ders_plani::GorunumSecimiChange() {
    DersListesi->horizontalHeaderItem(4)->setText(resource() == Resource::Vehicle ? "Eğitmen" : "Araç");
    fillResources();
}

void frm_ders_plani::KaynakSecimiChange() {
    const qint64 coming = KaynakSecimi->currentData(Qt::UserRole + 1).toLongLong();
    PasifLabel->setText(coming > 0 ? QString("Bu eğitmen pasif; %1 planlı dersi var.").arg(coming)
                                   : QString());
    GunlukProgram->setEnabled(resource() == Resource::Instructor && resourceId() > 0);
    m_gapsShown = false;
    reload();
}

void frm_ders_plani::OncekiHaftaClick() {
    showWeek(m_monday.addDays(-7));
}

void frm_ders_plani::BuHaftaClick() {
    showWeek(QDate::currentDate());
}

void frm_ders_plani::SonrakiHaftaClick() {
    showWeek(m_monday.addDays(7));
}

void frm_ders_plani::showWeek(const QDate& day) {
    m_monday = mondayOf(day);
    m_gapsShown = false;
    reload();
}

// The week read again in one statement, the lesson that was chosen chosen again.
void frm_ders_plani::reload() {
    const std::optional<qint64> chosen = selectedLesson();
    HaftaLabel->setText(m_monday.toString("dd.MM.yyyy") + " - " + m_monday.addDays(6).toString("dd.MM.yyyy"));
    m_lessons.clear();
    if (resourceId() > 0)
        m_lessons = weekOf(m_forms.DataMod->ado_conn, resource(), resourceId(), m_monday);
    drawWeek();
    listLessons();
    if (m_gapsShown)
        listGaps();
    else
        BosSaatListesi->setRowCount(0);
    if (chosen)
        selectLesson(*chosen);
}

void frm_ders_plani::drawWeek() {
    const QSignalBlocker quiet(HaftaTablosu);
    HaftaTablosu->clearSelection();
    HaftaTablosu->clearSpans();
    HaftaTablosu->clearContents();
    for (int day = 0; day < 7; ++day) {
        const QDate date = m_monday.addDays(day);
        HaftaTablosu->setHorizontalHeaderItem(day, new QTableWidgetItem(dayTitle(date).replace(' ', '\n')));
    }
    // A cancelled lesson may lie under one booked later at its hour: the live one gets the cells.
    std::vector<std::vector<bool>> taken(7, std::vector<bool>(Quarters, false));
    for (const bool cancelled : {false, true})
        for (const Lesson& lesson : m_lessons)
            if ((lesson.state == Cancelled) == cancelled)
                placeBlock(lesson, taken);
}

void frm_ders_plani::placeBlock(const Lesson& lesson, std::vector<std::vector<bool>>& taken) {
    const int day = int(m_monday.daysTo(lesson.span.start.date()));
    const int first = std::max(0, (minuteOf(lesson.span.start.time()) - FirstMinute) / Quarter);
    const int end =
        std::min(Quarters, (minuteOf(lesson.span.end.time()) - FirstMinute + Quarter - 1) / Quarter);
    if (day < 0 || day > 6 || end <= first)
        return;
    std::vector<bool>& column = taken[std::size_t(day)];
    for (int row = first; row < end; ++row)
        if (column[std::size_t(row)])
            return;
    std::fill(column.begin() + first, column.begin() + end, true);
    const QString who = resource() == Resource::Vehicle ? lesson.instructor
                        : lesson.aracID                 ? lesson.plate
                                                        : lesson.kind;
    const QString text =
        clock(lesson.span.start) + '-' + clock(lesson.span.end) + '\n' + lesson.traineeName + '\n' + who;
    QTableWidgetItem* block = cell(text, lesson.dersID);
    block->setToolTip(text + '\n' + lesson.state);
    block->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
    paint(block, lesson.state);
    HaftaTablosu->setItem(first, day, block);
    if (end - first > 1)
        HaftaTablosu->setSpan(first, day, end - first, 1);
}

void frm_ders_plani::listLessons() {
    const QSignalBlocker quiet(DersListesi);
    DersListesi->clearSelection();
    DersListesi->setRowCount(int(m_lessons.size()));
    const bool vehicle = resource() == Resource::Vehicle;
    for (int row = 0; row < int(m_lessons.size()); ++row) {
        const Lesson& l = m_lessons[std::size_t(row)];
        const QStringList texts = {l.span.start.toString("dd.MM.yyyy"),
                                   clock(l.span.start),
                                   clock(l.span.end),
                                   l.trainee(),
                                   vehicle ? l.instructor : l.plate,
                                   l.kind,
                                   l.state};
        for (int column = 0; column < int(texts.size()); ++column)
            DersListesi->setItem(row, column, cell(texts[column], l.dersID));
        paint(DersListesi->item(row, 6), l.state);
    }
}

void frm_ders_plani::followList() {
    if (m_following)
        return;
    m_following = true;
    const std::optional<qint64> chosen = selectedLesson();
    HaftaTablosu->clearSelection();
    for (int row = 0; chosen && row < Quarters; ++row)
        for (int day = 0; day < 7; ++day)
            if (const QTableWidgetItem* block = HaftaTablosu->item(row, day);
                block && block->data(KeyRole).toLongLong() == *chosen)
                HaftaTablosu->setCurrentCell(row, day);
    m_following = false;
}

void frm_ders_plani::followGrid() {
    if (m_following)
        return;
    m_following = true;
    const QList<QTableWidgetItem*> chosen = HaftaTablosu->selectedItems();
    const qint64 dersID = chosen.isEmpty() ? 0 : chosen.front()->data(KeyRole).toLongLong();
    DersListesi->clearSelection();
    for (int row = 0; dersID && row < DersListesi->rowCount(); ++row)
        if (DersListesi->item(row, 0)->data(KeyRole).toLongLong() == dersID)
            DersListesi->selectRow(row);
    m_following = false;
}

void frm_ders_plani::selectLesson(qint64 dersID) {
    for (int row = 0; row < DersListesi->rowCount(); ++row)
        if (DersListesi->item(row, 0)->data(KeyRole).toLongLong() == dersID)
            DersListesi->selectRow(row);
}

std::optional<qint64> frm_ders_plani::selectedLesson() const {
    const QList<QTableWidgetItem*> chosen = DersListesi->selectedItems();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.front()->data(KeyRole).toLongLong();
}

void frm_ders_plani::HaftaTablosuDoubleClick(int row, int column) {
    if (const QTableWidgetItem* block = HaftaTablosu->item(row, column);
        block && block->data(KeyRole).isValid())
        openLesson(block->data(KeyRole).toLongLong());
    else
        newLessonAt(m_monday.addDays(column), QTime(0, 0).addSecs((FirstMinute + row * Quarter) * 60));
}

void frm_ders_plani::DersListesiDoubleClick(int row, int) {
    openLesson(DersListesi->item(row, 0)->data(KeyRole).toLongLong());
}

void frm_ders_plani::BosSaatListesiDoubleClick(int row, int) {
    const QTableWidgetItem* gap = BosSaatListesi->item(row, 0);
    newLessonAt(gap->data(KeyRole).toDate(), gap->data(KeyRole + 1).toTime());
}

void frm_ders_plani::openLesson(qint64 dersID) {
    m_forms.ders->editLesson(dersID);
    reload();
}

void frm_ders_plani::newLessonAt(const QDate& day, const QTime& time) {
    m_forms.ders->newLesson(LessonStart{day, time, resource(), resourceId()});
    reload();
}

// The empty cell chosen in the grid, else today's first quarter from now on that is free.
void frm_ders_plani::DersEkleClick() {
    const QList<QTableWidgetItem*> chosen = HaftaTablosu->selectedItems();
    const QModelIndexList cells = HaftaTablosu->selectionModel()->selectedIndexes();
    if (chosen.isEmpty() && cells.size() == 1) {
        const QModelIndex at = cells.front();
        newLessonAt(m_monday.addDays(at.column()),
                    QTime(0, 0).addSecs((FirstMinute + at.row() * Quarter) * 60));
        return;
    }
    newLessonAt(QDate::currentDate(), firstFreeQuarterToday());
}

QTime frm_ders_plani::firstFreeQuarterToday() {
    const QDate today = QDate::currentDate();
    const int now = minuteOf(QTime::currentTime());
    const int from =
        std::min(24 * 60 - Quarter, std::max(FirstMinute, (now + Quarter - 1) / Quarter * Quarter));
    std::vector<Span> busy;
    if (resourceId() > 0)
        for (const Lesson& lesson :
             weekOf(m_forms.DataMod->ado_conn, resource(), resourceId(), mondayOf(today)))
            if (lesson.state != Cancelled)
                busy.push_back(lesson.span);
    const auto at = [&](int minute) { return QTime(0, 0).addSecs(minute * 60); };
    for (int minute = from; minute + Quarter <= LastMinute; minute += Quarter) {
        const Span quarter{wallClock(today, at(minute)), wallClock(today, at(minute + Quarter))};
        if (std::none_of(busy.begin(), busy.end(), [&](const Span& s) { return overlaps(s, quarter); }))
            return at(minute);
    }
    return at(from);
}

void frm_ders_plani::BosSaatlerClick() {
    m_gapsShown = true;
    listGaps();
}

void frm_ders_plani::listGaps() {
    const std::vector<Gap> gaps = resourceId() > 0 ? freeGapsOf(m_forms.DataMod->ado_conn, resource(),
                                                                resourceId(), m_monday, SureSecimi->value())
                                                   : std::vector<Gap>{};
    BosSaatListesi->setRowCount(int(gaps.size()));
    for (int row = 0; row < int(gaps.size()); ++row) {
        const Gap& gap = gaps[std::size_t(row)];
        QTableWidgetItem* day = cell(dayTitle(gap.day));
        day->setData(KeyRole, gap.day);
        day->setData(KeyRole + 1, gap.start);
        BosSaatListesi->setItem(row, 0, day);
        BosSaatListesi->setItem(row, 1, cell(gap.start.toString("HH:mm")));
        BosSaatListesi->setItem(row, 2, cell(gap.end.toString("HH:mm")));
    }
}

void frm_ders_plani::YapildiButtonClick() {
    setState(Done);
}

void frm_ders_plani::GelmediButtonClick() {
    setState(Missed);
}

void frm_ders_plani::IptalButtonClick() {
    setState(Cancelled);
}

// At once, without a question: the plan is worked through during the day, one lesson after another.
void frm_ders_plani::setState(const QString& state) {
    const std::optional<qint64> chosen = selectedLesson();
    if (!chosen)
        return;
    try {
        m_forms.DataMod->announceLessons(setLessonState(m_forms.DataMod->ado_conn, *chosen, state));
    } catch (const LessonRefused& refused) {
        MessageBox::warning("Uyarı", refused.message(), this);
    }
    reload();
}

void frm_ders_plani::GunlukProgramClick() {
    if (resource() != Resource::Instructor || resourceId() <= 0)
        return;
    const QDate day = GunTarihi->date();
    const QStringList firm = Report::firmBlock(m_forms.DataMod->tfirma);
    const std::vector<Lesson> lessons = dayOf(m_forms.DataMod->ado_conn, resourceId(), day);
    const Report::Run run(DaySheetLayout::rap_gunluk_program(firm, KaynakSecimi->currentText(), day, lessons),
                          int(lessons.size()));
    Report::Preview preview(run, this);
    preview.exec();
}
