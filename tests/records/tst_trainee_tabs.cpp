#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "data/connection.h"
#include "data/data_source.h"
#include "data/dataset.h"
#include "data/schema.h"
#include "data/value_lists.h"
#include "records/trainee_tabs.h"
#include "test_support.h"
#include "ui/bound_controls.h"
#include "ui/date_box.h"

#include <map>
#include <memory>

namespace {

const char* const PageCaptions[] = {"Kişisel Bilgiler", "Nüfus Cüzdanı", "Ev Bilgileri", "İş Bilgileri",
                                    "Kurs Bilgileri",   "Sınavlar",      "Sertifika",    "Ödemeler"};
constexpr int BuiltPages = 7;

// The course lists the main window fills, by their names.
const std::map<QString, QString> NamedLists = {
    {"k_arac", "DBComboBox11"}, {"k_aracplaka", "DBComboBox12"}, {"k_guzergah", "DBComboBox13"}};

QString nameOf(const QString& field) {
    const auto named = NamedLists.find(field);
    return named == NamedLists.end() ? field : named->second;
}

} // namespace

class TestTraineeTabs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyFieldHasOneControlOfItsType();
    void controlsShowTheCurrentTrainee();
    void labelsAndChecksCarryTheColumnsCaptions();
    void listsOfferTheValueLists_data();
    void listsOfferTheValueLists();
    void onlySexAndLicenceClassAreFixed();
    void courseListsAreLeftEmpty();
    void firstTabIsTabbedThroughInTableOrder();
    void examTabIsTabbedRowByRowThenThroughTheButtons();
    void notTakenButtonsCarryTheirRowNumber();
    void certificateProvinceSharesARowWithItsPlateCode();
    void onlyTheCourseChecksAreBold();
    void everyControlFitsThePanel();

private:
    std::map<QString, QWidgetList> boundControls() const;
    QWidget* control(const QString& field) const;
    QStringList tabbing(const QString& from, int steps);

    std::unique_ptr<TempDatabase> m_database;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<Dataset> m_trainees;
    std::unique_ptr<DataSource> m_source;
    std::unique_ptr<QTabWidget> m_pages;
};

void TestTraineeTabs::initTestCase() { useProgramLocale(); }

void TestTraineeTabs::init() {
    m_database = std::make_unique<TempDatabase>();
    m_connection = std::make_unique<Connection>();
    m_database->open(*m_connection);
    m_connection->execute("INSERT INTO tb_kursiyer (adi, n_kangrubu, s_tarih3, k_arac, m_motor, ser_ilplaka, ser_il) "
                          "VALUES ('Ayşe', 'AB RH (+) ', '2023-11-20 00:00:00', 'Doblo', -1, '06', 'ANKARA')");
    m_trainees = std::make_unique<Dataset>(*m_connection, "tkursiyer");
    m_trainees->setSql("select * from tb_kursiyer\nwhere kID > 0\norder by kID");
    m_trainees->open();
    m_source = std::make_unique<DataSource>(*m_trainees, "dkursiyer");

    // As the main window has them: eight plain pages; the panel about 260 pixels high.
    m_pages = std::make_unique<QTabWidget>();
    for (const char* caption : PageCaptions)
        m_pages->addTab(new QWidget, caption);
    m_pages->resize(1280, 260);
    buildTraineeTabs(*m_pages, *m_source);
}

void TestTraineeTabs::cleanup() {
    m_pages.reset();
    m_source.reset();
    m_trainees.reset();
    m_connection.reset();
    m_database.reset();
}

// Every bound control on the seven pages, by its field.
std::map<QString, QWidgetList> TestTraineeTabs::boundControls() const {
    std::map<QString, QWidgetList> controls;
    for (int page = 0; page < BuiltPages; ++page)
        for (QWidget* widget : m_pages->widget(page)->findChildren<QWidget*>())
            if (auto* bound = dynamic_cast<BoundControl*>(widget))
                controls[bound->field()] << widget;
    return controls;
}

QWidget* TestTraineeTabs::control(const QString& field) const {
    return m_pages->findChild<QWidget*>(nameOf(field));
}

// Object names of the controls the focus visits, starting at `from`, one Tab key each.
QStringList TestTraineeTabs::tabbing(const QString& from, int steps) {
    m_pages->show();
    m_pages->activateWindow();
    if (!QTest::qWaitForWindowActive(m_pages.get()))
        return {};
    QWidget* start = control(from);
    for (int page = 0; page < BuiltPages; ++page)
        if (m_pages->widget(page)->isAncestorOf(start))
            m_pages->setCurrentIndex(page);
    start->setFocus();
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < steps; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    return visited;
}

void TestTraineeTabs::everyFieldHasOneControlOfItsType() {
    const std::map<QString, QWidgetList> controls = boundControls();
    int fields = 0;
    for (const Column& column : Schema::table(u"tb_kursiyer")->columns) {
        if (column.name == "kID" || column.name == "odeme_tutari")
            continue;
        ++fields;
        const auto found = controls.find(column.name);
        QVERIFY2(found != controls.end(), qPrintable(column.name));
        QCOMPARE(found->second.size(), 1);
        QWidget* widget = found->second.front();
        QCOMPARE(widget->objectName(), nameOf(column.name));
        switch (column.type) {
        case ColumnType::Date: QVERIFY2(qobject_cast<DateBox*>(widget), qPrintable(column.name)); break;
        case ColumnType::YesNo: QVERIFY2(qobject_cast<BoundCheckBox*>(widget), qPrintable(column.name)); break;
        default: QVERIFY2(!qobject_cast<DateBox*>(widget) && !qobject_cast<QCheckBox*>(widget), qPrintable(column.name));
        }
    }
    QCOMPARE(int(controls.size()), fields);
}

void TestTraineeTabs::controlsShowTheCurrentTrainee() {
    QCOMPARE(qobject_cast<QLineEdit*>(control("adi"))->text(), QString("Ayşe"));
    QCOMPARE(qobject_cast<QLineEdit*>(control("s_tarih3"))->text(), QString("20.11.2023"));
    QCOMPARE(qobject_cast<QComboBox*>(control("n_kangrubu"))->currentText(), QString("AB RH (+) "));
    QCOMPARE(qobject_cast<QComboBox*>(control("k_arac"))->currentText(), QString("Doblo"));
    QVERIFY(qobject_cast<QCheckBox*>(control("m_motor"))->isChecked());
    QVERIFY(!qobject_cast<QCheckBox*>(control("m_trafik"))->isChecked());
}

// The column table and the tab tables both give the captions; they must agree. Only the exam
// tables (captioned by their column heads) and the first box of a two-box row go without a label.
void TestTraineeTabs::labelsAndChecksCarryTheColumnsCaptions() {
    QStringList unlabelled;
    for (const auto& [field, widgets] : boundControls()) {
        QWidget* widget = widgets.front();
        const QString caption = Schema::anyColumn(field)->label;
        if (auto* check = qobject_cast<QCheckBox*>(widget)) {
            QCOMPARE(check->text(), caption);
        } else if (auto* label = m_pages->findChild<QLabel*>("lbl_" + field)) {
            QCOMPARE(label->text(), caption);
        } else {
            unlabelled << field;
        }
    }
    for (const QString& field : unlabelled)
        QVERIFY2(field.startsWith("s_") || field.startsWith("d_") || field == "n_seri" || field == "ser_ilplaka",
                 qPrintable(field));
    QCOMPARE(unlabelled.size(), 20 + 10 + 1 + 2);
}

void TestTraineeTabs::listsOfferTheValueLists_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("sex") << "cinsiyeti" << ValueLists::sexes();
    QTest::newRow("licence class") << "ehliyetsinifi" << ValueLists::licenceClasses();
    QTest::newRow("marital status") << "n_medeni" << ValueLists::maritalStatuses();
    QTest::newRow("religion") << "n_dini" << ValueLists::religions();
    QTest::newRow("blood group") << "n_kangrubu" << ValueLists::bloodGroups();
    QTest::newRow("certificate class") << "k_sertifikasinifi" << ValueLists::certificateClasses();
    for (const char* field : {"n_il", "n_verildigi", "e_sehir", "i_sehir", "k_verildigi", "ser_il"})
        QTest::newRow(field) << field << ValueLists::provinces();
}

void TestTraineeTabs::listsOfferTheValueLists() {
    QFETCH(QString, field);
    QFETCH(QStringList, entries);

    auto* list = qobject_cast<QComboBox*>(control(field));
    QVERIFY(list);
    QStringList offered;
    for (int i = 0; i < list->count(); ++i)
        offered << list->itemText(i);
    QCOMPARE(offered, entries);
}

void TestTraineeTabs::onlySexAndLicenceClassAreFixed() {
    QStringList fixed;
    for (QComboBox* list : m_pages->findChildren<QComboBox*>())
        if (!list->isEditable())
            fixed << list->objectName();
    fixed.sort();
    QCOMPARE(fixed, QStringList({"cinsiyeti", "ehliyetsinifi"}));
}

void TestTraineeTabs::courseListsAreLeftEmpty() {
    for (const auto& [field, name] : NamedLists) {
        auto* list = m_pages->widget(4)->findChild<QComboBox*>(name);
        QVERIFY2(list, qPrintable(name));
        QVERIFY(list->isEditable());
        QCOMPARE(list->count(), 0);
    }
}

void TestTraineeTabs::firstTabIsTabbedThroughInTableOrder() {
    QCOMPARE(tabbing("adi", 10), QStringList({"adi", "soyadi", "adayno", "dogumtarihi", "ceptelefonu", "eposta",
                                              "web", "cinsiyeti", "ehliyetsinifi", "kayitTarihi", "ehliyetAldi"}));
}

void TestTraineeTabs::examTabIsTabbedRowByRowThenThroughTheButtons() {
    const QStringList visited = tabbing("s_tarih1", 35);
    QStringList expected;
    for (int n = 1; n <= 5; ++n)
        expected << QString("s_tarih%1").arg(n) << QString("s_trafik%1").arg(n) << QString("s_ilkyardim%1").arg(n)
                 << QString("s_motor%1").arg(n);
    for (int n = 1; n <= 5; ++n)
        expected << QString("btn%1x").arg(n);
    for (int n = 1; n <= 5; ++n)
        expected << QString("d_tarih%1").arg(n) << QString("d_not%1").arg(n);
    expected << "d_aciklama";
    QCOMPARE(visited, expected);
    QCOMPARE(tabbing("m_trafik", 3), QStringList({"m_trafik", "m_ilkyardim", "m_motor", "m_direksiyon"}));
}

void TestTraineeTabs::notTakenButtonsCarryTheirRowNumber() {
    QWidget* exams = m_pages->widget(5);
    for (int n = 1; n <= 5; ++n) {
        auto* button = exams->findChild<QPushButton*>(QString("btn%1x").arg(n));
        QVERIFY(button);
        QCOMPARE(button->text(), QString("Girmedi"));
        QCOMPARE(button->toolTip(), QString::number(n));
    }
    QCOMPARE(exams->findChildren<QPushButton*>().size(), 5);
}

void TestTraineeTabs::certificateProvinceSharesARowWithItsPlateCode() {
    m_pages->setCurrentIndex(6);
    m_pages->show();
    QWidget* plate = control("ser_ilplaka");
    QWidget* province = control("ser_il");
    QCOMPARE(plate->toolTip(), QString("Plaka No"));
    QCOMPARE(qobject_cast<QLineEdit*>(plate)->text(), QString("06"));
    QCOMPARE(plate->y(), province->y());
    QVERIFY(plate->x() < province->x());
    QCOMPARE(tabbing("ser_ilplaka", 2), QStringList({"ser_ilplaka", "ser_il", "ser_tarih"}));
}

void TestTraineeTabs::onlyTheCourseChecksAreBold() {
    QStringList bold;
    for (QCheckBox* check : m_pages->findChildren<QCheckBox*>())
        if (check->font().bold())
            bold << check->objectName();
    bold.sort();
    QCOMPARE(bold, QStringList({"k_belgeoncende", "k_surekli"}));
}

void TestTraineeTabs::everyControlFitsThePanel() {
    m_pages->show();
    for (int page = 0; page < BuiltPages; ++page) {
        m_pages->setCurrentIndex(page);
        QWidget* content = m_pages->widget(page);
        QApplication::processEvents();
        for (QWidget* widget : content->findChildren<QWidget*>()) {
            if (!dynamic_cast<BoundControl*>(widget) && !qobject_cast<QPushButton*>(widget))
                continue;
            const QRect placed(widget->mapTo(content, QPoint(0, 0)), widget->size());
            QVERIFY2(content->rect().contains(placed), qPrintable(widget->objectName()));
            // A box of several lines may be lower than its scroll area asks; it scrolls.
            if (!qobject_cast<QPlainTextEdit*>(widget))
                QVERIFY2(widget->height() >= widget->sizeHint().height(), qPrintable(widget->objectName()));
        }
    }
}

QTEST_MAIN(TestTraineeTabs)
#include "tst_trainee_tabs.moc"
