#include "admin/frm_sifre_degistir.h"
#include "data/connection.h"
#include "program_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

// The security dialog, opened from "Şifreler": what it shows, what it refuses, and what it stores
// for the login of the next start.
namespace {

const QStringList Stored{"Müdür", "Gizli 1 ", "sor"};

// Name, password and ask flag of the first user row, read as the next start reads them.
QStringList startReads(ProgramFixture& p) {
    Connection connection;
    p.database().open(connection);
    Dataset users(connection, "tuser");
    users.setSql("select * from kullanicilar");
    users.open();
    if (users.isEmpty())
        return {};
    return {users.value("userAD").toString(), users.value("userSIFRE").toString(),
            users.value("userSifreSor").toBool() ? "sor" : "sorma"};
}

} // namespace

class TestSecurity : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }

    // A refused save leaves the dialog open with its entries and the stored row as it was.
    void saving_data() {
        QTest::addColumn<QString>("start");       // statement run before the dialog opens
        QTest::addColumn<QStringList>("entered"); // name, password, its confirmation, "sor" or "sorma"
        QTest::addColumn<QString>("refusal");     // caption and message of the box that refuses
        const QString mismatch =
            "Error|\n\"Yeni Şifre\" ve \"Yeni Şifre Doğrula\" alanları birbirine eşit değil.";
        QTest::newRow("unchanged") << "" << QStringList{"Müdür", "Gizli 1 ", "Gizli 1 ", "sor"} << "";
        QTest::newRow("empty password, not asked") << "" << QStringList{"Müdür", "", "", "sorma"} << "";
        QTest::newRow("first row") << "DELETE FROM kullanicilar" << QStringList{" ali", "x", "x", "sor"}
                                   << "";
        QTest::newRow("only the new one changed")
            << "" << QStringList{"Müdür", "Yeni", "Gizli 1 ", "sor"} << mismatch;
        QTest::newRow("letter case") << "" << QStringList{"Müdür", "Şifre", "şifre", "sor"} << mismatch;
        QTest::newRow("refused by the database") << "refuse BEFORE UPDATE ON kullanicilar"
                                                 << QStringList{"Yeni Ad", "y", "y", "sorma"} << "Oltravi|";
        QTest::newRow("name too long") << "" << QStringList{QString(51, 'n'), "y", "y", "sorma"}
                                       << "Oltravi|\"userAD\" alanına en çok 50 karakter";
    }
    void saving() {
        QFETCH(QString, start);
        QFETCH(QStringList, entered);
        QFETCH(QString, refusal);
        ProgramFixture p;
        // Written once the program runs: a start that asks for the login would need one typed.
        p.database().execute(
            {"UPDATE kullanicilar SET userAD = 'Müdür', userSIFRE = 'Gizli 1 ', userSifreSor = -1"});
        if (start.startsWith("refuse "))
            p.database().refuse(start.mid(7));
        else if (!start.isEmpty())
            p.database().execute({start});
        const bool emptyTable = start.startsWith("DELETE");
        p.boxes().onDialog([&](QWidget* dialog) {
            QVERIFY(p.data().tuser.isActive());
            const auto edit = [&](const char* name) { return dialog->findChild<QLineEdit*>(name); };
            auto* ask = dialog->findChild<QCheckBox*>("CheckBox1");
            QCOMPARE((QStringList{edit("Edit1")->text(), edit("Edit3")->text(),
                                  ask->isChecked() ? "sor" : "sorma"}),
                     emptyTable ? (QStringList{"", "", "sorma"}) : Stored);
            QCOMPARE(edit("Edit4")->text(), edit("Edit3")->text());
            QCOMPARE(edit("Edit4")->echoMode(), QLineEdit::Password);
            edit("Edit1")->setText(entered[0]);
            edit("Edit3")->setText(entered[1]);
            edit("Edit4")->setText(entered[2]);
            ask->setChecked(entered[3] == "sor");
            dialog->findChild<QPushButton*>("Button1")->click();
            QCOMPARE(dialog->isVisible(), !refusal.isEmpty());
            QCOMPARE(edit("Edit1")->text(), entered[0]);
            if (dialog->isVisible()) {
                QCOMPARE(p.data().tuser.state(), Dataset::State::Browse);
                QCOMPARE(p.data().tuser.value("userAD").toString(), Stored[0]);
                dialog->findChild<QPushButton*>("Button2")->click();
            }
        });
        p.press("Btn3");
        QVERIFY(!p.forms().sifre_degistir->isVisible());
        QVERIFY(!p.data().tuser.isActive());
        QCOMPARE(p.boxes().seen.size(), 1);
        const QString box = p.boxes().seen[0].caption + "|" + p.boxes().seen[0].text;
        QVERIFY2(box.startsWith(refusal.isEmpty() ? "Information|\nİşlem tamamlandı." : refusal),
                 qPrintable(box));
        QCOMPARE(startReads(p),
                 refusal.isEmpty() ? (QStringList{entered[0], entered[1], entered[3]}) : Stored);
    }
};

QTEST_MAIN(TestSecurity)
#include "tst_security.moc"
