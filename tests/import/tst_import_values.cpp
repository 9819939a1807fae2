#include "data/schema.h"
#include "data/value_lists.h"
#include "export/export_writers.h"
#include "import/cell_values.h"
#include "import/import_fields.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <shapefil.h>

// The cells of a file read as the fields take them, and the columns of a file matched to the fields.

namespace {

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

template <typename T> QVariant orNull(const std::optional<T>& value) {
    return value ? QVariant::fromValue(*value) : QVariant();
}

// A cell read by one of the readers, named as the table below names them; null when it reads none.
QVariant read(const QString& reader, const QVariant& cell) {
    if (reader == "date")
        return orNull(readDate(cell));
    if (reader.startsWith("amount")) {
        const AmountStyle style = reader.endsWith("tr")   ? AmountStyle::Turkish
                                  : reader.endsWith("en") ? AmountStyle::English
                                                          : AmountStyle::Undecided;
        return orNull(readAmount(cell, style));
    }
    if (reader == "style")
        return int(amountStyleOf(cell.toString()));
    if (reader == "yes/no")
        return orNull(readYesNo(cell));
    if (reader == "text")
        return readText(cell);
    const QStringList entries = reader == "province" ? ValueLists::provinces()
                                : reader == "blood"  ? ValueLists::bloodGroups()
                                                     : ValueLists::sexes();
    return orNull(readListEntry(cell.toString(), entries));
}

// The names of the fields each column fills, "" where it is left out.
QStringList fieldNames(const Matching& matching, ImportKind kind) {
    QStringList names;
    for (const int field : matching)
        names << (field >= 0 ? importFields(kind)[size_t(field)].name : QString());
    return names;
}

QStringList traineeColumnNames() {
    QStringList names;
    for (const Column& column : Schema::table(u"tb_kursiyer")->columns)
        names << column.name;
    return names;
}

// The field names a DBF of these columns gets from the export's own writer, as shapelib reads them.
QStringList exportedDbfNames(const QString& path, const QStringList& columns) {
    std::vector<ExportColumn> exportColumns;
    for (const QString& column : columns)
        exportColumns.push_back({column, column, ExportKind::Text, 1});
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return {};
    const std::unique_ptr<ExportWriter> writer = makeDbfWriter(out, ExportSettings());
    writer->begin(exportColumns);
    writer->end();
    out.close();
    const DBFHandle dbf = DBFOpen(QFile::encodeName(path).constData(), "rb");
    if (!dbf)
        return {};
    QStringList names;
    for (int f = 0; f < DBFGetFieldCount(dbf); ++f) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        DBFGetFieldInfo(dbf, f, name, nullptr, nullptr);
        names << QString::fromLatin1(name);
    }
    DBFClose(dbf);
    return names;
}

} // namespace

class TestImportValues : public QObject {
    Q_OBJECT

private slots:
    void cells_data();
    void cells();
    void matching_data();
    void matching();
    void fieldMatchedTwice();
    void matchingFileRoundTrip();
};

void TestImportValues::cells_data() {
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QVariant>("cell");
    QTest::addColumn<QVariant>("expected"); // null: the cell reads as none
    const auto row = [](const char* reader, const QVariant& cell, const QVariant& expected) {
        QTest::addRow("%s %s", reader, qPrintable(cell.toString())) << QString(reader) << cell << expected;
    };
    const QVariant none;
    const QDate day(2024, 3, 5);
    for (const char* text : {"05.03.2024", "5.3.2024", "05/03/2024", "5-3-24", "2024-03-05",
                             "2024-03-05 23:59:59", "2024-03-05T08:00:00", "45356", " 05.03.2024 14:30"})
        row("date", utf8(text), day);
    row("date", "5.3.49", QDate(2049, 3, 5));
    row("date", "05-3-24", day);
    row("date", "2024-3-5", day);
    row("date", "5.3.50", QDate(1950, 3, 5));
    row("date", QDateTime(day, QTime(17, 0)), day);
    row("date", 45356.75, day);
    row("date", 1.0, QDate(1900, 1, 1));
    row("date", 59.0, QDate(1900, 2, 28));
    row("date", 61.0, QDate(1900, 3, 1)); // after the 29.02.1900 that Excel counts
    row("date", 2958465.0, QDate(9999, 12, 31));
    for (const QVariant& cell : {QVariant("31.02.2024"), QVariant("2023-02-29"), QVariant(60.0),
                                 QVariant(0.0), QVariant(2958466.0), QVariant("-5"), QVariant(true)})
        row("date", cell, none);
    // The rule a column's style is decided by: with both separators the last is the decimal; one
    // met once before other than three digits, or where no grouping could stand, is the decimal;
    // one met twice groups.
    const auto tr = QVariant(int(AmountStyle::Turkish));
    const auto en = QVariant(int(AmountStyle::English));
    const auto undecided = QVariant(int(AmountStyle::Undecided));
    for (const char* text : {"1.234,50", "-1.234.567,89", "1234,5", "0,500", "1.234.567"})
        row("style", text, tr);
    for (const char* text : {"1,234.50", "1234.5", "1234.567", "1,234,567"})
        row("style", text, en);
    for (const char* text : {"1.234", "1,234", "100", "₺ 1.234"})
        row("style", utf8(text), undecided);
    row("amount tr", "-1.234.567,89", -1234567.89);
    row("amount en", "1,234.50", 1234.5);
    row("amount tr", "1.234", 1234.0);
    row("amount en", "1.234", 1.234);
    row("amount ?", "1.234", 1234.0);
    row("amount tr", "12.5", 12.5); // a value only one style reads keeps it
    row("amount ?", "1.234,50 TL", 1234.5);
    row("amount ?", utf8("₺ 250"), 250.0);
    row("amount en", 99.99, 99.99);
    for (const char* text : {"1.23.456", "1,2,3", "yüz lira", "-"})
        row("amount tr", utf8(text), none);
    for (const char* text : {"Evet", "EVET", "e", "Var", "1", "-1", "True", "T", "X"})
        row("yes/no", text, true);
    for (const char* text : {"Hayır", "HAYIR", "hayir", "H", "Yok", "0", "False", "F", " "})
        row("yes/no", utf8(text), false);
    row("yes/no", -1.0, true);
    row("yes/no", 2.0, none);
    row("yes/no", "belki", none);
    row("text", 2024.0, "2024");
    row("text", 12345678901.0, "12345678901"); // an identity number, never 1.23457e+10
    row("text", 0.0001, "0.0001");
    row("text", -0.0, "0");
    row("text", day, "05.03.2024");
    row("text", false, utf8("Hayır"));
    row("text", utf8("  Ayşe Gül \t"), utf8("Ayşe Gül"));
    row("province", "istanbul", utf8("İSTANBUL"));
    row("province", utf8(" ığdır "), utf8("IĞDIR"));
    row("province", "IZMIR", utf8("İZMİR")); // typed without Turkish letters
    row("province", "ANKA", none);
    row("province", "ISTANBULL", none);
    row("sex", "kadin", utf8("Kadın"));
    row("blood", "a rh (-)", "A RH (-) "); // the entry as the list stores it
}

void TestImportValues::cells() {
    QFETCH(QString, reader);
    QFETCH(QVariant, cell);
    QFETCH(QVariant, expected);
    QCOMPARE(read(reader, cell), expected);
}

void TestImportValues::matching_data() {
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<ImportKind>("kind");
    QTest::addColumn<ImportFormat>("format");
    QTest::addColumn<QStringList>("expected");
    const auto trainees = ImportKind::Trainees;
    QTest::newRow("a field to the first column naming it")
        << QStringList{"ADI", utf8("Adı*"), "adi"} << trainees << ImportFormat::Text
        << QStringList{"adi", "", ""};
    QTest::newRow("a caption of several fields")
        << QStringList{"Adresi", "ADRESI", "Adresi"} << trainees << ImportFormat::Xlsx
        << QStringList{"e_adresi", "i_adresi", ""};
    QTest::newRow("the two registration dates")
        << QStringList{"Soyadı", "Kayıt Tarihi", "k_kayittarihi", "kayit tarihi"} << trainees
        << ImportFormat::Text << QStringList{"soyadi", "kayitTarihi", "k_kayittarihi", ""};
    QTest::newRow("unknown and empty captions") << QStringList{"Ad Soyad", "", "Aday No:"} << trainees
                                                << ImportFormat::Text << QStringList{"", "", "adayno"};
    QTest::newRow("payments") << QStringList{utf8("ÖDEME TARİHİ"), "aday no", "MIKTAR", "Odendi", "Not"}
                              << ImportKind::Payments << ImportFormat::Text
                              << QStringList{"tarih", "adayno", "miktar", "Odendi", ""};
    QTest::newRow("names cut by the export")
        << QStringList{"s_ilkyardi", "s_ilkyard1", "EHLIYETSIN", "ehliyetAld"} << trainees
        << ImportFormat::Dbf << QStringList{"s_ilkyardim1", "s_ilkyardim2", "ehliyetsinifi", "ehliyetAldi"};
    QTest::newRow("a DBF of another program by captions")
        << QStringList{"KID", "ADI", "SOYADI", "CINSIYETI", "SEHIR"} << trainees << ImportFormat::Dbf
        << QStringList{"", "adi", "soyadi", "cinsiyeti", "e_sehir"};
    // The program's own lists give every field back: the CSV names its columns by the fields, the
    // DBF by the export writer's names, cut to ten characters.
    const QStringList all = traineeColumnNames();
    QStringList fields = all;
    fields.replaceInStrings(QRegularExpression("^(kID|surum)$"), "");
    QTest::newRow("the program's own CSV") << all << trainees << ImportFormat::Text << fields;
    const QTemporaryDir dir;
    const QStringList dbfNames = exportedDbfNames(dir.filePath("liste.dbf"), all);
    QVERIFY(dbfNames.contains("s_ilkyard4"));
    QTest::newRow("the program's own DBF") << dbfNames << trainees << ImportFormat::Dbf << fields;
}

void TestImportValues::matching() {
    QFETCH(QStringList, captions);
    QFETCH(ImportKind, kind);
    QFETCH(ImportFormat, format);
    QFETCH(QStringList, expected);
    QCOMPARE(fieldNames(matchAutomatically(captions, kind, format), kind), expected);
}

void TestImportValues::fieldMatchedTwice() {
    const QStringList captions = {"Ad Soyad", "ADI", "", "Ad"};
    QCOMPARE(::fieldMatchedTwice({-1, 0, 2, -1}), std::nullopt);
    QCOMPARE(::fieldMatchedTwice({-1, 0, 2, 0, 2}), std::optional(0));
    QCOMPARE(matchedTwiceMessage({-1, 0, -1, 0}, captions, ImportKind::Trainees),
             utf8("\"Adı\" alanı iki sütuna eşlenmiş: B (ADI) ve D (Ad). Birini boş bırakın."));
    QCOMPARE(matchedTwiceMessage({3, -1, 3}, captions, ImportKind::Payments),
             utf8("\"Ödeme Tarihi\" alanı iki sütuna eşlenmiş: A (Ad Soyad) ve C. Birini boş bırakın."));
}

void TestImportValues::matchingFileRoundTrip() {
    const QTemporaryDir dir;
    const QString path = dir.filePath(utf8("eşleşme.ini"));
    const QStringList saved = {utf8("Öğrenci Adı"), "Adresi", "Adresi", "Seri / No", "Kan Grubu", "Not"};
    const Matching matching = {0, 20, 11, 26, 33, -1};
    saveMatching(path, ImportKind::Trainees, saved, matching);
    ImportKind kind = ImportKind::Payments;
    QCOMPARE(loadMatching(path, saved, &kind), matching);
    QCOMPARE(kind, ImportKind::Trainees);
    // Captions are found by their folded form, in any order; those the file does not name are left out.
    const QStringList other = {"KAN GRUBU", "Yeni", "adresi", utf8("ÖĞRENCİ ADI"), "ADRESI"};
    QCOMPARE(loadMatching(path, other), Matching({33, -1, 20, 0, 11}));
    QVERIFY_THROWS_EXCEPTION(ImportError, loadMatching(dir.filePath("yok.ini"), saved));
    QVERIFY_THROWS_EXCEPTION(ImportError,
                             saveMatching(path + "/alt.ini", ImportKind::Trainees, saved, matching));
}

QTEST_GUILESS_MAIN(TestImportValues)
#include "tst_import_values.moc"
