#include "app/program_folder.h"
#include "data/connection.h"
#include "program_fixture.h"
#include "sample_school.h"
#include "ui/data_grid.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <sqlite3.h>

// The main window over a real database: start-up, the list with its sorting, reset and reload,
// the two modes, and the closing sequence.
class TestMainForm : public QObject {
    Q_OBJECT

    static QStringList listed(ProgramFixture& p, const char* field = "kID") {
        Dataset& d = p.data().tkursiyer;
        QStringList out;
        for (int row = 0; row < d.recordCount(); ++row)
            out << d.valueAt(row, d.fieldIndex(field)).toString();
        return out;
    }

private slots:
    void initTestCase() { useProgramLocale(); }

    void firstShowBringsTheListUp() {
        ProgramFixture p(fillSampleSchool);
        frm_main_form& m = p.main();
        QCOMPARE(m.windowTitle(),
                 "Kalvista 0.1 - Ücretsiz Bir Yazılımdır - " + frm_main_form::productWebAddress());
        QVERIFY(m.ListReady);
        QCOMPARE(p.statusCount(), QString(" Kayıt Sayısı : 5"));
        QCOMPARE(p.find<QLabel>("StatusPanel2")->text(),
                 " Bugün : " + QLocale().toString(QDate::currentDate(), "dd MMMM yyyy dddd"));
        QCOMPARE(p.find<QLabel>("StatusPanel3")->text(), frm_main_form::productWebAddress() + "     ");
        QCOMPARE(listed(p), (QStringList{"1", "2", "3", "4", "5"}));
        // The first trainee's payments and totals are there.
        QCOMPARE(p.data().todemeler.recordCount(), 2);
        QCOMPARE(p.find<QLineEdit>("mx1")->text(), QString("100,00"));
        QCOMPARE(p.find<QLineEdit>("mx2")->text(), QString("200,00"));
        auto* pages = p.find<QTabWidget>("PageControl1");
        QCOMPARE(pages->count(), 9);
        for (int i = 0; i < pages->count(); ++i)
            QVERIFY(!pages->widget(i)->isEnabled());
        QCOMPARE(pages->currentIndex(), 0);
        QVERIFY(p.boxes().seen.isEmpty());
    }

    void toolbarInOrder() {
        ProgramFixture p;
        QStringList captions;
        for (QToolButton* b : p.main().findChildren<QToolButton*>())
            if (b->objectName().startsWith("B") || b->objectName().startsWith("ToolButton"))
                captions << b->objectName() + '=' + b->text();
        QCOMPARE(captions, (QStringList{"Button1=Yeni Kursiyer", "Button2=Düzenle", "Button3=Kaydı Sil",
                                        "Button4=Yenile", "Button9=Ödemeler", "ToolButton7=Raporlar",
                                        "Btn4=Kayıt Sorgula", "Btn5=İstatistikler", "Btn2=Ayarlar",
                                        "Btn3=Şifreler", "Btn7=Yedekler", "Btn8=Kasa", "Btn9=Ders Planı",
                                        "ToolButton9=İletişim", "Btn6=Hakında", "ToolButton3=Çıkış"}));
        QStringList entries;
        for (QAction* a : p.find<QMenu>("PopupMenu1")->actions())
            entries << (a->isSeparator() ? "-" : a->objectName() + '=' + a->text());
        QCOMPARE(entries,
                 (QStringList{"Button5=Kursiyerler", "Button6=Ehliyet Sınıfları", "Button7=Ödeme Raporu",
                              "Button8=Kişisel Ödemeler", "Ekstre1=Hesap Ekstresi", "-", "Button12=Export",
                              "IceAktar1=İçe Aktar..."}));
        for (QToolButton* b : p.main().findChildren<QToolButton*>())
            QVERIFY2(!b->icon().isNull() || !b->objectName().startsWith("B"), qPrintable(b->objectName()));
    }

    void missingDatabaseIsOfferedAndCreated() {
        QTemporaryDir folder;
        ProgramFolder = QDir::toNativeSeparators(folder.path()) + QDir::separator();
        ModalWatcher boxes;
        boxes.answer(QMessageBox::Yes);
        Program program;
        showAndWaitForFirstShow(program.mainWindow());
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].caption, QString("Uyarı"));
        QCOMPARE(boxes.seen[0].text,
                 QString("\nBu klasörde veritabanı dosyası (veriler.db) bulunamadı:\n%1\n\nYeni, "
                         "boş bir veritabanı bu klasörde oluşturulsun mu?")
                     .arg(QDir::toNativeSeparators(folder.path())));
        QCOMPARE(boxes.seen[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(boxes.seen[0].defaultButton, QMessageBox::Yes);
        QVERIFY(program.mainWindow().ListReady);
        QCOMPARE(program.mainWindow().findChild<QLabel*>("StatusPanel1")->text(),
                 QString(" Kayıt Sayısı : 0"));
        QCOMPARE(program.mainWindow().findChild<QLabel*>("StatusPanel4")->toolTip(),
                 QDir::toNativeSeparators(folder.filePath("veriler.db")));
        program.mainWindow().close();
    }

    void missingDatabaseRefusedEndsCleanly() {
        QTemporaryDir folder;
        ProgramFolder = QDir::toNativeSeparators(folder.path()) + QDir::separator();
        ModalWatcher boxes;
        boxes.answer(QMessageBox::No);
        Program program;
        showAndWaitForFirstShow(program.mainWindow());
        QVERIFY(!program.mainWindow().isVisible());
        QVERIFY(!program.mainWindow().ListReady);
        QCOMPARE(program.mainWindow().windowTitle(), QString("Kalvista 0.1"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{});
    }

    // A file that is not the program's database ends the start with a failure code, untouched.
    void foreignFileEndsTheStart_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("no database") << QByteArray(8192, 'k');
    }
    void foreignFileEndsTheStart() {
        QFETCH(QByteArray, contents);
        QTemporaryDir folder;
        QFile file(folder.filePath("veriler.db"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
        file.close();
        ProgramFolder = QDir::toNativeSeparators(folder.path()) + QDir::separator();
        ModalWatcher boxes;
        Program program;
        showAndWaitForFirstShow(program.mainWindow());
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].caption, QString("Oltravi"));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QCOMPARE(boxes.seen[0].text,
                 QString("%1 dosyası bu programın veritabanı değil. Dosyada hiçbir şey değiştirilmedi.")
                     .arg(QDir::toNativeSeparators(folder.filePath("veriler.db"))));
        QVERIFY(!program.mainWindow().isVisible());
        QCOMPARE(program.mainWindow().exitCode(), 1);
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"veriler.db"});
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), contents);
    }

    void closingWritesTheClosingTime() {
        ProgramFixture p(fillSampleSchool);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        p.find<QToolButton>("ToolButton3")->click();
        QVERIFY(!p.main().isVisible());
        QVERIFY(!p.data().ado_conn.isOpen());
        QVERIFY(!p.data().tkursiyer.isActive());
        QCOMPARE(p.count(QString("userSONGIRISTARIHI >= '%1'").arg(toStoredDate(before)), "kullanicilar"), 1);
        QCOMPARE(p.count("1 = 1", "kullanicilar"), 1);
    }

    void closingWithNoUserRowAddsOne() {
        ProgramFixture p([](Connection& c) { c.execute("DELETE FROM kullanicilar"); });
        p.main().close();
        QCOMPARE(
            p.count("userSONGIRISTARIHI IS NOT NULL AND userAD IS NULL AND userSifreSor = 0", "kullanicilar"),
            1);
    }

    void sortingByATitle() {
        ProgramFixture p(fillSampleSchool);
        auto* grid = p.find<DataGrid>("kaygrid");
        grid->horizontalHeader()->sectionClicked(2); // "Soyadı"
        QCOMPARE(p.main().SortField, QString("soyadi"));
        QCOMPARE(p.data().tkursiyer.sqlLines()[2], QString("ORDER BY soyadi"));
        QCOMPARE(listed(p), (QStringList{"3", "2", "1", "4", "5"}));
        QCOMPARE(grid->sortMarkerField(), QString("soyadi"));
        QVERIFY(p.main().kaygridCalcTitleImage("soyadi"));
        QVERIFY(!p.main().kaygridCalcTitleImage("adi"));
        grid->horizontalHeader()->sectionClicked(2);
        QCOMPARE(listed(p), (QStringList{"3", "2", "1", "4", "5"}));
        // The first row is current and its payments are loaded.
        QCOMPARE(p.data().tkursiyer.currentRow(), 0);
        QCOMPARE(p.data().todemeler.sql(), QString("select * from tb_odeme where kID = 3"));
    }

    void sortingAfterASearchKeepsItsFilter() {
        ProgramFixture p(fillSampleSchool);
        Dataset& list = p.data().tkursiyer;
        list.setSqlLine(1, "Where (adi like \"i%\") and (ehliyetsinifi = \"B\")");
        list.open();
        p.main().kaygridTitleButtonClick("dogumtarihi");
        QCOMPARE(listed(p), (QStringList{"2", "1"}));
        QCOMPARE(list.sqlLines()[1], QString("Where (adi like \"i%\") and (ehliyetsinifi = \"B\")"));
    }

    void cornerButtonResetsFilterAndSort() {
        ProgramFixture p(fillSampleSchool);
        Dataset& list = p.data().tkursiyer;
        p.main().kaygridTitleButtonClick("adi");
        list.setSqlLine(1, "Where (ehliyetsinifi = \"B\")");
        list.open();
        auto* corner = p.find<QAbstractButton>("kaygridIButton");
        QCOMPARE(corner->toolTip(), QString("Tüm kayıtları göster + Sıralama kaldır"));
        corner->click();
        QCOMPARE(listed(p), (QStringList{"1", "2", "3", "4", "5"}));
        QCOMPARE(list.sqlLines(),
                 (QStringList{"select * from tb_kursiyer", "where kID > 0", "ORDER BY kID"}));
        QCOMPARE(p.statusCount(), QString(" Kayıt Sayısı : 5"));
        QCOMPARE(p.find<DataGrid>("kaygrid")->sortMarkerField(), QString());
    }

    void reloadSeesNewRowsButKeepsTheCount() {
        ProgramFixture p(fillSampleSchool);
        p.main().kaygridTitleButtonClick("adi");
        {
            Connection c;
            p.database().open(c);
            c.execute("INSERT INTO tb_kursiyer (adi, adayno) VALUES ('Aylin', 'Z-9')");
        }
        p.find<QToolButton>("Button4")->click();
        QCOMPARE(listed(p, "adi").first(), QString("Aylin"));
        QCOMPARE(p.data().tkursiyer.recordCount(), 6);
        QCOMPARE(p.statusCount(), QString(" Kayıt Sayısı : 5"));
    }

    void twoModes() {
        ProgramFixture p(fillSampleSchool);
        frm_main_form& m = p.main();
        const QStringList listOnly = {"Button3", "Button4", "Button9", "Btn4", "Btn7", "kaygrid"};
        const QStringList always = {"Button1", "Button2",     "ToolButton7", "Btn5",       "Btn2",
                                    "Btn3",    "ToolButton9", "Btn6",        "ToolButton3"};
        m.SetListMode(false);
        m.EnableRecordPanel(true);
        for (const QString& name : listOnly)
            QVERIFY2(!p.find(name)->isEnabled(), qPrintable(name));
        for (const QString& name : always)
            QVERIFY2(p.find(name)->isEnabled(), qPrintable(name));
        for (QAction* a : p.find<QMenu>("PopupMenu1")->actions())
            QVERIFY(a->isSeparator() || !a->isEnabled());
        QVERIFY(p.find<QTabWidget>("PageControl1")->widget(7)->isEnabled());
        m.SetListMode(true);
        for (const QString& name : listOnly)
            QVERIFY(p.find(name)->isEnabled());
    }

    void emptyListWarns() {
        ProgramFixture p;
        QCOMPARE(p.statusCount(), QString(" Kayıt Sayısı : 0"));
        p.find<QToolButton>("Button2")->click();
        p.find<QToolButton>("Button3")->click();
        QCOMPARE(p.boxes().seen.size(), 2);
        for (const auto& box : p.boxes().seen) {
            QCOMPARE(box.caption, QString("Uyarı:"));
            QCOMPARE(box.text, QString("\nKursiyer kaydı yok."));
            QCOMPARE(box.icon, QMessageBox::Warning);
        }
    }

    void paymentsFollowOnlyWhileShown() {
        ProgramFixture p(fillSampleSchool);
        p.data().tkursiyer.moveTo(1);
        QCOMPARE(p.data().todemeler.sql(), QString("select * from tb_odeme where kID = 2"));
        p.main().hide();
        p.data().tkursiyer.moveTo(2);
        QCOMPARE(p.data().todemeler.sql(), QString("select * from tb_odeme where kID = 2"));
        p.main().show();
    }

    void databaseErrorInAHandlerShowsTheDefaultBox() {
        ProgramFixture p(fillSampleSchool);
        {
            Connection c;
            p.database().open(c);
            c.execute("DROP VIEW Query_Odemeler");
            c.execute("ALTER TABLE tb_kursiyer RENAME TO eski");
        }
        p.find<QToolButton>("Button4")->click();
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].caption, QString("Oltravi"));
        QVERIFY(p.boxes().seen[0].text.startsWith("Veritabanı işlemi yapılamadı. ("));
        QVERIFY(p.boxes().seen[0].text.contains("tb_kursiyer"));
        QVERIFY(p.main().isVisible());
    }

    void enterMovesToTheNextControl() {
        ProgramFixture p(fillSampleSchool);
        p.find<QToolButton>("Button1")->click();
        QWidget* name = p.find("adi");
        QTRY_COMPARE(QApplication::focusWidget(), name);
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), p.find("soyadi"));
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_main_form.moc"
