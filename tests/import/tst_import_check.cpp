#include "data/connection.h"
#include "data/database_error.h"
#include "import/import_write.h"

#include "test_support.h"

#include <QDateTime>
#include <QFile>
#include <QtTest>

#include <optional>

namespace {

const QString TraineeCaptions =
    "Adı;Soyadı;Aday No;Cinsiyeti;Ehliyet Sınıfı;Doğum Tarihi;Cep Telefonu;Ödeme Tutarı;ehliyetAldi";
const QString PaymentCaptions = "Aday No;Miktar;Ödeme Tarihi;Açıklama";

// Trainees 1 (Ayşe Kaya, 0555) and 2 (Can Öz), the first with one payment.
void fillSchool(Connection& c) {
    c.execute("INSERT INTO tb_kursiyer (adi, soyadi, adayno, cinsiyeti, ehliyetsinifi, ceptelefonu) VALUES "
              "('Ayşe', 'Kaya', '1', 'Kadın', 'B', '0555'), ('Can', 'Öz', ' 2 ', 'Erkek', 'B', NULL)");
    c.execute("INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID) VALUES "
              "(-1, 1500, '2024-01-05 00:00:00', 'Peşin', 1)");
}

QStringList texts(Connection& c, const QString& sql) {
    Statement s(c, sql);
    QStringList all;
    while (s.step())
        all << s.text(0);
    return all;
}

} // namespace

// Checking and writing a CSV file's rows on a real database, on either backend.
class TestImportCheck : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::optional<TempDatabase> m_database;
    std::optional<Connection> m_connection;

    QString file(const QStringList& lines) {
        const QString path = m_dir.filePath(QString("dosya%1.csv").arg(QTest::currentDataTag()).remove(' '));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(lines.join("\r\n").toUtf8() + "\r\n") < 0)
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    ImportSetup setupOf(const QString& path, ImportKind kind, ExistingRows existing = ExistingRows::Skip,
                        bool cut = false) {
        return {kind, matchAutomatically(openImportFile(path)->captions(), kind, ImportFormat::Text), cut,
                existing};
    }

    CheckSummary check(const QString& path, const ImportSetup& setup) {
        const std::optional<CheckSummary> summary =
            checkFile(path, {}, setup, KnownRecords::read(*m_connection, setup.kind), 200, {}, {});
        if (!summary)
            qFatal("check stopped");
        return *summary;
    }

    QString import(const QString& path, const ImportSetup& setup) {
        const std::optional<ImportResult> result =
            writeImport(*m_connection, path, {}, setup, check(path, setup).amountStyles, {});
        return result ? result->text(setup.kind) : "durdu";
    }

private slots:
    void initTestCase() { useProgramLocale(); }
    void init() {
        m_database.emplace();
        m_connection.emplace();
        m_database->open(*m_connection);
        fillSchool(*m_connection);
    }
    void cleanup() {
        m_connection.reset();
        m_database.reset();
    }

    // Each reason a row is refused for, naming its row and column; the rows refused are not written.
    void refusals_data() {
        QTest::addColumn<ImportKind>("kind");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("reason");
        const auto trainees = [](const char* tag, QStringList rows, const QString& reason) {
            QTest::newRow(tag) << ImportKind::Trainees << rows << reason;
        };
        trainees("required", {";Kaya;9;Kadın;B"}, "Satır 2, A sütunu (Adı): Adı boş olamaz.");
        trainees("date", {"Ali;Kaya;9;Erkek;B;31.02.2024"},
                 "Satır 2, F sütunu (Doğum Tarihi): \"31.02.2024\" tarih olarak okunamadı.");
        trainees("too long", {"Ali;Kaya;9;Erkek;B;;0555 111 22 33 4"},
                 "Satır 2, G sütunu (Cep Telefonu): \"0555 111 22 33 4\" 15 karakterden uzun.");
        trainees("not in list", {"Ali;Kaya;9;Erkek;Q"},
                 "Satır 2, E sütunu (Ehliyet Sınıfı): \"Q\" listede yok.");
        trainees("amount", {"Ali;Kaya;9;Erkek;B;;;on lira"},
                 "Satır 2, H sütunu (Ödeme Tutarı): \"on lira\" tutar olarak okunamadı.");
        trainees("yes or no", {"Ali;Kaya;9;Erkek;B;;;;belki"},
                 "Satır 2, I sütunu (ehliyetAldi): \"belki\" evet ya da hayır olarak okunamadı.");
        trainees(
            "past the last column", {"Ali;Kaya;9;Erkek;B;;;;;fazla"},
            "Satır 2, J sütunu: \"fazla\" başlığı olmayan bir sütunda; satırın sütunları kaymış olabilir.");
        trainees("number again", {"Ali;Kaya;9;Erkek;B", "Veli;Kaya;9;Erkek;B"},
                 "Satır 3, C sütunu (Aday No): \"9\" aday numarası dosyanın 2. satırında da var; yalnız ilki "
                 "aktarılır.");
        const auto payments = [](const char* tag, QStringList rows, const QString& reason) {
            QTest::newRow(tag) << ImportKind::Payments << rows << reason;
        };
        payments("no such trainee", {"1;100;01.02.2024", "9;100;01.02.2024"},
                 "Satır 3, A sütunu (Aday No): \"9\": Bu aday numarası ile kayıtlı kursiyer yok.");
        payments("no amount", {"1;100;01.02.2024", "2;;01.02.2024"},
                 "Satır 3, B sütunu (Miktar): Miktar boş olamaz.");
    }
    void refusals() {
        QFETCH(ImportKind, kind);
        QFETCH(QStringList, rows);
        QFETCH(QString, reason);
        const QString path =
            file(QStringList{kind == ImportKind::Trainees ? TraineeCaptions : PaymentCaptions} + rows);
        const ImportSetup setup = setupOf(path, kind);
        const CheckSummary summary = check(path, setup);
        QCOMPARE(summary.refused, 1);
        const CheckedRow& refused = summary.preview.back();
        QCOMPARE(refused.outcome, RowOutcome::Refused);
        QCOMPARE(refused.reasons(openImportFile(path)->captions(), setup.matching, kind),
                 QStringList{reason});
        const QStringList before = m_database->rows();
        QCOMPARE(import(path, setup),
                 kind == ImportKind::Trainees
                     ? QString("%1 kursiyer eklendi, 0 güncellendi, 1 satır atlandı.").arg(rows.size() - 1)
                     : QString("1 ödeme eklendi, 1 satır atlandı."));
        QCOMPARE(m_database->rows().size(), before.size() + rows.size() - 1);
    }

    // A new trainee gets a new record's defaults for every field the file leaves out or empty;
    // dates, yes/no and amounts are stored as the program stores them; lists give their entries.
    void newTraineeDefaults() {
        const QString path =
            file({TraineeCaptions + ";İli", "ali;KAYA;9;erkek;b;3.2.2001;;1.250,50;Evet;istanbul",
                  "Veli;Kaya;10;Erkek;B;;;;;"});
        QCOMPARE(import(path, setupOf(path, ImportKind::Trainees)),
                 "2 kursiyer eklendi, 0 güncellendi, 0 satır atlandı.");
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        QCOMPARE(texts(*m_connection,
                       "SELECT adi || '|' || cinsiyeti || '|' || ehliyetsinifi || '|' || dogumtarihi "
                       "|| '|' || odeme_tutari || '|' || ehliyetAldi || '|' || n_il || '|' || kayitTarihi "
                       "FROM tb_kursiyer WHERE adayno = '9'"),
                 QStringList{"ali|Erkek|B|2001-02-03 00:00:00|1250.5|-1|İSTANBUL|" + today + " 00:00:00"});
        const QHash<QString, QString> given = {{"adi", "Veli"},        {"soyadi", "Kaya"},
                                               {"adayno", "10"},       {"cinsiyeti", "Erkek"},
                                               {"ehliyetsinifi", "B"}, {"kayitTarihi", today + " 00:00:00"},
                                               {"odeme_tutari", "0"}};
        Statement stored(*m_connection, "SELECT * FROM tb_kursiyer WHERE adayno = '10'");
        QVERIFY(stored.step());
        for (int column = 0; column < stored.columnCount(); ++column) {
            const ImportField* field = nullptr;
            for (const ImportField& f : importFields(ImportKind::Trainees))
                if (f.name.compare(stored.columnName(column), Qt::CaseInsensitive) == 0)
                    field = &f;
            if (!field)
                continue;
            QString value = stored.cell(column).kind == Cell::Kind::Null ? "null" : stored.text(column);
            QCOMPARE(value.replace(".0", ""),
                     given.value(field->name, field->type == ColumnType::YesNo ? "0" : "null"));
        }
    }

    // A candidate number a trainee has: "Atla" leaves the trainee as it is; "Güncelle" writes the
    // file's cells that are not empty and raises the row version. The other row is added either way.
    void existingTrainee_data() {
        QTest::addColumn<ExistingRows>("existing");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QString>("trainee");
        QTest::newRow("Atla") << ExistingRows::Skip << "1 kursiyer eklendi, 0 güncellendi, 1 satır atlandı."
                              << "1 satır aktarılabilir, 0 satırda sorun var, 1 satır zaten kayıtlı"
                              << "Ayşe|Kaya|0555|0";
        QTest::newRow("Güncelle") << ExistingRows::Update
                                  << "1 kursiyer eklendi, 1 güncellendi, 0 satır atlandı."
                                  << "2 satır aktarılabilir, 0 satırda sorun var"
                                  << "Ayşegül|Kaya|0555|1";
    }
    void existingTrainee() {
        QFETCH(ExistingRows, existing);
        QFETCH(QString, result);
        QFETCH(QString, checked);
        QFETCH(QString, trainee);
        const QString path = file({TraineeCaptions, "Ayşegül;;1;;;;", "Veli;Kaya;3;Erkek;B"});
        const ImportSetup setup = setupOf(path, ImportKind::Trainees, existing);
        QCOMPARE(check(path, setup).text(existing), checked);
        QCOMPARE(import(path, setup), result);
        QCOMPARE(texts(*m_connection,
                       "SELECT adi || '|' || soyadi || '|' || ceptelefonu || '|' || surum FROM "
                       "tb_kursiyer WHERE kID = 1"),
                 QStringList{trainee});
    }

    // The same file again under "Atla" adds nothing: trainees by candidate number, payments as
    // stored (a payment the database held before is skipped the first time too). Ödendi: without
    // its column a payment is paid, with it an empty cell is not.
    void importedTwice_data() {
        QTest::addColumn<ImportKind>("kind");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("trainees") << ImportKind::Trainees
                                  << QStringList{TraineeCaptions, "Veli;Kaya;3;Erkek;B"}
                                  << "1 kursiyer eklendi, 0 güncellendi, 1 satır atlandı." << QStringList{};
        QTest::newRow("payments") << ImportKind::Payments
                                  << QStringList{PaymentCaptions, "1;1.500,00;05.01.2024;Peşin ",
                                                 "2;250,5;2024-02-01;"}
                                  << "2 ödeme eklendi, 1 satır atlandı."
                                  << QStringList{"1|1500|2024-01-05 00:00:00|-1",
                                                 "2|250.5|2024-02-01 00:00:00|-1",
                                                 "2|250.5|2024-02-01 00:00:00|-1"};
        QTest::newRow("paid column") << ImportKind::Payments
                                     << QStringList{PaymentCaptions + ";Ödendi", "2;10;01.03.2024;;",
                                                    "2;20;01.03.2024;;E"}
                                     << "3 ödeme eklendi, 0 satır atlandı."
                                     << QStringList{
                                            "1|1500|2024-01-05 00:00:00|-1", "2|10|2024-03-01 00:00:00|0",
                                            "2|20|2024-03-01 00:00:00|-1", "2|20|2024-03-01 00:00:00|-1"};
    }
    void importedTwice() {
        QFETCH(ImportKind, kind);
        QFETCH(QStringList, lines);
        QFETCH(QString, first);
        QFETCH(QStringList, stored);
        lines << lines.last(); // a trainee's second row is refused; a payment made twice is taken twice
        const QString path = file(lines);
        const ImportSetup setup = setupOf(path, kind);
        QCOMPARE(import(path, setup), first);
        const QStringList after = m_database->rows();
        QVERIFY(
            import(path, setup).startsWith(kind == ImportKind::Trainees ? "0 kursiyer eklendi" : "0 ödeme"));
        QCOMPARE(m_database->rows(), after);
        if (kind == ImportKind::Payments)
            QCOMPARE(texts(*m_connection, "SELECT kID || '|' || miktar || '|' || tarih || '|' || Odendi FROM "
                                          "tb_odeme ORDER BY odemeID")
                         .replaceInStrings(".0|", "|"),
                     stored);
    }

    // Stopping, a lock, or a row the database refuses: nothing is written.
    void nothingWritten_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("stopped") << "stop";
        QTest::newRow("locked") << "lock";
        QTest::newRow("refused") << "BEFORE INSERT ON tb_kursiyer WHEN (NEW.adayno = 'X')";
    }
    void nothingWritten() {
        QFETCH(QString, fault);
        QStringList lines{TraineeCaptions};
        for (int i = 0; i < 2500; ++i)
            lines << QString("Ali;Kaya;%1;Erkek;B").arg(i == 1500 ? QString("X") : QString::number(i + 100));
        const QString path = file(lines);
        const ImportSetup setup = setupOf(path, ImportKind::Trainees);
        const std::vector<AmountStyle> styles = check(path, setup).amountStyles;
        const QStringList before = m_database->rows();
        waitBriefly(*m_connection);
        std::optional<DatabaseLock> lock;
        if (fault == "lock")
            lock.emplace(*m_database);
        else if (fault != "stop")
            m_database->refuse(fault);
        int reports = 0;
        const auto stopHalfway = [&](double done) { return ++reports < 2 && done < 0.5; };
        if (fault == "stop")
            QVERIFY(!writeImport(*m_connection, path, {}, setup, styles, stopHalfway));
        else
            QVERIFY_THROWS_EXCEPTION(DatabaseError, writeImport(*m_connection, path, {}, setup, styles, {}));
        lock.reset();
        QCOMPARE(m_database->rows(), before);
    }

    void amountStyle_data() {
        QTest::addColumn<QString>("second");
        QTest::addColumn<double>("first");
        QTest::newRow("Turkish") << "2,50" << 1234.0;
        QTest::newRow("English") << "2.50" << 1.23;
    }
    // "1.234" reads either way: the column's later amount decides, and the write reads it so.
    void amountStyle() {
        QFETCH(QString, second);
        QFETCH(double, first);
        const QString path = file({PaymentCaptions, "1;1.234;01.02.2024;a", "1;" + second + ";02.02.2024;b"});
        const ImportSetup setup = setupOf(path, ImportKind::Payments);
        QCOMPARE(import(path, setup), QString("2 ödeme eklendi, 0 satır atlandı."));
        Statement amounts(*m_connection,
                          "SELECT miktar FROM tb_odeme WHERE aciklama IN ('a', 'b') ORDER BY aciklama");
        QVERIFY(amounts.step());
        QCOMPARE(amounts.number(0), first);
        QVERIFY(amounts.step());
        QCOMPARE(amounts.number(0), 2.5);
    }

    // The refused rows, and those with a cut cell, each written whole under the file's captions with
    // its reasons (texts cut at whole characters); the report, a row mended in it, imports again
    // with "Satır" and "Sorun" left out.
    void problemReport() {
        const QString path = file({TraineeCaptions, "Ali;Kaya;9;Erkek;B;31.02.2024;0555 111 22 33 44",
                                   "Veli;Kaya;8;Erkek;B;;12345678901234\U0001F6005;;;\"a;b\"",
                                   "Ayşe;Kaya;7;Kadın;B;;0555 111 22 33 44", "Can;Öz;6;Erkek;B"});
        const ImportSetup setup = setupOf(path, ImportKind::Trainees, ExistingRows::Skip, true);
        const KnownRecords known = KnownRecords::read(*m_connection, setup.kind);
        const CheckSummary summary = check(path, setup);
        QCOMPARE(summary.cutCells, 1);
        QCOMPARE(summary.preview[2].values[4].toString(), "0555 111 22 33 "); // Cep Telefonu
        const QString report = m_dir.filePath("sorunlar.csv");
        QCOMPARE(saveProblemReport(report, path, {}, setup, known, summary.amountStyles), 3);
        QFile written(report);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QString cut = "Cep Telefonu: 15 karakterden uzun; kırpıldı: \"\"%1\"\".";
        QCOMPARE(QString::fromUtf8(bytes.mid(3)),
                 "Satır;" + TraineeCaptions + ";Sorun\r\n" +
                     "2;Ali;Kaya;9;Erkek;B;31.02.2024;0555 111 22 33 44;;;\"Doğum Tarihi: \"\"31.02.2024\"\" "
                     "tarih olarak okunamadı. | " +
                     cut.arg("0555 111 22 33 ") + "\"\r\n" +
                     "3;Veli;Kaya;8;Erkek;B;;12345678901234\U0001F6005;;;\"\"\"a;b\"\" başlığı olmayan bir "
                     "sütunda; satırın sütunları kaymış olabilir. | " +
                     cut.arg("12345678901234") + "\";\"a;b\"\r\n" +
                     "4;Ayşe;Kaya;7;Kadın;B;;0555 111 22 33 44;;;\"" + cut.arg("0555 111 22 33 ") + "\"\r\n");
        QVERIFY_THROWS_EXCEPTION(ImportError, saveProblemReport(m_dir.filePath("yok/sorunlar.csv"), path, {},
                                                                setup, known, summary.amountStyles));

        QCOMPARE(import(path, setup), "2 kursiyer eklendi, 0 güncellendi, 2 satır atlandı.");
        written.close();
        QVERIFY(written.open(QIODevice::WriteOnly | QIODevice::Truncate));
        written.write(QByteArray(bytes).replace(";31.02.2024;", ";28.02.2024;"));
        written.close();
        const ImportSetup again = setupOf(report, ImportKind::Trainees, ExistingRows::Skip, true);
        Matching expected{-1};
        expected.insert(expected.end(), setup.matching.begin(), setup.matching.end());
        expected.push_back(-1);
        QCOMPARE(again.matching, expected);
        QCOMPARE(import(report, again), "1 kursiyer eklendi, 0 güncellendi, 2 satır atlandı.");
        QCOMPARE(texts(*m_connection, "SELECT adayno FROM tb_kursiyer WHERE kID > 2 ORDER BY adayno"),
                 (QStringList{"6", "7", "9"}));
        QCOMPARE(texts(*m_connection,
                       "SELECT dogumtarihi || '|' || ceptelefonu FROM tb_kursiyer WHERE adayno = '9'"),
                 QStringList{"2024-02-28 00:00:00|0555 111 22 33 "});
    }
};

QTEST_GUILESS_MAIN(TestImportCheck)
#include "tst_import_check.moc"
