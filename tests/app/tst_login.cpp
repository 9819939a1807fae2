#include "app/program.h"
#include "app/program_folder.h"
#include "data/frm_DataMod.h"
#include "program_fixture.h"
#include "records/frm_main_form.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

// The start-up login through the dialog's own controls: three compared tries, exact comparison,
// and a program that ends, having loaded and written nothing, when the login does not succeed.
class TestLogin : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }

    void loginAtStart_data() {
        QTest::addColumn<QString>("stored"); // name|password|ask
        QTest::addColumn<QStringList>("tries");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("status"); // the status line when the dialog was left with "Vazgeç"
        QTest::newRow("right at once") << "Ali|Gizli|-1" << QStringList{"Ali|Gizli"} << true << "";
        QTest::newRow("right at the third try")
            << "Ali|Gizli|-1" << QStringList{"x|y", "Ali|gizli", "Ali|Gizli"} << true
            << "Kullanıcı adı veya şifre yanlış.";
        QTest::newRow("right after three wrong tries")
            << "Ali|Gizli|-1" << QStringList{"a|b", "a|b", "a|b", "Ali|Gizli"} << false
            << "Deneme hakkınız tamamlandı.";
        QTest::newRow("letter case counts")
            << "Ali|Gizli|-1" << QStringList{"ali|Gizli"} << false << "Kullanıcı adı veya şifre yanlış.";
        QTest::newRow("blanks count")
            << "Ali|Gizli|-1" << QStringList{"Ali |Gizli"} << false << "Kullanıcı adı veya şifre yanlış.";
        QTest::newRow("Vazgeç at once") << "Ali|Gizli|-1" << QStringList{} << false << "%";
        QTest::newRow("empty name and password") << "||-1" << QStringList{"|"} << true << "";
        QTest::newRow("no login asked") << "Ali|Gizli|0" << QStringList{} << true << "";
    }
    void loginAtStart() {
        QFETCH(QString, stored);
        QFETCH(QStringList, tries);
        QFETCH(bool, started);
        QFETCH(QString, status);
        const QStringList user = stored.split('|');
        TempDatabase database;
        database.execute(
            {QString("UPDATE kullanicilar SET userAD = '%1', userSIFRE = '%2', userSifreSor = %3")
                 .arg(user[0], user[1], user[2])});
        ProgramFolder = database.folder();
        ModalWatcher boxes;
        QString statusShown;
        boxes.onDialog([&](QWidget* dialog) {
            QTest::keyClick(dialog, Qt::Key_Escape);
            QVERIFY(dialog->isVisible());
            auto* password = dialog->findChild<QLineEdit*>("Edit2");
            QCOMPARE(password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, password),
                     int('#'));
            password->setFocus();
            QTest::keyClick(password, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), dialog->findChild<QPushButton*>("Button1"));
            QVERIFY(dialog->isVisible());
            for (const QString& typed : tries) {
                dialog->findChild<QLineEdit*>("Edit1")->setText(typed.section('|', 0, 0));
                password->setText(typed.section('|', 1));
                dialog->findChild<QPushButton*>("Button1")->click();
            }
            if (dialog->isVisible()) {
                statusShown = dialog->findChild<QLabel*>("Label5")->text();
                dialog->findChild<QPushButton*>("Button2")->click();
            }
        });
        Program program;
        showAndWaitForFirstShow(program.mainWindow());
        QCOMPARE(statusShown, started ? QString() : status);
        frm_DataMod& data = *program.forms().DataMod;
        QCOMPARE(program.mainWindow().isVisible(), started);
        QCOMPARE(data.tkursiyer.isActive(), started);
        QCOMPARE(data.ado_conn.isOpen(), started);
        QCOMPARE(program.mainWindow().exitCode(), started ? 0 : 1);
        if (!started)
            QCOMPARE(database.rows().filter("kullanicilar").join(""),
                     QString("kullanicilar|1|%1|%2||%3|0").arg(user[0], user[1], user[2]));
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
