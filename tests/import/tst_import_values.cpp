#include "data/value_lists.h"
#include "import/cell_values.h"

#include <QDateTime>
#include <QTest>

// The cells of a file read as the fields take them, and the columns of a file matched to the fields.

namespace {

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

template <typename T> QVariant orNull(const std::optional<T>& value) {
    return value ? QVariant::fromValue(*value) : QVariant();
}

} // namespace

class TestImportValues : public QObject {
    Q_OBJECT

private slots:
    void dates_data();
    void dates();
    void amountStyles_data();
    void amountStyles();
    void amounts_data();
    void amounts();
    void yesNo_data();
    void yesNo();
    void texts_data();
    void texts();
    void listEntries_data();
    void listEntries();
};

void TestImportValues::dates_data() {
    QTest::addColumn<QVariant>("cell");
    QTest::addColumn<QDate>("expected"); // null: none
    const QDate day(2024, 3, 5);
    QTest::newRow("dd.MM.yyyy") << QVariant("05.03.2024") << day;
    QTest::newRow("d.M.yyyy") << QVariant("5.3.2024") << day;
    QTest::newRow("dd/MM/yyyy") << QVariant("05/03/2024") << day;
    QTest::newRow("d-M-yy") << QVariant("5-3-24") << day;
    QTest::newRow("two-digit year before 1950 turn") << QVariant("5.3.50") << QDate(1950, 3, 5);
    QTest::newRow("two-digit year 2049") << QVariant("5.3.49") << QDate(2049, 3, 5);
    QTest::newRow("blanks around") << QVariant(" 05.03.2024 ") << day;
    QTest::newRow("with a time") << QVariant("05.03.2024 14:30") << day;
    QTest::newRow("ISO") << QVariant("2024-03-05") << day;
    QTest::newRow("ISO with time") << QVariant("2024-03-05 23:59:59") << day;
    QTest::newRow("ISO with T") << QVariant("2024-03-05T08:00:00") << day;
    QTest::newRow("date cell") << QVariant(day) << day;
    QTest::newRow("date-time cell") << QVariant(QDateTime(day, QTime(17, 0))) << day;
    QTest::newRow("serial 1") << QVariant(1.0) << QDate(1900, 1, 1);
    QTest::newRow("serial 59") << QVariant(59.0) << QDate(1900, 2, 28);
    QTest::newRow("serial 61 after the leap day that never was") << QVariant(61.0) << QDate(1900, 3, 1);
    QTest::newRow("serial with a time") << QVariant(45356.75) << day;
    QTest::newRow("serial as text") << QVariant("45356") << day;
    QTest::newRow("last serial") << QVariant(2958465.0) << QDate(9999, 12, 31);
    QTest::newRow("31.02.2024") << QVariant("31.02.2024") << QDate();
    QTest::newRow("2023-02-29") << QVariant("2023-02-29") << QDate();
    QTest::newRow("serial 60, 29.02.1900") << QVariant(60.0) << QDate();
    QTest::newRow("serial 0") << QVariant(0.0) << QDate();
    QTest::newRow("serial past 9999") << QVariant(2958466.0) << QDate();
    QTest::newRow("negative serial text") << QVariant("-5") << QDate();
    QTest::newRow("month 13") << QVariant("01.13.2024") << QDate();
    QTest::newRow("words") << QVariant("yarın") << QDate();
    QTest::newRow("logical cell") << QVariant(true) << QDate();
}

void TestImportValues::dates() {
    QFETCH(QVariant, cell);
    QFETCH(QDate, expected);
    QCOMPARE(readDate(cell).value_or(QDate()), expected);
}

void TestImportValues::amountStyles_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<AmountStyle>("expected");
    // Both separators: the last is the decimal one.
    QTest::newRow("1.234,50") << "1.234,50" << AmountStyle::Turkish;
    QTest::newRow("1,234.50") << "1,234.50" << AmountStyle::English;
    QTest::newRow("-1.234.567,89") << "-1.234.567,89" << AmountStyle::Turkish;
    // One separator followed by other than three digits: the decimal.
    QTest::newRow("1234,5") << "1234,5" << AmountStyle::Turkish;
    QTest::newRow("1234.5") << "1234.5" << AmountStyle::English;
    QTest::newRow("12,3456") << "12,3456" << AmountStyle::Turkish;
    // Three digits after, but no grouping could stand before them.
    QTest::newRow("1234.567") << "1234.567" << AmountStyle::English;
    QTest::newRow("0,500") << "0,500" << AmountStyle::Turkish;
    // One separator met twice: grouping.
    QTest::newRow("1.234.567") << "1.234.567" << AmountStyle::Turkish;
    QTest::newRow("1,234,567") << "1,234,567" << AmountStyle::English;
    // Nothing only one style reads.
    QTest::newRow("1.234") << "1.234" << AmountStyle::Undecided;
    QTest::newRow("1,234") << "1,234" << AmountStyle::Undecided;
    QTest::newRow("100") << "100" << AmountStyle::Undecided;
    QTest::newRow("currency") << utf8("₺ 1.234") << AmountStyle::Undecided;
}

void TestImportValues::amountStyles() {
    QFETCH(QString, text);
    QFETCH(AmountStyle, expected);
    QCOMPARE(amountStyleOf(text), expected);
}

void TestImportValues::amounts_data() {
    QTest::addColumn<QVariant>("cell");
    QTest::addColumn<AmountStyle>("style");
    QTest::addColumn<QVariant>("expected"); // null: none
    const auto tr = AmountStyle::Turkish;
    const auto en = AmountStyle::English;
    const auto none = AmountStyle::Undecided;
    QTest::newRow("Turkish") << QVariant("1.234,50") << tr << QVariant(1234.5);
    QTest::newRow("Turkish without grouping") << QVariant("1234,5") << none << QVariant(1234.5);
    QTest::newRow("Turkish negative") << QVariant("-1.234.567,89") << tr << QVariant(-1234567.89);
    QTest::newRow("English") << QVariant("1,234.50") << en << QVariant(1234.5);
    QTest::newRow("English without grouping") << QVariant("1234.5") << none << QVariant(1234.5);
    QTest::newRow("1.234 in a Turkish column") << QVariant("1.234") << tr << QVariant(1234.0);
    QTest::newRow("1.234 in an English column") << QVariant("1.234") << en << QVariant(1.234);
    QTest::newRow("1.234 undecided reads Turkish") << QVariant("1.234") << none << QVariant(1234.0);
    QTest::newRow("1,234 undecided reads Turkish") << QVariant("1,234") << none << QVariant(1.234);
    QTest::newRow("a value only one style reads keeps it") << QVariant("12.5") << tr << QVariant(12.5);
    QTest::newRow("lira after") << QVariant("1.234,50 TL") << none << QVariant(1234.5);
    QTest::newRow("lira sign before") << QVariant(utf8("₺1.234,50")) << none << QVariant(1234.5);
    QTest::newRow("blanks") << QVariant(" 250 ") << none << QVariant(250.0);
    QTest::newRow("number cell") << QVariant(99.99) << en << QVariant(99.99);
    QTest::newRow("whole number cell") << QVariant(qlonglong(7)) << tr << QVariant(7.0);
    QTest::newRow("grouping off by one") << QVariant("1.23.456") << tr << QVariant();
    QTest::newRow("two decimals") << QVariant("1,2,3") << en << QVariant();
    QTest::newRow("letters") << QVariant("yüz lira") << none << QVariant();
    QTest::newRow("just a sign") << QVariant("-") << none << QVariant();
    QTest::newRow("logical cell") << QVariant(true) << none << QVariant();
}

void TestImportValues::amounts() {
    QFETCH(QVariant, cell);
    QFETCH(AmountStyle, style);
    QFETCH(QVariant, expected);
    QCOMPARE(orNull(readAmount(cell, style)), expected);
}

void TestImportValues::yesNo_data() {
    QTest::addColumn<QVariant>("cell");
    QTest::addColumn<QVariant>("expected"); // null: none
    const QVariant yes(true);
    const QVariant no(false);
    for (const char* text : {"Evet", "EVET", "evet", "E", "Var", "1", "-1", "True", "T", "X", "x"})
        QTest::newRow(text) << QVariant(utf8(text)) << yes;
    for (const char* text : {"Hayır", "HAYIR", "hayir", "H", "Yok", "YOK", "0", "False", "F", " "})
        QTest::newRow(text) << QVariant(utf8(text)) << no;
    QTest::newRow("logical cell") << QVariant(true) << yes;
    QTest::newRow("number -1") << QVariant(-1.0) << yes;
    QTest::newRow("number 0") << QVariant(0.0) << no;
    QTest::newRow("number 2") << QVariant(2.0) << QVariant();
    QTest::newRow("belki") << QVariant("belki") << QVariant();
    QTest::newRow("date cell") << QVariant(QDate(2024, 1, 1)) << QVariant();
}

void TestImportValues::yesNo() {
    QFETCH(QVariant, cell);
    QFETCH(QVariant, expected);
    QCOMPARE(orNull(readYesNo(cell)), expected);
}

void TestImportValues::texts_data() {
    QTest::addColumn<QVariant>("cell");
    QTest::addColumn<QString>("expected");
    QTest::newRow("year") << QVariant(2024.0) << "2024";
    QTest::newRow("identity number") << QVariant(12345678901.0) << "12345678901";
    QTest::newRow("fraction") << QVariant(1.5) << "1.5";
    QTest::newRow("small fraction") << QVariant(0.0001) << "0.0001";
    QTest::newRow("negative zero") << QVariant(-0.0) << "0";
    QTest::newRow("whole number cell") << QVariant(qlonglong(5551234567)) << "5551234567";
    QTest::newRow("date") << QVariant(QDate(2024, 3, 5)) << "05.03.2024";
    QTest::newRow("midnight") << QVariant(QDateTime(QDate(2024, 3, 5), QTime(0, 0))) << "05.03.2024";
    QTest::newRow("yes") << QVariant(true) << "Evet";
    QTest::newRow("no") << QVariant(false) << utf8("Hayır");
    QTest::newRow("trimmed") << QVariant(utf8("  Ayşe Gül \t")) << utf8("Ayşe Gül");
}

void TestImportValues::texts() {
    QFETCH(QVariant, cell);
    QFETCH(QString, expected);
    QCOMPARE(readText(cell), expected);
}

void TestImportValues::listEntries_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QVariant>("expected"); // null: none
    const QStringList provinces = ValueLists::provinces();
    const QStringList blood = ValueLists::bloodGroups();
    QTest::newRow("istanbul") << "istanbul" << provinces << QVariant(utf8("İSTANBUL"));
    QTest::newRow("ığdır") << utf8("ığdır") << provinces << QVariant(utf8("IĞDIR"));
    QTest::newRow("blanks") << utf8(" Çanakkale ") << provinces << QVariant(utf8("ÇANAKKALE"));
    QTest::newRow("without Turkish letters") << "IZMIR" << provinces << QVariant(utf8("İZMİR"));
    QTest::newRow("kadin") << "kadin" << ValueLists::sexes() << QVariant(utf8("Kadın"));
    QTest::newRow("stored with a blank") << "a rh (-)" << blood << QVariant("A RH (-) ");
    QTest::newRow("typed with a blank") << "0 RH (+) " << blood << QVariant("0 RH (+)");
    QTest::newRow("licence class") << "b" << ValueLists::licenceClasses() << QVariant("B");
    QTest::newRow("not in the list") << "Londra" << provinces << QVariant();
    QTest::newRow("two entries read alike") << "si" << QStringList{utf8("Şİ"), "SI"} << QVariant();
    QTest::newRow("part of an entry") << "ANKA" << provinces << QVariant();
}

void TestImportValues::listEntries() {
    QFETCH(QString, text);
    QFETCH(QStringList, entries);
    QFETCH(QVariant, expected);
    QCOMPARE(orNull(readListEntry(text, entries)), expected);
}

QTEST_GUILESS_MAIN(TestImportValues)
#include "tst_import_values.moc"
