#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "data/connection.h"
#include "data/data_source.h"
#include "data/dataset.h"
#include "test_support.h"
#include "ui/bound_controls.h"
#include "ui/date_box.h"

#include <memory>

namespace {

enum class Kind { Edit, Box, Date, FixedList, FreeList };

// Two trainees: the first with a value in every field used here, the second with empty fields
// and with values that are not among the list entries.
const char* const Rows[] = {
    "INSERT INTO tb_kursiyer (adi, dogumtarihi, cinsiyeti, n_medeni, e_adresi, ehliyetAldi) "
    "VALUES ('Ayşe', '1985-07-09 00:00:00', 'Kadın', 'EVLİ', 'Atatürk Cad.' || char(10) || 'No 5', -1)",
    "INSERT INTO tb_kursiyer (adi, dogumtarihi, cinsiyeti, n_medeni, e_adresi, ehliyetAldi) "
    "VALUES ('Mehmet', NULL, 'Diğer', 'NİŞANLI', NULL, NULL)",
};

// QTest::keyClicks takes Latin-1 only; Turkish letters are typed as the key events they arrive as.
void type(QWidget* control, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, control, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QString shownText(const QWidget* control) {
    if (auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (auto* box = qobject_cast<const QPlainTextEdit*>(control))
        return box->toPlainText();
    if (auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText();
    return {};
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestBoundControls : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void showsTheCurrentRow_data() { addKinds(); }
    void showsTheCurrentRow();
    void passingThroughWritesNothing_data() { addKinds(); }
    void passingThroughWritesNothing();
    void leavingWritesTheChangedEntry_data() { addKinds(); }
    void leavingWritesTheChangedEntry();
    void focusAwayAndBackWritesTheEntry_data() { addKinds(); }
    void focusAwayAndBackWritesTheEntry();
    void commitWritesTheEntry_data() { addKinds(); }
    void commitWritesTheEntry();
    void cancellingDropsAnEntryNotYetWritten();
    void aWriteToAnotherFieldKeepsAPendingEntry();
    void followsAWriteToItsField();

    void editTakesNoMoreThanItsColumn();
    void boxStopsTypingAtItsColumnWidth();
    void boxCutsAPasteToItsColumnWidth();
    void boxLeavesTabToTheFocusChain();
    void fixedListOffersOnlyItsEntries();
    void fixedListWritesAChoiceAtOnce();
    void freeListKeepsTypedTextOutOfTheList();
    void listsKeepTheirValueWhenTheEntriesChange();
    void checkBoxShowsTheField();
    void checkBoxWritesAClickAtOnce();

    void emptyDateStaysNull();
    void readsTwoDigitYears_data();
    void readsTwoDigitYears();
    void emptiedDateBecomesNull();
    void refusesATextThatIsNoDate();
    void writesADayPickedFromTheCalendar();
    void storesDatesWithoutTime();

private:
    void addKinds();
    QWidget* newControl(Kind kind, const QString& field);
    // Puts the control in the window and shows it, active, with the focus elsewhere.
    template <typename Control> Control* present(Control* control);
    void enter(QWidget* control, const QString& text);
    void leave();
    QVariant stored(const QString& field);

    std::unique_ptr<TempDatabase> m_database;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<Dataset> m_trainees;
    std::unique_ptr<DataSource> m_source;
    std::unique_ptr<QWidget> m_window;
    QLineEdit* m_next = nullptr;
    QLineEdit* m_offside = nullptr;
};

void TestBoundControls::initTestCase() { useProgramLocale(); }

void TestBoundControls::init() {
    m_database = std::make_unique<TempDatabase>();
    m_connection = std::make_unique<Connection>();
    m_database->open(*m_connection);
    for (const char* row : Rows)
        m_connection->execute(row);
    m_trainees = std::make_unique<Dataset>(*m_connection, "tkursiyer");
    m_trainees->setSql("select * from tb_kursiyer\nwhere kID > 0\norder by kID");
    m_trainees->open();
    m_source = std::make_unique<DataSource>(*m_trainees, "dkursiyer");

    m_window = std::make_unique<QWidget>();
    m_window->resize(400, 300);
    auto* layout = new QVBoxLayout(m_window.get());
    m_next = new QLineEdit(m_window.get());
    layout->addWidget(m_next);
    // Stands for the main window's hidden focus target: shown, but outside the visible area.
    m_offside = new QLineEdit(m_window.get());
    m_offside->setGeometry(-500, -500, 50, 20);
}

void TestBoundControls::cleanup() {
    m_window.reset();
    m_source.reset();
    m_trainees.reset();
    m_connection.reset();
    m_database.reset();
}

void TestBoundControls::addKinds() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("firstRow");
    QTest::addColumn<QString>("secondRow");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("written");
    QTest::addColumn<QVariant>("readBack");

    QTest::newRow("edit") << Kind::Edit << "adi" << "Ayşe"
                          << "Mehmet"
                          << "Zeynep" << QVariant("Zeynep") << QVariant("Zeynep");
    QTest::newRow("box") << Kind::Box << "e_adresi" << "Atatürk Cad.\nNo 5"
                         << ""
                         << "İnönü Sok. 3" << QVariant("İnönü Sok. 3")
                         << QVariant("İnönü Sok. 3");
    QTest::newRow("date") << Kind::Date << "dogumtarihi" << "09.07.1985"
                          << ""
                          << "3.4.2001" << QVariant(QDate(2001, 4, 3))
                          << QVariant(QDateTime(QDate(2001, 4, 3), QTime(0, 0)));
    QTest::newRow("fixed list") << Kind::FixedList << "cinsiyeti" << "Kadın"
                                << ""
                                << "Erkek" << QVariant("Erkek") << QVariant("Erkek");
    QTest::newRow("free list") << Kind::FreeList << "n_medeni" << "EVLİ"
                               << "NİŞANLI"
                               << "DUL" << QVariant("DUL") << QVariant("DUL");
}

QWidget* TestBoundControls::newControl(Kind kind, const QString& field) {
    QWidget* parent = m_window.get();
    switch (kind) {
    case Kind::Edit: return new BoundLineEdit(*m_source, field, parent);
    case Kind::Box: return new BoundTextBox(*m_source, field, parent);
    case Kind::Date: return new DateBox(*m_source, field, parent);
    case Kind::FixedList:
        return new BoundComboBox(*m_source, field, ListKind::Fixed, {"Erkek", "Kadın"}, parent);
    case Kind::FreeList:
        return new BoundComboBox(*m_source, field, ListKind::Free, {"BEKAR", "EVLİ", "BOŞANMIŞ", "DUL"}, parent);
    }
    return nullptr;
}

template <typename Control> Control* TestBoundControls::present(Control* control) {
    m_window->layout()->addWidget(control);
    control->show();
    m_window->show();
    m_window->activateWindow();
    if (!QTest::qWaitForWindowActive(m_window.get()))
        qFatal("the test window did not become active");
    m_next->setFocus();
    return control;
}

// Types as a user does: focus in, select what is there, type over it. From a fixed list the
// entry is chosen with the arrow keys.
void TestBoundControls::enter(QWidget* control, const QString& text) {
    control->setFocus();
    QVERIFY(control->hasFocus());
    if (auto* list = qobject_cast<QComboBox*>(control); list && !list->isEditable()) {
        QTest::keyClick(list, Qt::Key_Home);
        while (list->currentText() != text && list->currentIndex() + 1 < list->count())
            QTest::keyClick(list, Qt::Key_Down);
        return;
    }
    QTest::keyClick(control, Qt::Key_A, Qt::ControlModifier);
    type(control, text);
}

void TestBoundControls::leave() {
    m_next->setFocus();
    QVERIFY(m_next->hasFocus());
}

// What the database holds for the current trainee, read by a statement of its own.
QVariant TestBoundControls::stored(const QString& field) {
    Dataset check(*m_connection, "check");
    check.setSql(QString("select %1 from tb_kursiyer order by kID").arg(field));
    check.open();
    check.moveTo(m_trainees->currentRow());
    return check.value(0);
}

void TestBoundControls::showsTheCurrentRow() {
    QFETCH(Kind, kind);
    QFETCH(QString, field);
    QFETCH(QString, firstRow);
    QFETCH(QString, secondRow);

    QWidget* control = newControl(kind, field);
    QCOMPARE(control->objectName(), field);
    QCOMPARE(shownText(control), firstRow);
    m_trainees->next();
    QCOMPARE(shownText(control), secondRow);
    m_trainees->first();
    QCOMPARE(shownText(control), firstRow);

    m_trainees->close();
    QCOMPARE(shownText(control), QString());
    m_trainees->setSql("select * from tb_kursiyer where kID < 0");
    m_trainees->open();
    QCOMPARE(shownText(control), QString());
}

void TestBoundControls::passingThroughWritesNothing() {
    QFETCH(Kind, kind);
    QFETCH(QString, field);

    m_trainees->next(); // empty values and values outside the lists must survive too
    QWidget* control = present(newControl(kind, field));
    const QVariant before = m_trainees->value(field);
    control->setFocus();
    leave();
    m_offside->setFocus();
    control->setFocus();
    leave();

    QCOMPARE(m_trainees->state(), Dataset::State::Browse);
    QCOMPARE(m_trainees->value(field), before);
}

void TestBoundControls::leavingWritesTheChangedEntry() {
    QFETCH(Kind, kind);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QVariant, written);
    QFETCH(QVariant, readBack);

    QWidget* control = present(newControl(kind, field));
    enter(control, typed);
    leave();

    QCOMPARE(m_trainees->state(), Dataset::State::Edit);
    QCOMPARE(m_trainees->value(field), written);
    m_trainees->post();
    QCOMPARE(stored(field), readBack);
}

// The main window's way to make the focused control write: the focus goes away and comes back.
void TestBoundControls::focusAwayAndBackWritesTheEntry() {
    QFETCH(Kind, kind);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QVariant, written);

    QWidget* control = present(newControl(kind, field));
    enter(control, typed);
    m_offside->setFocus();
    control->setFocus();

    QVERIFY(control->hasFocus());
    QCOMPARE(m_trainees->value(field), written);
}

void TestBoundControls::commitWritesTheEntry() {
    QFETCH(Kind, kind);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QVariant, written);

    QWidget* control = present(newControl(kind, field));
    enter(control, typed);
    dynamic_cast<BoundControl*>(control)->commit();

    QVERIFY(control->hasFocus());
    QCOMPARE(m_trainees->value(field), written);
}

void TestBoundControls::cancellingDropsAnEntryNotYetWritten() {
    auto* name = present(new BoundLineEdit(*m_source, "adi", m_window.get()));
    auto* birth = present(new DateBox(*m_source, "dogumtarihi", m_window.get()));
    enter(birth, "01.01.1990");
    leave();
    enter(name, "Zeynep");

    m_trainees->cancel();
    QCOMPARE(name->text(), QString("Ayşe"));
    QCOMPARE(birth->text(), QString("09.07.1985"));
    leave();
    QCOMPARE(m_trainees->state(), Dataset::State::Browse);
    QCOMPARE(stored("adi").toString(), QString("Ayşe"));
}

void TestBoundControls::aWriteToAnotherFieldKeepsAPendingEntry() {
    auto* name = present(new BoundLineEdit(*m_source, "adi", m_window.get()));
    enter(name, "Zeynep");
    m_trainees->setValue("soyadi", "Kaya");
    QCOMPARE(name->text(), QString("Zeynep"));
    leave();
    QCOMPARE(m_trainees->value("adi").toString(), QString("Zeynep"));
    QCOMPARE(m_trainees->value("soyadi").toString(), QString("Kaya"));
}

void TestBoundControls::followsAWriteToItsField() {
    BoundLineEdit name(*m_source, "adi");
    DateBox birth(*m_source, "dogumtarihi");
    m_trainees->setValue("adi", "Zeynep");
    m_trainees->setValue("dogumtarihi", QDate(2000, 2, 29));
    QCOMPARE(name.text(), QString("Zeynep"));
    QCOMPARE(birth.text(), QString("29.02.2000"));
}

void TestBoundControls::editTakesNoMoreThanItsColumn() {
    auto* name = present(new BoundLineEdit(*m_source, "adi", m_window.get()));
    QCOMPARE(name->maxLength(), 30);
    enter(name, QString(40, 'x'));
    leave();
    QCOMPARE(m_trainees->value("adi").toString(), QString(30, 'x'));
    m_trainees->post();
    QCOMPARE(stored("adi").toString(), QString(30, 'x'));
}

void TestBoundControls::boxStopsTypingAtItsColumnWidth() {
    auto* box = present(new BoundTextBox(*m_source, "e_adresi", m_window.get()));
    enter(box, QString(45, 'a'));
    QTest::keyClick(box, Qt::Key_Return);
    type(box, QString(10, 'b'));
    QCOMPARE(box->toPlainText(), QString(45, 'a') + '\n' + QString(4, 'b'));

    // Over a selection there is room again for as much as the selection held.
    QTest::keyClick(box, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(box, Qt::Key_Left, Qt::ShiftModifier);
    type(box, "cd");
    QCOMPARE(box->toPlainText(), QString(45, 'a') + '\n' + "bbcd");
    leave();
    m_trainees->post();
    QCOMPARE(stored("e_adresi").toString().size(), 50);
}

void TestBoundControls::boxCutsAPasteToItsColumnWidth() {
    auto* box = present(new BoundTextBox(*m_source, "e_adresi", m_window.get()));
    enter(box, QString(40, 'a'));
    QApplication::clipboard()->setText("0123456789ABCDEF");
    box->paste();
    QCOMPARE(box->toPlainText(), QString(40, 'a') + "0123456789");
}

void TestBoundControls::boxLeavesTabToTheFocusChain() {
    auto* box = present(new BoundTextBox(*m_source, "e_adresi", m_window.get()));
    QWidget::setTabOrder(box, m_next);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Tab);
    QVERIFY(m_next->hasFocus());
    QCOMPARE(m_trainees->value("e_adresi").toString(), QString("Atatürk Cad.\nNo 5"));
}

void TestBoundControls::fixedListOffersOnlyItsEntries() {
    m_trainees->next(); // holds "Diğer", which is no entry
    auto* sex = present(new BoundComboBox(*m_source, "cinsiyeti", ListKind::Fixed, {"Erkek", "Kadın"}, m_window.get()));
    QVERIFY(!sex->isEditable());
    QCOMPARE(sex->currentIndex(), -1);
    sex->setFocus();
    type(sex, "Diğer");
    QVERIFY(sex->currentText() == "Erkek" || sex->currentText().isEmpty());
    QCOMPARE(sex->count(), 2);
}

void TestBoundControls::fixedListWritesAChoiceAtOnce() {
    auto* sex = present(new BoundComboBox(*m_source, "cinsiyeti", ListKind::Fixed, {"Erkek", "Kadın"}, m_window.get()));
    sex->setFocus();
    QTest::keyClick(sex, Qt::Key_Up);
    QVERIFY(sex->hasFocus());
    QCOMPARE(m_trainees->state(), Dataset::State::Edit);
    QCOMPARE(m_trainees->value("cinsiyeti").toString(), QString("Erkek"));
}

void TestBoundControls::freeListKeepsTypedTextOutOfTheList() {
    auto* status = present(new BoundComboBox(*m_source, "n_medeni", ListKind::Free, {"BEKAR", "EVLİ"}, m_window.get()));
    QCOMPARE(status->lineEdit()->maxLength(), 10);
    enter(status, "NİŞANLI");
    QTest::keyClick(status, Qt::Key_Return);
    leave();
    QCOMPARE(m_trainees->value("n_medeni").toString(), QString("NİŞANLI"));
    QCOMPARE(status->count(), 2);
}

// The main window fills the vehicle lists after the controls show a row; that must not put the
// first vehicle into a trainee that has none, nor hide the one it has.
void TestBoundControls::listsKeepTheirValueWhenTheEntriesChange() {
    auto* status = present(new BoundComboBox(*m_source, "n_medeni", ListKind::Free, {}, m_window.get()));
    auto* sex = present(new BoundComboBox(*m_source, "cinsiyeti", ListKind::Fixed, {}, m_window.get()));
    m_trainees->next();
    status->addItems({"BEKAR", "EVLİ"});
    sex->addItems({"Erkek", "Kadın"});
    QCOMPARE(status->currentText(), QString("NİŞANLI"));
    QCOMPARE(sex->currentIndex(), -1);

    m_trainees->first();
    status->clear();
    status->addItem("DUL");
    QCOMPARE(status->currentText(), QString("EVLİ"));
    QCOMPARE(sex->currentText(), QString("Kadın"));
    status->setFocus();
    leave();
    QCOMPARE(m_trainees->state(), Dataset::State::Browse);
}

void TestBoundControls::checkBoxShowsTheField() {
    BoundCheckBox licensed(*m_source, "ehliyetAldi", "Bu sürücü ehliyet almış...");
    QCOMPARE(licensed.text(), QString("Bu sürücü ehliyet almış..."));
    QVERIFY(licensed.isChecked());
    m_trainees->next(); // an empty yes/no field
    QVERIFY(!licensed.isChecked());
    m_trainees->close();
    QVERIFY(!licensed.isChecked());
}

void TestBoundControls::checkBoxWritesAClickAtOnce() {
    auto* licensed = present(new BoundCheckBox(*m_source, "ehliyetAldi", "Bu sürücü ehliyet almış...", m_window.get()));
    QTest::mouseClick(licensed, Qt::LeftButton, {}, QPoint(8, licensed->height() / 2));
    QCOMPARE(m_trainees->value("ehliyetAldi"), QVariant(false));
    m_trainees->post();
    QCOMPARE(stored("ehliyetAldi"), QVariant(false));

    QTest::keyClick(licensed, Qt::Key_Space);
    QCOMPARE(m_trainees->value("ehliyetAldi"), QVariant(true));
}

void TestBoundControls::emptyDateStaysNull() {
    m_trainees->next();
    auto* birth = present(new DateBox(*m_source, "dogumtarihi", m_window.get()));
    QCOMPARE(birth->text(), QString());
    enter(birth, "");
    leave();
    QCOMPARE(m_trainees->state(), Dataset::State::Browse);
    m_trainees->setValue("adi", "Mehmet Ali");
    m_trainees->post();
    QVERIFY(stored("dogumtarihi").isNull());
}

void TestBoundControls::readsTwoDigitYears_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date");

    QTest::newRow("49 is 2049") << "01.02.49" << QDate(2049, 2, 1);
    QTest::newRow("50 is 1950") << "01.02.50" << QDate(1950, 2, 1);
    QTest::newRow("00 is 2000") << "29.02.00" << QDate(2000, 2, 29);
    QTest::newRow("99 is 1999") << "31.12.99" << QDate(1999, 12, 31);
    QTest::newRow("single digits") << "5.6.07" << QDate(2007, 6, 5);
    QTest::newRow("four digits kept") << "01.02.1949" << QDate(1949, 2, 1);
    QTest::newRow("slashes") << "01/02/2049" << QDate(2049, 2, 1);
}

void TestBoundControls::readsTwoDigitYears() {
    QFETCH(QString, typed);
    QFETCH(QDate, date);

    auto* birth = present(new DateBox(*m_source, "dogumtarihi", m_window.get()));
    enter(birth, typed);
    leave();
    QCOMPARE(m_trainees->value("dogumtarihi").toDate(), date);
    QCOMPARE(birth->text(), date.toString("dd.MM.yyyy"));
}

void TestBoundControls::emptiedDateBecomesNull() {
    auto* birth = present(new DateBox(*m_source, "dogumtarihi", m_window.get()));
    enter(birth, "");
    QTest::keyClick(birth, Qt::Key_Delete);
    leave();
    QCOMPARE(m_trainees->state(), Dataset::State::Edit);
    QVERIFY(!m_trainees->value("dogumtarihi").isValid());
    m_trainees->post();
    QVERIFY(stored("dogumtarihi").isNull());
    QCOMPARE(birth->text(), QString());
}

void TestBoundControls::refusesATextThatIsNoDate() {
    ModalWatcher boxes;
    auto* birth = present(new DateBox(*m_source, "dogumtarihi", m_window.get()));
    enter(birth, "31.02.2020");
    m_next->setFocus();

    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].caption, QString("Oltravi"));
    QCOMPARE(boxes.seen[0].text, QString("\"31.02.2020\" geçerli bir tarih değil."));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    QCOMPARE(birth->text(), QString("09.07.1985"));
    QCOMPARE(m_trainees->state(), Dataset::State::Browse);
}

void TestBoundControls::writesADayPickedFromTheCalendar() {
    m_trainees->next();
    auto* birth = present(new DateBox(*m_source, "dogumtarihi", m_window.get()));
    enter(birth, "1.1.19");
    QTest::keyClick(birth, Qt::Key_F4);
    QCalendarWidget* calendar = birth->calendar();
    QVERIFY(calendar && calendar->isVisible());
    QCOMPARE(calendar->selectedDate(), QDate(2019, 1, 1));
    QCOMPARE(m_trainees->state(), Dataset::State::Browse); // dropping down is no leaving

    calendar->setSelectedDate(QDate(1990, 5, 17));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!calendar->isVisible());
    QCOMPARE(birth->text(), QString("17.05.1990"));
    QCOMPARE(m_trainees->value("dogumtarihi").toDate(), QDate(1990, 5, 17));
}

void TestBoundControls::storesDatesWithoutTime() {
    auto* birth = present(new DateBox(*m_source, "dogumtarihi", m_window.get()));
    enter(birth, "15.06.2024");
    leave();
    QCOMPARE(m_trainees->value("dogumtarihi").typeId(), QMetaType::QDate);
    m_trainees->post();
    QCOMPARE(stored("dogumtarihi").toDateTime(), QDateTime(QDate(2024, 6, 15), QTime(0, 0)));
}

QTEST_MAIN(TestBoundControls)
#include "tst_bound_controls.moc"
