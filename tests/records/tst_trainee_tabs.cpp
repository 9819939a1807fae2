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

constexpr int BuiltPages = 7;

// The course lists the main window fills, by their names.
const std::map<QString, QString> NamedLists = {
    {"k_arac", "DBComboBox11"}, {"k_aracplaka", "DBComboBox12"}, {"k_guzergah", "DBComboBox13"}};

QString nameOf(const QString& field) {
    const auto named = NamedLists.find(field);
    return named == NamedLists.end() ? field : named->second;
}

QStringList numbered(const QStringList& prefixes, int from, int to) {
    QStringList names;
    for (int n = from; n <= to; ++n)
        for (const QString& prefix : prefixes)
            names << prefix.arg(n);
    return names;
}

} // namespace

class TestTraineeTabs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }
    void init() { m = std::make_unique<Fixture>(); }
    void cleanup() { m.reset(); }

    void everyFieldHasOneControlOfItsType();
    void labelsAndChecksCarryTheColumnsCaptions();
    void listsOfferTheValueLists_data();
    void listsOfferTheValueLists();
    void tabOrderFollowsTheTables_data();
    void tabOrderFollowsTheTables();
    void notTakenButtonsCarryTheirRowNumber();
    void onlyTheCourseChecksAreBold();
    void everyControlFitsThePanel();

private:
    std::map<QString, QWidgetList> boundControls() const;

    // Everything a test works on, made anew for each and destroyed in reverse order.
    struct Fixture {
        Fixture();
        TempDatabase database;
        Connection connection;
        Dataset trainees{connection, "tkursiyer"};
        DataSource source{trainees, "dkursiyer"};
        QTabWidget pages;
    };
    std::unique_ptr<Fixture> m;
};

// As the main window has them: eight plain pages in a panel about 260 pixels high.
TestTraineeTabs::Fixture::Fixture() {
    database.open(connection);
    trainees.setSql("select * from tb_kursiyer\nwhere kID > 0\norder by kID");
    trainees.open();
    for (const char* caption : {"Kişisel Bilgiler", "Nüfus Cüzdanı", "Ev Bilgileri", "İş Bilgileri",
                                "Kurs Bilgileri", "Sınavlar", "Sertifika", "Ödemeler"})
        pages.addTab(new QWidget, caption);
    pages.resize(1280, 260);
    buildTraineeTabs(pages, source);
}

std::map<QString, QWidgetList> TestTraineeTabs::boundControls() const {
    std::map<QString, QWidgetList> controls;
    for (int page = 0; page < BuiltPages; ++page)
        for (QWidget* widget : m->pages.widget(page)->findChildren<QWidget*>())
            if (auto* bound = dynamic_cast<BoundControl*>(widget))
                controls[bound->field()] << widget;
    return controls;
}

void TestTraineeTabs::everyFieldHasOneControlOfItsType() {
    const std::map<QString, QWidgetList> controls = boundControls();
    int fields = 0;
    for (const Column& column : Schema::table(u"tb_kursiyer")->columns) {
        if (column.name == "kID" || column.name == "odeme_tutari" || column.name == Schema::RowVersion)
            continue;
        ++fields;
        const auto found = controls.find(column.name);
        QVERIFY2(found != controls.end(), qPrintable(column.name));
        QCOMPARE(found->second.size(), 1);
        QWidget* widget = found->second.front();
        QCOMPARE(widget->objectName(), nameOf(column.name));
        QCOMPARE(qobject_cast<DateBox*>(widget) != nullptr, column.type == ColumnType::Date);
        QCOMPARE(qobject_cast<QCheckBox*>(widget) != nullptr, column.type == ColumnType::YesNo);
    }
    QCOMPARE(int(controls.size()), fields);
}

// The schema and the tab tables both carry the captions; they must agree. Only the exam tables
// (captioned by their column heads) and the first box of a two-box row go without a label.
void TestTraineeTabs::labelsAndChecksCarryTheColumnsCaptions() {
    QStringList unlabelled;
    for (const auto& [field, widgets] : boundControls()) {
        const QString caption = Schema::anyColumn(field)->label;
        if (auto* check = qobject_cast<QCheckBox*>(widgets.front()))
            QCOMPARE(check->text(), caption);
        else if (auto* label = m->pages.findChild<QLabel*>("lbl_" + field))
            QCOMPARE(label->text(), caption);
        else
            unlabelled << field;
    }
    QStringList expected = numbered({"s_tarih%1", "s_trafik%1", "s_ilkyardim%1", "s_motor%1"}, 1, 5) +
                           numbered({"d_tarih%1", "d_not%1"}, 1, 5) +
                           QStringList{"d_aciklama", "n_seri", "ser_ilplaka"};
    unlabelled.sort();
    expected.sort();
    QCOMPARE(unlabelled, expected);
}

void TestTraineeTabs::listsOfferTheValueLists_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<bool>("free");

    QTest::newRow("sex") << "cinsiyeti" << ValueLists::sexes() << false;
    QTest::newRow("licence class") << "ehliyetsinifi" << ValueLists::licenceClasses() << false;
    QTest::newRow("marital status") << "n_medeni" << ValueLists::maritalStatuses() << true;
    QTest::newRow("religion") << "n_dini" << ValueLists::religions() << true;
    QTest::newRow("blood group") << "n_kangrubu" << ValueLists::bloodGroups() << true;
    QTest::newRow("certificate class") << "k_sertifikasinifi" << ValueLists::certificateClasses() << true;
    for (const char* field : {"n_il", "n_verildigi", "e_sehir", "i_sehir", "k_verildigi", "ser_il"})
        QTest::newRow(field) << field << ValueLists::provinces() << true;
    for (const auto& [field, name] : NamedLists)
        QTest::newRow(qPrintable(name)) << field << QStringList() << true;
}

void TestTraineeTabs::listsOfferTheValueLists() {
    QFETCH(QString, field);
    QFETCH(QStringList, entries);
    QFETCH(bool, free);

    auto* list = m->pages.findChild<QComboBox*>(nameOf(field));
    QVERIFY(list);
    QStringList offered;
    for (int i = 0; i < list->count(); ++i)
        offered << list->itemText(i);
    QCOMPARE(offered, entries);
    QCOMPARE(list->isEditable(), free);
}

void TestTraineeTabs::tabOrderFollowsTheTables_data() {
    QTest::addColumn<QStringList>("order");

    QTest::newRow("personal") << QStringList{"adi",           "soyadi",      "adayno",     "dogumtarihi",
                                             "ceptelefonu",   "eposta",      "web",        "cinsiyeti",
                                             "ehliyetsinifi", "kayitTarihi", "ehliyetAldi"};
    QTest::newRow("written exams, then the buttons, then driving exams")
        << numbered({"s_tarih%1", "s_trafik%1", "s_ilkyardim%1", "s_motor%1"}, 1, 5) +
               numbered({"btn%1x"}, 1, 5) + numbered({"d_tarih%1", "d_not%1"}, 1, 5) +
               QStringList{"d_aciklama"};
    QTest::newRow("exemptions") << QStringList{"m_trafik", "m_ilkyardim", "m_motor", "m_direksiyon"};
    QTest::newRow("plate code, then its province") << QStringList{"ser_ilplaka", "ser_il", "ser_tarih"};
}

void TestTraineeTabs::tabOrderFollowsTheTables() {
    QFETCH(QStringList, order);

    m->pages.show();
    m->pages.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m->pages));
    auto* start = m->pages.findChild<QWidget*>(order.front());
    for (int page = 0; page < BuiltPages; ++page)
        if (m->pages.widget(page)->isAncestorOf(start))
            m->pages.setCurrentIndex(page);
    start->setFocus();
    QStringList visited{QApplication::focusWidget()->objectName()};
    while (visited.size() < order.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, order);
}

void TestTraineeTabs::notTakenButtonsCarryTheirRowNumber() {
    const QList<QPushButton*> buttons = m->pages.widget(5)->findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 5);
    for (int n = 1; n <= 5; ++n) {
        auto* button = m->pages.findChild<QPushButton*>(QString("btn%1x").arg(n));
        QVERIFY(button);
        QCOMPARE(button->text(), QString("Girmedi"));
        QCOMPARE(button->toolTip(), QString::number(n));
    }
    QCOMPARE(m->pages.findChild<QWidget*>("ser_ilplaka")->toolTip(), QString("Plaka No"));
}

void TestTraineeTabs::onlyTheCourseChecksAreBold() {
    QStringList bold;
    for (QCheckBox* check : m->pages.findChildren<QCheckBox*>())
        if (check->font().bold())
            bold << check->objectName();
    bold.sort();
    QCOMPARE(bold, QStringList({"k_belgeoncende", "k_surekli"}));
}

void TestTraineeTabs::everyControlFitsThePanel() {
    m->pages.show();
    for (int page = 0; page < BuiltPages; ++page) {
        m->pages.setCurrentIndex(page);
        QWidget* content = m->pages.widget(page);
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
