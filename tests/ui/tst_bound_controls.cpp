#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QTest>
#include <QVBoxLayout>

#include "data/connection.h"
#include "data/data_source.h"
#include "data/dataset.h"
#include "data/schema.h"
#include "test_support.h"
#include "ui/bound_controls.h"
#include "ui/date_box.h"

#include <memory>

namespace {

enum class Kind { Edit, Box, Date, FixedList, FreeList };

// The first trainee has a value in every field used here; the second has empty fields and
// values that are not among the list entries.
const char* const Rows[] = {
    "INSERT INTO tb_kursiyer (adi, dogumtarihi, cinsiyeti, n_medeni, e_adresi, ehliyetAldi) VALUES "
    "('Ayşe', '1985-07-09 00:00:00', 'Kadın', 'EVLİ', 'Atatürk Cad.\nNo 5', -1)",
    "INSERT INTO tb_kursiyer (adi, cinsiyeti, n_medeni, ehliyetAldi) VALUES ('Mehmet', 'Diğer', 'NİŞANLI', "
    "NULL)",
};

// QTest::keyClicks takes Latin-1 only; Turkish letters are typed as the key events they arrive as,
// one for each character (both halves of an emoji come in one).
void type(QWidget* control, const QString& text) {
    for (const char32_t c : text.toUcs4())
        QTest::sendKeyEvent(QTest::Click, control, Qt::Key_unknown, QString::fromUcs4(&c, 1), Qt::NoModifier);
}

QString shownText(const QWidget* control) {
    if (auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (auto* box = qobject_cast<const QPlainTextEdit*>(control))
        return box->toPlainText();
    return qobject_cast<const QComboBox*>(control)->currentText();
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestBoundControls : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }
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
    void cancellingDropsAnEntryNotYetWritten();
    void aWriteToAnotherFieldKeepsAPendingEntry();
    void followsAWriteToItsField();

    void editTakesNoMoreThanItsColumn();
    void boxTakesNoMoreThanItsColumn();
    void boxLeavesTabToTheFocusChain();
    void cutsTextsOnlyAtWholeCharacters_data();
    void cutsTextsOnlyAtWholeCharacters();
    void fixedListOffersOnlyItsEntriesAndWritesAtOnce();
    void freeListKeepsTypedTextOutOfTheList();
    void listsKeepTheirValueWhenTheEntriesChange();
    void checkBoxShowsAndWritesAtOnce();
    void readsTwoDigitYears_data();
    void readsTwoDigitYears();
    void emptiedDateBecomesNull();
    void refusesATextThatIsNoDate();
    void writesADayPickedFromTheCalendar();

private:
    void addKinds();
    QWidget* newControl(Kind kind, const QString& field);
    // Puts the control in the shown, active window, with the focus elsewhere.
    template <typename Control> Control* present(Control* control);
    void enter(QWidget* control, const QString& text);
    void leave() { m->next->setFocus(); }
    QVariant stored(const QString& field);

    // Everything a test works on, made anew for each and destroyed in reverse order.
    struct Fixture {
        Fixture();
        ModalWatcher boxes; // answers the error box of a refused entry; no other test may see one
        TempDatabase database;
        Connection connection;
        Dataset trainees{connection, "tkursiyer"};
        DataSource source{trainees, "dkursiyer"};
        QWidget window;
        QLineEdit* next = new QLineEdit(&window);
        // Stands for the main window's focus target: shown, but outside the visible area.
        QLineEdit* offside = new QLineEdit(&window);
    };
    std::unique_ptr<Fixture> m;
};

TestBoundControls::Fixture::Fixture() {
    database.open(connection);
    for (const char* row : Rows)
        connection.execute(row);
    trainees.setSql("select * from tb_kursiyer\nwhere kID > 0\norder by kID");
    trainees.open();
    (new QVBoxLayout(&window))->addWidget(next);
    offside->setGeometry(-500, -500, 50, 20);
}

void TestBoundControls::init() {
    m = std::make_unique<Fixture>();
}

void TestBoundControls::cleanup() {
    const bool boxShown = !m->boxes.seen.isEmpty();
    m.reset();
    QVERIFY(!boxShown || QTest::currentTestFunction() == QByteArray("refusesATextThatIsNoDate"));
}

void TestBoundControls::addKinds() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("firstRow");
    QTest::addColumn<QString>("secondRow");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("written");
    QTest::addColumn<QVariant>("readBack");

    const QDate day(2001, 4, 3);
    // clang-format off
    QTest::newRow("edit") << Kind::Edit << "adi" << "Ayşe" << "Mehmet"
                          << "Zeynep" << QVariant("Zeynep") << QVariant("Zeynep");
    QTest::newRow("box") << Kind::Box << "e_adresi" << "Atatürk Cad.\nNo 5" << ""
                         << "İnönü Sok." << QVariant("İnönü Sok.") << QVariant("İnönü Sok.");
    QTest::newRow("date") << Kind::Date << "dogumtarihi" << "09.07.1985" << ""
                          << "3.4.2001" << QVariant(day) << QVariant(QDateTime(day, QTime(0, 0)));
    QTest::newRow("fixed list") << Kind::FixedList << "cinsiyeti" << "Kadın" << ""
                                << "Erkek" << QVariant("Erkek") << QVariant("Erkek");
    QTest::newRow("free list") << Kind::FreeList << "n_medeni" << "EVLİ" << "NİŞANLI"
                               << "DUL" << QVariant("DUL") << QVariant("DUL");
    // clang-format on
}

QWidget* TestBoundControls::newControl(Kind kind, const QString& field) {
    QWidget* parent = &m->window;
    const QStringList sexes{"Erkek", "Kadın"};
    const QStringList statuses{"BEKAR", "EVLİ", "BOŞANMIŞ", "DUL"};
    switch (kind) {
    case Kind::Edit:
        return new BoundLineEdit(m->source, field, parent);
    case Kind::Box:
        return new BoundTextBox(m->source, field, parent);
    case Kind::Date:
        return new DateBox(m->source, field, parent);
    case Kind::FixedList:
        return new BoundComboBox(m->source, field, ListKind::Fixed, sexes, parent);
    case Kind::FreeList:
        return new BoundComboBox(m->source, field, ListKind::Free, statuses, parent);
    }
    return nullptr;
}

template <typename Control> Control* TestBoundControls::present(Control* control) {
    m->window.layout()->addWidget(control);
    control->show();
    m->window.show();
    m->window.activateWindow();
    if (!QTest::qWaitForWindowActive(&m->window))
        qFatal("the test window did not become active");
    m->next->setFocus();
    return control;
}

// As a user does: focus in, select all, type over it; from a fixed list, choose with the arrows.
void TestBoundControls::enter(QWidget* control, const QString& text) {
    control->setFocus();
    if (auto* list = qobject_cast<QComboBox*>(control); list && !list->isEditable()) {
        QTest::keyClick(list, Qt::Key_Home);
        while (list->currentText() != text && list->currentIndex() + 1 < list->count())
            QTest::keyClick(list, Qt::Key_Down);
        return;
    }
    QTest::keyClick(control, Qt::Key_A, Qt::ControlModifier);
    type(control, text);
}

// What the database holds for the current trainee, read by a statement of its own.
QVariant TestBoundControls::stored(const QString& field) {
    Dataset check(m->connection, "check");
    check.setSql(QString("select %1 from tb_kursiyer order by kID").arg(field));
    check.open();
    check.moveTo(m->trainees.currentRow());
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
    m->trainees.next();
    QCOMPARE(shownText(control), secondRow);
    m->trainees.close();
    QCOMPARE(shownText(control), QString());
    m->trainees.setSql("select * from tb_kursiyer where kID < 0");
    m->trainees.open();
    QCOMPARE(shownText(control), QString());
}

void TestBoundControls::passingThroughWritesNothing() {
    QFETCH(Kind, kind);
    QFETCH(QString, field);

    m->trainees.next(); // empty values and values outside the lists must survive too
    QWidget* control = present(newControl(kind, field));
    const QVariant before = m->trainees.value(field);
    control->setFocus();
    m->offside->setFocus();
    control->setFocus();
    leave();
    QCOMPARE(m->trainees.state(), Dataset::State::Browse);
    QCOMPARE(m->trainees.value(field), before);
}

void TestBoundControls::leavingWritesTheChangedEntry() {
    QFETCH(Kind, kind);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QVariant, written);
    QFETCH(QVariant, readBack);

    enter(present(newControl(kind, field)), typed);
    leave();
    QCOMPARE(m->trainees.state(), Dataset::State::Edit);
    QCOMPARE(m->trainees.value(field), written);
    m->trainees.post();
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
    m->offside->setFocus();
    control->setFocus();
    QVERIFY(control->hasFocus());
    QCOMPARE(m->trainees.value(field), written);
}

void TestBoundControls::cancellingDropsAnEntryNotYetWritten() {
    auto* name = present(new BoundLineEdit(m->source, "adi", &m->window));
    auto* birth = present(new DateBox(m->source, "dogumtarihi", &m->window));
    enter(birth, "01.01.1990");
    enter(name, "Zeynep");
    m->trainees.cancel();
    QCOMPARE(name->text(), QString("Ayşe"));
    QCOMPARE(birth->text(), QString("09.07.1985"));
    leave();
    QCOMPARE(m->trainees.state(), Dataset::State::Browse);
}

void TestBoundControls::aWriteToAnotherFieldKeepsAPendingEntry() {
    auto* name = present(new BoundLineEdit(m->source, "adi", &m->window));
    enter(name, "Zeynep");
    m->trainees.setValue("soyadi", "Kaya");
    QCOMPARE(name->text(), QString("Zeynep"));
    name->commit();
    QVERIFY(name->hasFocus());
    QCOMPARE(m->trainees.value("adi").toString(), QString("Zeynep"));
}

void TestBoundControls::followsAWriteToItsField() {
    BoundLineEdit result(m->source, "s_trafik3");
    m->trainees.setValue("s_trafik3", "0");
    QCOMPARE(result.text(), QString("0"));
}

void TestBoundControls::editTakesNoMoreThanItsColumn() {
    auto* name = present(new BoundLineEdit(m->source, "adi", &m->window));
    enter(name, QString(40, 'x'));
    leave();
    QCOMPARE(m->trainees.value("adi").toString(), QString(30, 'x'));
}

void TestBoundControls::boxTakesNoMoreThanItsColumn() {
    auto* box = present(new BoundTextBox(m->source, "e_adresi", &m->window));
    enter(box, QString(45, 'a'));
    QTest::keyClick(box, Qt::Key_Return);
    type(box, "bbbbbbbbbb");
    QCOMPARE(box->toPlainText(), QString(45, 'a') + "\nbbbb");
    // Over a selection there is room again for as much as the selection held.
    QTest::keyClick(box, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(box, Qt::Key_Left, Qt::ShiftModifier);
    QApplication::clipboard()->setText("cdefgh");
    box->paste();
    QCOMPARE(box->toPlainText(), QString(45, 'a') + "\nbbcd");
    leave();
    m->trainees.post();
    QCOMPARE(stored("e_adresi").toString().size(), 50);
}

void TestBoundControls::boxLeavesTabToTheFocusChain() {
    auto* box = present(new BoundTextBox(m->source, "e_adresi", &m->window));
    QWidget::setTabOrder(box, m->next);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Tab);
    QVERIFY(m->next->hasFocus());
}

void TestBoundControls::cutsTextsOnlyAtWholeCharacters_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("pasted");

    QTest::newRow("edit, pasted") << Kind::Edit << "adi" << true;
    QTest::newRow("free list, typed") << Kind::FreeList << "n_medeni" << false;
    QTest::newRow("box, typed") << Kind::Box << "e_adresi" << false;
    QTest::newRow("box, pasted") << Kind::Box << "e_adresi" << true;
}

// One code unit of room: enough for an emoji's first half, not for its second.
void TestBoundControls::cutsTextsOnlyAtWholeCharacters() {
    QFETCH(Kind, kind);
    QFETCH(QString, field);
    QFETCH(bool, pasted);

    QWidget* control = present(newControl(kind, field));
    const QString filled(Schema::anyColumn(field)->width - 1, u'ş');
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    enter(control, filled);
    QApplication::clipboard()->setText(emoji);
    if (pasted)
        QTest::keyClick(control, Qt::Key_V, Qt::ControlModifier);
    else
        type(control, emoji);
    leave();
    QCOMPARE(m->trainees.value(field).toString(), filled);
}

void TestBoundControls::fixedListOffersOnlyItsEntriesAndWritesAtOnce() {
    auto* sex = present(new BoundComboBox(m->source, "cinsiyeti", ListKind::Fixed, {"Erkek", "Kadın"}));
    QVERIFY(!sex->isEditable());
    sex->setFocus();
    QTest::keyClick(sex, Qt::Key_Up);
    QVERIFY(sex->hasFocus());
    QCOMPARE(m->trainees.value("cinsiyeti").toString(), QString("Erkek"));
    m->trainees.cancel();
    m->trainees.next(); // holds "Diğer"
    QCOMPARE(sex->currentIndex(), -1);
}

void TestBoundControls::freeListKeepsTypedTextOutOfTheList() {
    auto* status = present(new BoundComboBox(m->source, "n_medeni", ListKind::Free, {"BEKAR", "EVLİ"}));
    QString fieldOnExit;
    const QObject test; // ends the connection with the test
    connect(status, &BoundComboBox::exited, &test,
            [&] { fieldOnExit = m->trainees.value("n_medeni").toString(); });
    enter(status, "NİŞANLI ÇOK UZUN");
    QTest::keyClick(status, Qt::Key_Return);
    leave();
    QCOMPARE(fieldOnExit, QString("NİŞANLI ÇO"));
    QCOMPARE(status->count(), 2);
}

// The main window fills the vehicle lists after the controls show a row: that must neither put
// the first vehicle into a trainee that has none nor hide the one it has.
void TestBoundControls::listsKeepTheirValueWhenTheEntriesChange() {
    auto* status = present(new BoundComboBox(m->source, "n_medeni", ListKind::Free));
    auto* sex = present(new BoundComboBox(m->source, "cinsiyeti", ListKind::Fixed));
    m->trainees.next();
    status->addItems({"BEKAR", "EVLİ"});
    sex->addItems({"Erkek", "Kadın"});
    QCOMPARE(status->currentText(), QString("NİŞANLI"));
    QCOMPARE(sex->currentIndex(), -1);
    m->trainees.first();
    status->clear(); // as when no vehicle is left
    QCOMPARE(status->currentText(), QString("EVLİ"));
    status->addItem("DUL");
    QCOMPARE(status->currentText(), QString("EVLİ"));
    status->setFocus();
    leave();
    QCOMPARE(m->trainees.state(), Dataset::State::Browse);
}

void TestBoundControls::checkBoxShowsAndWritesAtOnce() {
    auto* licensed = present(new BoundCheckBox(m->source, "ehliyetAldi", "Bu sürücü ehliyet almış..."));
    QVERIFY(licensed->isChecked());
    QTest::mouseClick(licensed, Qt::LeftButton, {}, QPoint(8, licensed->height() / 2));
    QCOMPARE(m->trainees.value("ehliyetAldi"), QVariant(false));
    m->trainees.post();
    QCOMPARE(stored("ehliyetAldi"), QVariant(false));
    m->trainees.next(); // an empty yes/no field
    QVERIFY(!licensed->isChecked());
    QTest::keyClick(licensed, Qt::Key_Space);
    QCOMPARE(m->trainees.value("ehliyetAldi"), QVariant(true));
}

void TestBoundControls::readsTwoDigitYears_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date");

    QTest::newRow("49 is 2049") << "01.02.49" << QDate(2049, 2, 1);
    QTest::newRow("50 is 1950") << "01.02.50" << QDate(1950, 2, 1);
    QTest::newRow("00 is 2000") << "29.02.00" << QDate(2000, 2, 29);
    QTest::newRow("99 is 1999") << "31.12.99" << QDate(1999, 12, 31);
    QTest::newRow("four digits kept") << "01.02.1949" << QDate(1949, 2, 1);
    QTest::newRow("slashes") << "5/6/07" << QDate(2007, 6, 5);
}

void TestBoundControls::readsTwoDigitYears() {
    QFETCH(QString, typed);
    QFETCH(QDate, date);

    auto* birth = present(new DateBox(m->source, "dogumtarihi", &m->window));
    enter(birth, typed);
    leave();
    QCOMPARE(m->trainees.value("dogumtarihi").toDate(), date);
    QCOMPARE(birth->text(), date.toString("dd.MM.yyyy"));
}

void TestBoundControls::emptiedDateBecomesNull() {
    auto* birth = present(new DateBox(m->source, "dogumtarihi", &m->window));
    enter(birth, "");
    QTest::keyClick(birth, Qt::Key_Delete);
    leave();
    m->trainees.post();
    QVERIFY(stored("dogumtarihi").isNull());
    QCOMPARE(birth->text(), QString());
}

void TestBoundControls::refusesATextThatIsNoDate() {
    auto* birth = present(new DateBox(m->source, "dogumtarihi", &m->window));
    enter(birth, "31.02.2020");
    leave();
    QCOMPARE(m->boxes.seen.size(), 1);
    QCOMPARE(m->boxes.seen[0].caption, QString("Oltravi"));
    QCOMPARE(m->boxes.seen[0].text, QString("\"31.02.2020\" geçerli bir tarih değil."));
    QCOMPARE(birth->text(), QString("09.07.1985"));
    QCOMPARE(m->trainees.state(), Dataset::State::Browse);
}

void TestBoundControls::writesADayPickedFromTheCalendar() {
    auto* birth = present(new DateBox(m->source, "dogumtarihi", &m->window));
    enter(birth, "1.1.19");
    QTest::keyClick(birth, Qt::Key_F4);
    QCalendarWidget* calendar = birth->calendar();
    QVERIFY(calendar && calendar->isVisible());
    QCOMPARE(calendar->selectedDate(), QDate(2019, 1, 1));
    QCOMPARE(m->trainees.state(), Dataset::State::Browse); // dropping down is no leaving
    calendar->setSelectedDate(QDate(1990, 5, 17));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!calendar->isVisible());
    QCOMPARE(birth->text(), QString("17.05.1990"));
    QCOMPARE(m->trainees.value("dogumtarihi").toDate(), QDate(1990, 5, 17));
}

QTEST_MAIN(TestBoundControls)
#include "tst_bound_controls.moc"
