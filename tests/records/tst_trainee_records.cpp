#include "data/candidate_numbers.h"
#include "data/connection.h"
#include "data/database_error.h"
#include "data/transaction.h"
#include "program_fixture.h"
#include "sample_school.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSemaphore>
#include <QTabWidget>
#include <QThread>
#include <QToolButton>

// Entering, editing, saving, cancelling and deleting trainees through the main window's controls.
class TestTraineeRecords : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }

    void newTraineeStartsWithDefaults() {
        ProgramFixture p(fillSampleSchool);
        p.press("Button1");
        Dataset& t = p.data().tkursiyer;
        QCOMPARE(t.state(), Dataset::State::Insert);
        QCOMPARE(t.value("kayitTarihi").toDate(), QDate::currentDate());
        for (const char* flag : {"ehliyetAldi", "k_belgeoncende", "k_surekli", "m_trafik", "m_ilkyardim",
                                 "m_motor", "m_direksiyon", "ser_hak", "ser_aldi", "ser_yakti"})
            QCOMPARE(t.value(flag), QVariant(false));
        QCOMPARE(t.value("odeme_tutari").toDouble(), 0.0);
        QCOMPARE(p.data().todemeler.sql(), QString("select * from tb_odeme where kID<0"));
        QVERIFY(p.inRecordMode());
        QCOMPARE(p.find<QToolButton>("Button2")->text(), QString("İptal"));
        QVERIFY(p.find<QTabWidget>("PageControl1")->widget(0)->isEnabled());
        QVERIFY(!p.find("kaygrid")->isEnabled());
    }

    void saveNewTrainee() {
        ProgramFixture p(fillSampleSchool);
        p.press("Button1");
        p.fillRequired("Y-1");
        p.press("Button1");
        QVERIFY(p.boxes().seen.isEmpty());
        QVERIFY(!p.inRecordMode());
        QCOMPARE(p.statusCount(), QString(" Kayıt Sayısı : 6"));
        QCOMPARE(p.count("adayno = 'Y-1' AND cinsiyeti = 'Kadın' AND kID = 6"), 1);
        QCOMPARE(p.main().RememberedAdayNo, QString("Y-1"));
        QCOMPARE(p.data().tkursiyer.value("kID").toInt(), 6);
    }

    // Quotes, backslashes and semicolons are values like any other: stored exactly, never SQL.
    void awkwardTextIsStoredExactly_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("apostrophe") << "D'Ali";
        QTest::newRow("backslash") << "C:\\yol\\";
        QTest::newRow("double quote") << "\"Tırnak\"";
        QTest::newRow("statement") << "a'; DROP TABLE tb_odeme; --";
    }
    void awkwardTextIsStoredExactly() {
        QFETCH(QString, name);
        ProgramFixture p(fillSampleSchool);
        p.press("Button1");
        p.fillRequired("Y-1");
        p.enter("adi", name);
        p.press("Button1");
        QVERIFY(p.boxes().seen.isEmpty());
        Connection connection;
        p.database().open(connection);
        Statement stored(connection, "SELECT adi FROM tb_kursiyer WHERE adayno = ?");
        stored.bind(1, "Y-1");
        QVERIFY(stored.step());
        QCOMPARE(stored.text(0), name);
        QCOMPARE(p.count("1 = 1", "tb_odeme"), 4);
    }

    void saveRefusedForMissingEntries_data() {
        QTest::addColumn<QString>("emptied");
        for (const char* field : {"adi", "soyadi", "adayno", "cinsiyeti", "ehliyetsinifi"})
            QTest::newRow(field) << field;
    }
    void saveRefusedForMissingEntries() {
        QFETCH(QString, emptied);
        ProgramFixture p(fillSampleSchool);
        p.press("Button1");
        p.fillRequired("Y-2");
        if (auto* list = qobject_cast<QComboBox*>(p.find(emptied)))
            list->setCurrentIndex(-1);
        else
            p.enter(emptied, "");
        p.press("Button1");
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].caption, QString("Uyarı"));
        QCOMPARE(p.boxes().seen[0].text,
                 QString("Adı, Soyadı, Aday No, Cinsiyeti ve Ehliyet Sınıfı Girilmek zorundadır."));
        QVERIFY(p.inRecordMode());
        QCOMPARE(p.data().tkursiyer.state(), Dataset::State::Insert);
        QCOMPARE(p.count("1 = 1"), 5);
    }

    void blankNameIsAnEntry() {
        ProgramFixture p(fillSampleSchool);
        p.press("Button1");
        p.fillRequired("Y-3");
        p.enter("adi", " ");
        p.press("Button1");
        QVERIFY(p.boxes().seen.isEmpty());
        QCOMPARE(p.count("adi = ' '"), 1);
    }

    void takenCandidateNumber_data() {
        QTest::addColumn<QString>("candidateNo");
        QTest::newRow("same") << "A-1";
        QTest::newRow("other letter case") << "a-1";
        QTest::newRow("Turkish letter case") << "İS-7";
        QTest::newRow("with a quote") << "O'Neil";
    }
    void takenCandidateNumber() {
        QFETCH(QString, candidateNo);
        ProgramFixture p([](Connection& c) {
            fillSampleSchool(c);
            c.execute("UPDATE tb_kursiyer SET adayno = 'is-7' WHERE kID = 5");
        });
        p.press("Button1");
        p.fillRequired(candidateNo);
        p.press("Button1");
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(
            p.boxes().seen[0].text,
            QString(
                "\nBu aday numarası başka bir kursiyere ait. \n\nLütfen yeni bir aday numarası giriniz."));
        QVERIFY(p.inRecordMode());
        QCOMPARE(p.count("1 = 1"), 5);
    }

    // Another desk has counted the same number and not yet written it when "Kaydet" is pressed: the
    // save waits for it, then finds its row and refuses the number.
    void numberGivenMeanwhileByAnotherDesk() {
        ProgramFixture p(fillSampleSchool);
        p.press("Button1");
        p.fillRequired("DUP-0001");
        QSemaphore counted;
        QString failure;
        std::unique_ptr<QThread> other(QThread::create([&] {
            try {
                Connection c;
                p.database().open(c);
                Transaction save(c);
                if (countHeldCandidateNo(c, "dup-0001") != 0)
                    failure = "counted";
                counted.release();
                if (!waitForLockWaiters(p.database(), 1))
                    failure = "nobody waited";
                c.execute(
                    "INSERT INTO tb_kursiyer (adi, soyadi, adayno) VALUES ('Öteki', 'Masa', 'dup-0001')");
                save.commit();
            } catch (const DatabaseError& e) {
                failure = e.message();
            }
        }));
        other->start();
        QVERIFY(counted.tryAcquire(1, 30000));
        p.press("Button1");
        QVERIFY(other->wait(30000));
        QCOMPARE(failure, QString());
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(
            p.boxes().seen[0].text,
            QString(
                "\nBu aday numarası başka bir kursiyere ait. \n\nLütfen yeni bir aday numarası giriniz."));
        QVERIFY(p.inRecordMode());
        QCOMPARE(p.find<QLineEdit>("adayno")->text(), QString("DUP-0001"));
        QCOMPARE(p.count("adayno = 'DUP-0001'"), 1);
    }

    void editingWithoutChangeIsNotChecked() {
        ProgramFixture p(fillSampleSchool);
        p.press("Button2");
        QCOMPARE(p.main().RememberedAdayNo, QString("A-1"));
        QCOMPARE(p.data().tkursiyer.state(), Dataset::State::Browse);
        p.press("Button1");
        QVERIFY(p.boxes().seen.isEmpty());
        QVERIFY(!p.inRecordMode());
    }

    void ownCandidateNumberInOtherCaseIsRefused() {
        ProgramFixture p(fillSampleSchool);
        p.press("Button2");
        p.enter("adayno", "a-1");
        p.press("Button1");
        QCOMPARE(p.boxes().seen.size(), 1);
        QVERIFY(p.inRecordMode());
    }

    void refusedByTheDatabaseStaysInRecordMode() {
        ProgramFixture p(fillSampleSchool);
        p.press("Button1");
        p.fillRequired("Y-4");
        p.data().tkursiyer.setValue("e_adresi", QString(51, 'a'));
        p.press("Button1");
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].caption, QString("Oltravi"));
        QVERIFY(p.inRecordMode());
        QCOMPARE(p.data().tkursiyer.state(), Dataset::State::Insert);
        QCOMPARE(p.find<QLineEdit>("adayno")->text(), QString("Y-4"));
        QVERIFY(!p.find("kaygrid")->isEnabled());
        QCOMPARE(p.count("1 = 1"), 5);
    }

    void cancelNewTraineeRemovesItsPayments() {
        ProgramFixture p(fillSampleSchool);
        p.press("Button1");
        for (const char* amount : {"10", "20", "30"})
            p.addPayment(amount);
        QCOMPARE(p.count("kID = 0", "tb_odeme"), 3);
        p.press("Button2");
        QCOMPARE(p.count("kID = 0", "tb_odeme"), 0);
        QCOMPARE(p.count("1 = 1", "tb_odeme"), 4);
        QCOMPARE(p.data().tkursiyer.recordCount(), 5);
        QVERIFY(!p.inRecordMode());
    }

    void saveGivesPendingPaymentsTheKey() {
        ProgramFixture p(fillSampleSchool);
        p.press("Button1");
        p.addPayment("150");
        p.addPayment("250");
        p.fillRequired("Y-5");
        p.press("Button1");
        QCOMPARE(p.paymentsOf(6), (QStringList{"150.0/0", "250.0/0"}));
        QCOMPARE(p.data().todemeler.sql(), QString("select * from tb_odeme where kID = 6"));
        QCOMPARE(p.data().todemeler.recordCount(), 2);
    }

    void leftoverPaymentsAreNotInherited() {
        ProgramFixture p([](Connection& c) {
            fillSampleSchool(c);
            c.execute("INSERT INTO tb_odeme (miktar, kID) VALUES (999, 0)");
        });
        p.press("Button1");
        p.addPayment("100");
        QCOMPARE(p.find<QLineEdit>("mx2")->text(), QString("100,00"));
        p.fillRequired("Y-6");
        p.press("Button1");
        QCOMPARE(p.paymentsOf(6), QStringList{"100.0/0"});
        QCOMPARE(p.count("kID = 0", "tb_odeme"), 0);
    }

    void cancelWhileEditingKeepsPayments() {
        ProgramFixture p(fillSampleSchool);
        p.press("Button2");
        p.enter("soyadi", "Değişti");
        p.addPayment("75");
        p.press("Button2");
        QCOMPARE(p.paymentsOf(1), (QStringList{"100.0/-1", "200.0/0", "75.0/0"}));
        QCOMPARE(p.data().tkursiyer.value("soyadi").toString(), QString("IŞIK"));
        QCOMPARE(p.count("soyadi = 'IŞIK'"), 1);
    }

    void deleteTraineeWithPayments() {
        ProgramFixture p(fillSampleSchool);
        p.boxes().answer(QMessageBox::No);
        p.press("Button3");
        QCOMPARE(p.boxes().seen[0].defaultButton, QMessageBox::No);
        QCOMPARE(p.boxes().seen[0].text,
                 QString("\nAktif kursiyet Ödemeleri ile birlikte silinecek.\n\nişleme devam edilsin mi?"));
        QCOMPARE(p.count("1 = 1"), 5);
        p.boxes().answer(QMessageBox::Yes);
        p.press("Button3");
        QCOMPARE(p.boxes().seen.size(), 3);
        QCOMPARE(p.boxes().seen[2].caption, QString("Sonuç"));
        QCOMPARE(p.boxes().seen[2].text, QString("\nKayıt bağlı ödemeleri ile birlikte silindi."));
        QCOMPARE(p.count("kID = 1"), 0);
        QCOMPARE(p.count("kID = 1", "tb_odeme"), 0);
        QCOMPARE(p.count("1 = 1", "tb_odeme"), 2);
        QCOMPARE(p.statusCount(), QString(" Kayıt Sayısı : 4"));
        QCOMPARE(p.data().todemeler.sql(), QString("select * from tb_odeme where kID = 2"));
    }

    void notTakenRowThreeWritesZeros() {
        ProgramFixture p(fillSampleSchool);
        p.press("Button2");
        p.find<QPushButton>("btn3x")->click();
        Dataset& t = p.data().tkursiyer;
        QStringList written;
        for (int f = 0; f < t.fieldCount(); ++f)
            if (t.value(f).typeId() == QMetaType::QString && t.value(f).toString() == "0")
                written << t.field(f).name;
        QCOMPARE(written, (QStringList{"s_trafik3", "s_ilkyardim3", "s_motor3"}));
        QVERIFY(t.value("s_tarih3").isNull());
    }

    void secondVehicleSetsSecondPlate() {
        ProgramFixture p([](Connection& c) {
            fillSampleSchool(c);
            c.execute(
                "INSERT INTO tb_arac (aracAD, aracPLAKA) VALUES ('Doblo', '34 AB 1'), ('Egea', '06 CD 2')");
        });
        p.press("Button2");
        auto* vehicles = p.find<QComboBox>("DBComboBox11");
        QCOMPARE(vehicles->count(), 2);
        vehicles->setFocus();
        p.enter("DBComboBox11", "Egea");
        p.find("k_donemi")->setFocus();
        QCOMPARE(p.data().tkursiyer.value("k_aracplaka").toString(), QString("06 CD 2"));
        QCOMPARE(p.find<QComboBox>("DBComboBox12")->currentText(), QString("06 CD 2"));
    }

    void closingDuringAnEntryAsks() {
        ProgramFixture p(fillSampleSchool);
        p.press("Button1");
        p.fillRequired("Y-7");
        p.boxes().answer(QMessageBox::Cancel);
        p.main().close();
        QVERIFY(p.main().isVisible());
        QCOMPARE(p.boxes().seen[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(p.boxes().seen[0].defaultButton, QMessageBox::Yes);
        p.boxes().answer(QMessageBox::Yes);
        p.main().close();
        QVERIFY(!p.main().isVisible());
        QCOMPARE(p.count("adayno = 'Y-7'"), 1);
    }

    void closingDuringAnEntryWithoutSaving() {
        ProgramFixture p(fillSampleSchool);
        p.press("Button1");
        p.addPayment("40");
        p.boxes().answer(QMessageBox::No);
        p.main().close();
        QVERIFY(!p.main().isVisible());
        QCOMPARE(p.count("1 = 1"), 5);
        QCOMPARE(p.count("kID = 0", "tb_odeme"), 0);
    }

    void closingRefusedSaveStaysOpen() {
        ProgramFixture p(fillSampleSchool);
        p.press("Button1");
        p.boxes().answer(QMessageBox::Yes);
        p.main().close();
        QVERIFY(p.main().isVisible());
        QCOMPARE(p.boxes().seen.size(), 2); // the question, then the missing entries
    }

    // An entry its control refuses is no entry to save: "Kaydet" stops at it, the focus back there.
    void refusedEntryStopsSaving_data() {
        QTest::addColumn<bool>("newTrainee");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("error");
        for (bool newTrainee : {true, false}) {
            const char* trainee = newTrainee ? "new trainee" : "edited trainee";
            QTest::addRow("%s, date", trainee) << newTrainee << "dogumtarihi" << 0 << "31.02.2020"
                                               << "\"31.02.2020\" geçerli bir tarih değil.";
            QTest::addRow("%s, fee", trainee) << newTrainee << "DBEdit53" << 7 << "-"
                                              << "\"-\" geçerli bir sayı değil.";
        }
    }
    void refusedEntryStopsSaving() {
        QFETCH(bool, newTrainee);
        QFETCH(QString, control);
        QFETCH(int, tab);
        QFETCH(QString, typed);
        QFETCH(QString, error);
        ProgramFixture p(fillSampleSchool);
        p.press(newTrainee ? "Button1" : "Button2");
        if (newTrainee)
            p.fillRequired("Y-3");
        const QStringList rowsBefore = p.database().rows();
        p.find<QTabWidget>("PageControl1")->setCurrentIndex(tab);
        auto* edit = p.find<QLineEdit>(control);
        edit->setFocus();
        edit->setText(typed);
        p.press("Button1");
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].text, error);
        QVERIFY(p.inRecordMode());
        QCOMPARE(p.main().focusWidget(), edit);
        QCOMPARE(p.database().rows(), rowsBefore);
    }
};

QTEST_MAIN(TestTraineeRecords)
#include "tst_trainee_records.moc"
