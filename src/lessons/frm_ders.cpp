#include "lessons/frm_ders.h"

#include "app/forms.h"
#include "app/guard.h"
#include "data/frm_DataMod.h"
#include "ui/date_picker.h"
#include "ui/enter_as_tab.h"
#include "ui/message_box.h"
#include "ui/whole_characters.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace Lessons;

namespace {

constexpr int DescriptionWidth = 100; // tb_ders.aciklama
constexpr int KeyRole = Qt::UserRole;
// On the server a search of 100,000 trainees takes longer than the time between two keys.
constexpr int TypingPauseMs = 250;
const QString NoVehicle = QStringLiteral("-");
const QString NoTrainee = QStringLiteral("Kursiyer seçilmedi");

int indexOfKey(const QComboBox* box, qint64 key) {
    return std::max(0, box->findData(key, KeyRole));
}

qint64 chosenKey(const QComboBox* box) {
    return box->currentData(KeyRole).toLongLong();
}

QComboBox* namedCombo(QWidget* parent, const char* name, const QStringList& items = {}) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    return box;
}

} // namespace

frm_ders::frm_ders(Forms& forms, QWidget* parent) : QDialog(parent), m_forms(forms) {
    setObjectName("ders");
    setWindowTitle("Ders");

    KursiyerSecimi = new QLineEdit(this);
    KursiyerSecimi->setObjectName("KursiyerSecimi");
    KursiyerSecimi->setPlaceholderText("Aday no ya da adının bir parçası");
    m_offered = new QStandardItemModel(this);
    m_completer = new QCompleter(m_offered, this);
    // The database has matched already, on every word typed: the list shows what it found.
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    KursiyerSecimi->setCompleter(m_completer);
    m_typingPause = new QTimer(this);
    m_typingPause->setObjectName("AramaGecikmesi");
    m_typingPause->setSingleShot(true);
    m_typingPause->setInterval(TypingPauseMs);
    KursiyerLabel = new QLabel(NoTrainee, this);
    KursiyerLabel->setObjectName("KursiyerLabel");
    QFont bold = KursiyerLabel->font();
    bold.setBold(true);
    KursiyerLabel->setFont(bold);
    EgitmenSecimi = namedCombo(this, "EgitmenSecimi");
    AracSecimi = namedCombo(this, "AracSecimi");
    TarihEdit = datePicker(this, "TarihEdit");
    SaatEdit = new QLineEdit(this);
    SaatEdit->setObjectName("SaatEdit");
    SaatEdit->setPlaceholderText("SS:DD");
    SaatEdit->setMaxLength(5);
    // Wider than a lesson may be: a length typed out of bounds reaches "Kaydet" and is refused there
    // with the reason, where a narrow box would put back its last value without a word.
    SureEdit = new QSpinBox(this);
    SureEdit->setObjectName("SureEdit");
    SureEdit->setRange(0, 999);
    SureEdit->setSingleStep(15);
    TurSecimi = namedCombo(this, "TurSecimi", Kinds);
    DurumSecimi = namedCombo(this, "DurumSecimi", States);
    AciklamaEdit = new QLineEdit(this);
    AciklamaEdit->setObjectName("AciklamaEdit");
    AciklamaEdit->setMaxLength(DescriptionWidth);
    keepWholeCharacters(*AciklamaEdit);
    KaydetButton = new QPushButton("Kaydet", this);
    KaydetButton->setObjectName("KaydetButton");
    SilButton = new QPushButton("Sil", this);
    SilButton->setObjectName("SilButton");
    VazgecButton = new QPushButton("Vazgeç", this);
    VazgecButton->setObjectName("VazgecButton");
    for (QPushButton* button : {KaydetButton, SilButton, VazgecButton})
        button->setAutoDefault(false);

    auto* form = new QFormLayout;
    form->addRow("Kursiyer:", KursiyerSecimi);
    form->addRow("", KursiyerLabel);
    form->addRow("Eğitmen:", EgitmenSecimi);
    form->addRow("Araç:", AracSecimi);
    form->addRow("Tarih:", TarihEdit);
    form->addRow("Saat:", SaatEdit);
    form->addRow("Süre (dakika):", SureEdit);
    form->addRow("Tür:", TurSecimi);
    form->addRow("Durum:", DurumSecimi);
    form->addRow("Açıklama:", AciklamaEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SilButton);
    buttons->addStretch(1);
    buttons->addWidget(KaydetButton);
    buttons->addWidget(VazgecButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(460, 380);

    EnterAsTab::install(this);
    guardedConnect(KursiyerSecimi, &QLineEdit::textEdited, this, &frm_ders::KursiyerSecimiEdit);
    guardedConnect(m_typingPause, &QTimer::timeout, this, [this] { findTyped(true); });
    guardedConnect(KursiyerSecimi, &QLineEdit::editingFinished, this, &frm_ders::settleTyped);
    // A closed dialog searches no more: its list would open over the window behind.
    connect(this, &QDialog::finished, m_typingPause, &QTimer::stop);
    guardedConnect(m_completer, qOverload<const QModelIndex&>(&QCompleter::activated), this,
                   &frm_ders::chooseOffered);
    guardedConnect(AracSecimi, &QComboBox::activated, this, &frm_ders::AracSecimiChoose);
    guardedConnect(TurSecimi, &QComboBox::activated, this, &frm_ders::TurSecimiChoose);
    guardedConnect(KaydetButton, &QPushButton::clicked, this, &frm_ders::KaydetButtonClick);
    guardedConnect(SilButton, &QPushButton::clicked, this, &frm_ders::SilButtonClick);
    connect(VazgecButton, &QPushButton::clicked, this, &QDialog::reject);
}

Connection& frm_ders::connection() {
    return m_forms.DataMod->ado_conn;
}

std::optional<qint64> frm_ders::newLesson(const LessonStart& start) {
    clear();
    chooseTrainee(start.kID > 0 ? traineeOf(connection(), start.kID) : std::nullopt);
    if (m_trainee)
        KursiyerSecimi->setText(m_trainee->candidateNo);
    const bool byInstructor = start.resource == Resource::Instructor;
    fillInstructors(byInstructor ? start.resourceId : 0);
    fillVehicles(byInstructor ? 0 : start.resourceId);
    if (start.day.isValid())
        TarihEdit->setDate(start.day);
    if (start.time.isValid())
        SaatEdit->setText(start.time.toString("HH:mm"));
    if (m_trainee)
        SaatEdit->setFocus();
    else
        KursiyerSecimi->setFocus();
    if (exec() != Accepted)
        return std::nullopt;
    return m_dersID;
}

bool frm_ders::editLesson(qint64 dersID) {
    clear();
    // A lesson another desk deleted meanwhile: the box says so, and the caller shows what is there.
    const bool read = Guard::run([&] { showLesson(lessonOf(connection(), dersID)); });
    if (!read)
        return true;
    exec();
    return m_changed;
}

void frm_ders::clear() {
    m_dersID = 0;
    m_version = 0;
    m_keptInstructor = 0;
    m_bookedFor = 0;
    m_typed.clear();
    m_changed = false;
    m_trainee.reset();
    m_offered->clear();
    KursiyerSecimi->clear();
    KursiyerLabel->setText(NoTrainee);
    EgitmenSecimi->clear();
    TarihEdit->setDate(QDate::currentDate());
    SaatEdit->clear();
    SureEdit->setValue(UsualMinutes);
    TurSecimi->setCurrentIndex(0);
    DurumSecimi->setCurrentIndex(0);
    AciklamaEdit->clear();
    SilButton->hide();
}

void frm_ders::showLesson(const Lesson& lesson) {
    m_dersID = lesson.dersID;
    m_version = lesson.version;
    m_keptInstructor = lesson.egitmenID;
    m_bookedFor = lesson.kID;
    chooseTrainee(traineeOf(connection(), lesson.kID));
    KursiyerSecimi->setText(lesson.candidateNo);
    fillInstructors(lesson.egitmenID);
    fillVehicles(lesson.aracID);
    TarihEdit->setDate(lesson.span.start.date());
    SaatEdit->setText(lesson.span.start.toString("HH:mm"));
    SureEdit->setValue(lesson.minutes());
    TurSecimi->setCurrentIndex(std::max<qsizetype>(0, Kinds.indexOf(lesson.kind)));
    DurumSecimi->setCurrentIndex(std::max<qsizetype>(0, States.indexOf(lesson.state)));
    AciklamaEdit->setText(lesson.description);
    SilButton->show();
    SaatEdit->setFocus();
}

void frm_ders::KursiyerSecimiEdit(const QString& typed) {
    m_typed = typed;
    m_typingPause->start();
}

// A candidate number typed whole chooses its trainee; anything else offers the trainees whose
// names hold it, and until one is taken no trainee is chosen. A search for a text the box no
// longer holds (an entry of the list shown in it meanwhile) is dropped.
void frm_ders::findTyped(bool offer) {
    if (KursiyerSecimi->text() != m_typed)
        return;
    chooseTrainee(traineeNumbered(connection(), m_typed));
    if (offer)
        offerTrainees(m_trainee ? QString() : m_typed);
}

// The user went on before the pause ended (to the next box, or "Kaydet"): the number typed is
// looked up now, and no list opens behind them.
void frm_ders::settleTyped() {
    if (!m_typingPause->isActive())
        return;
    m_typingPause->stop();
    findTyped(false);
}

void frm_ders::offerTrainees(const QString& typed) {
    m_offered->clear();
    for (const TraineeChoice& trainee : traineesMatching(connection(), typed)) {
        auto* item = new QStandardItem(trainee.entry());
        item->setData(trainee.kID, KeyRole);
        m_offered->appendRow(item);
    }
    if (m_offered->rowCount() > 0)
        m_completer->complete();
    else
        m_completer->popup()->hide();
}

void frm_ders::chooseOffered(const QModelIndex& index) {
    // The choice is what the user wanted; the search still waiting for the text would undo it.
    m_typingPause->stop();
    chooseTrainee(traineeOf(connection(), index.data(KeyRole).toLongLong()));
}

// The instructors, once shown, follow the trainee's licence class, the one chosen staying chosen.
void frm_ders::chooseTrainee(const std::optional<TraineeChoice>& trainee) {
    m_trainee = trainee;
    KursiyerLabel->setText(m_trainee ? m_trainee->label() : NoTrainee);
    if (EgitmenSecimi->count() > 0)
        fillInstructors(chosenKey(EgitmenSecimi));
}

void frm_ders::fillInstructors(qint64 chosen) {
    EgitmenSecimi->clear();
    const QString licenceClass = m_trainee ? m_trainee->licenceClass : QString();
    for (const InstructorChoice& instructor : instructorsFor(connection(), licenceClass, m_keptInstructor)) {
        EgitmenSecimi->addItem(instructor.name, instructor.egitmenID);
        if (!instructor.active)
            EgitmenSecimi->setItemData(EgitmenSecimi->count() - 1,
                                       palette().color(QPalette::Disabled, QPalette::Text),
                                       Qt::ForegroundRole);
    }
    EgitmenSecimi->setCurrentIndex(indexOfKey(EgitmenSecimi, chosen));
}

void frm_ders::fillVehicles(qint64 chosen) {
    AracSecimi->clear();
    AracSecimi->addItem(NoVehicle, qint64(0));
    for (const VehicleChoice& vehicle : vehicleChoices(connection()))
        AracSecimi->addItem(vehicle.text, vehicle.aracID);
    AracSecimi->setCurrentIndex(indexOfKey(AracSecimi, chosen));
}

// No vehicle is a simulator lesson, a vehicle a driving one; a driving lesson chosen without a
// vehicle waits for one, and "Kaydet" says so.
void frm_ders::AracSecimiChoose() {
    TurSecimi->setCurrentIndex(int(Kinds.indexOf(chosenKey(AracSecimi) > 0 ? Driving : Simulator)));
}

void frm_ders::TurSecimiChoose() {
    if (TurSecimi->currentText() == Simulator)
        AracSecimi->setCurrentIndex(0);
}

Booking frm_ders::typedBooking() const {
    return {m_trainee ? m_trainee->kID : 0,
            chosenKey(EgitmenSecimi),
            chosenKey(AracSecimi),
            TarihEdit->date(),
            SaatEdit->text(),
            SureEdit->value(),
            TurSecimi->currentText()};
}

// A refusal keeps the dialog and what was typed; any other failure (the trainee deleted by another
// desk, a lock, a full disk) reaches the guard's box, and the dialog stays as well.
void frm_ders::KaydetButtonClick() {
    settleTyped();
    const Booking booking = typedBooking();
    try {
        m_dersID = saveLesson(connection(), booking, DurumSecimi->currentText(), AciklamaEdit->text(),
                              m_dersID, m_version);
    } catch (const LessonRefused& refused) {
        MessageBox::warning("Uyarı", refused.message(), this);
        return;
    }
    m_changed = true;
    announceWritten(booking.kID);
    accept();
}

void frm_ders::SilButtonClick() {
    const auto answer = MessageBox::show(MessageBox::Kind::Question, "Dikkat:", "\nBu ders silinsin mi?",
                                         MessageBox::Buttons::YesNo, MessageBox::Answer::No, this);
    if (answer != MessageBox::Answer::Yes)
        return;
    deleteLesson(connection(), m_dersID, m_version);
    m_changed = true;
    announceWritten(m_bookedFor);
    accept();
}

// A lesson given to another trainee leaves the first one's lessons too.
void frm_ders::announceWritten(qint64 kID) {
    if (m_bookedFor > 0 && m_bookedFor != kID)
        m_forms.DataMod->announceLessons(m_bookedFor);
    m_forms.DataMod->announceLessons(kID);
}
