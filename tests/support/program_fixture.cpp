#include "program_fixture.h"

#include "app/program_folder.h"
#include "data/connection.h"
#include "data/jet_dialect.h"

#include "ui/bound_control.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

ProgramFixture::ProgramFixture(const std::function<void(Connection&)>& fill) {
    if (fill) {
        Connection connection;
        m_database.open(connection);
        fill(connection);
    }
    start();
}

ProgramFixture::ProgramFixture(const QString& folder) : m_database(folder) {
    start();
}

void ProgramFixture::start() {
    ProgramFolder = m_database.folder();
    m_program = std::make_unique<Program>();
    showAndWaitForFirstShow(main());
    main().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main()));
}

ProgramFixture::~ProgramFixture() {
    if (main().isVisible())
        main().close();
}

void showAndWaitForFirstShow(frm_main_form& main) {
    main.show();
    QTest::qWait(0);
    QTRY_VERIFY_WITH_TIMEOUT(main.ListReady || !main.isVisible(), 5000);
}

int ProgramFixture::count(const QString& jetWhere, const QString& table) {
    Connection connection;
    m_database.open(connection);
    Statement s(connection, translateJet(QString("SELECT count(*) FROM %1 WHERE %2").arg(table, jetWhere),
                                         connection.dialect()));
    s.step();
    return int(s.integer(0));
}

QString ProgramFixture::statusCount() {
    return find<QLabel>("StatusPanel1")->text();
}

void ProgramFixture::enter(const QString& control, const QString& text) {
    QWidget* w = find(control);
    if (auto* list = qobject_cast<QComboBox*>(w)) {
        if (list->isEditable())
            list->setEditText(text);
        else
            list->setCurrentIndex(list->findText(text));
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
    } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
        check->setChecked(!text.isEmpty());
    }
    dynamic_cast<BoundControl&>(*w).commit();
}

void ProgramFixture::press(const QString& button) {
    find<QAbstractButton>(button)->click();
}

void ProgramFixture::addPayment(const QString& amount) {
    // The amount is read when the focus leaves it, which only happens in the active window.
    main().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main()));
    auto* edit = find<QLineEdit>("odenenx");
    edit->setFocus();
    edit->setText(amount);
    find<QLineEdit>("odemeac")->setFocus();
    press("Button10");
}

void ProgramFixture::fillRequired(const QString& candidateNo) {
    enter("adi", "Yeni");
    enter("soyadi", "Kursiyer");
    enter("adayno", candidateNo);
    enter("cinsiyeti", "Kadın");
    enter("ehliyetsinifi", "B");
}

bool ProgramFixture::inRecordMode() {
    return find<QAbstractButton>("Button1")->text() == "Kaydet";
}

void ProgramFixture::planInstallments(int count) {
    m_boxes.onDialog([count](QWidget* dialog) {
        dialog->findChild<QSpinBox*>("SpinEdit1")->setValue(count);
        QTest::keyClick(dialog, Qt::Key_F8);
    });
    press("Button14");
}

QStringList ProgramFixture::paymentsOf(int kID) {
    Connection connection;
    m_database.open(connection);
    Statement s(connection,
                QString("SELECT miktar, Odendi FROM tb_odeme WHERE kID = %1 ORDER BY odemeID").arg(kID));
    QStringList rows;
    while (s.step()) {
        // As SQLite writes a real number: 120.0, 12.5.
        QString amount = s.text(0);
        if (!amount.contains('.'))
            amount += ".0";
        rows << amount + '/' + s.text(1);
    }
    return rows;
}
