#include "lessons/tracking_form_layout.h"

#include "data/connection.h"
#include "data/database_error.h"
#include "data/transaction.h"
#include "report/layout_items.h"

#include <algorithm>
#include <functional>

namespace TrackingForm {

namespace {

using Report::Band;
using Report::BandKind;
using Report::Item;
using Report::ItemKind;
using Report::labelled;

constexpr double Width = Report::A4Width;
constexpr double RightColumn = 110.0;
constexpr double LineHeight = 8.0; // room for a signature
constexpr double TextTop = 2.5;

struct Column {
    const char* caption;
    double left;
    double right; // figures end there; 0 for a column read from the left
};

// No, date, hours, state, instructor, plate, then the two signatures.
const Column Columns[] = {
    {"No", 0.0, 7.0},     {"Tarih", 10.0, 0},  {"Süre (saat)", 29.0, 45.0},   {"Durum", 50.0, 0},
    {"Eğitmen", 66.0, 0}, {"Plaka", 110.0, 0}, {"Kursiyer İmzası", 133.0, 0}, {"Eğitmen İmzası", 162.0, 0}};

Item placed(Item item, const Column& column) {
    return column.right > 0 ? Report::inBox(item, column.left, column.right) : item;
}

Band header(const QStringList& firm, const Form& form) {
    Band band{BandKind::PageHeader, 60.0, Report::letterhead("TakipFormuFirma", Width)};
    band.items.front().lines = firm;
    band.items.push_back(
        Report::centred(Report::text("DİREKSİYON EĞİTİMİ TAKİP FORMU", 0, 28.5, true), Width));
    std::vector<Item>& items = band.items;
    labelled(items, "Adı Soyadı:", form.name, 1.3, 35.0);
    labelled(items, "T.C. Kimlik No:", form.nationalId, 1.3, 40.0);
    labelled(items, "Aday No:", form.candidateNo, 1.3, 45.0);
    labelled(items, "Ehliyet Sınıfı:", form.licenceClass, RightColumn, 35.0);
    labelled(items, "Direksiyon Hakkı:", Lessons::hoursText(form.hours.entitledHours * 60), RightColumn,
             40.0);
    for (const Column& column : Columns)
        items.push_back(
            placed(Report::text(QString::fromUtf8(column.caption), column.left, 53.0, true), column));
    items.push_back(Report::rule(57.5, 0.0, Width));
    return band;
}

// A line past the lessons is left empty for a lesson still to come; only its number is printed.
Item lessonCell(const Form& form, const Column& column, std::function<QString(const Lessons::Lesson&)> text) {
    Item item = Report::text({}, column.left, TextTop);
    item.kind = ItemKind::Callback;
    item.onPrint = [&form, text = std::move(text)](int row) {
        return row >= 0 && row < int(form.lessons.size()) ? text(form.lessons[size_t(row)]) : QString();
    };
    return placed(item, column);
}

Band lines(const Form& form) {
    Item number = Report::text({}, 0, TextTop);
    number.kind = ItemKind::Callback;
    number.onPrint = [](int row) { return row < 0 ? QString() : QString::number(row + 1); };
    using Lessons::Lesson;
    return {
        BandKind::Detail,
        LineHeight,
        {placed(number, Columns[0]),
         lessonCell(form, Columns[1], [](const Lesson& l) { return l.span.start.toString("dd.MM.yyyy"); }),
         lessonCell(form, Columns[2], [](const Lesson& l) { return Lessons::hoursFigure(l.minutes()); }),
         lessonCell(form, Columns[3], [](const Lesson& l) { return l.state; }),
         lessonCell(form, Columns[4], [](const Lesson& l) { return l.instructor; }),
         lessonCell(form, Columns[5], [](const Lesson& l) { return l.plate; }),
         Report::rule(LineHeight - 0.2, 0.0, Width)}};
}

Band totals(const Form& form) {
    return {BandKind::Summary,
            10.0,
            {Report::text("Toplam:", 1.3, 3.0, true),
             Report::text(Lessons::hoursSummary(form.hours), 20.0, 3.0)}};
}

} // namespace

Form readForm(Connection& connection, qint64 kID) {
    Form form;
    Transaction reading(connection, Transaction::Kind::Read);
    {
        Statement trainee(
            connection,
            "SELECT adi, soyadi, n_tckimlik, adayno, ehliyetsinifi FROM tb_kursiyer WHERE kID = ?");
        trainee.bind(1, kID);
        if (!trainee.step())
            throw DatabaseError(RowChangedElsewhereText);
        form.name = (trainee.text(0) + ' ' + trainee.text(1)).trimmed();
        form.nationalId = trainee.text(2);
        form.candidateNo = trainee.text(3);
        form.licenceClass = trainee.text(4);
    }
    const std::vector<Lessons::Lesson> lessons = Lessons::lessonsOf(connection, kID);
    form.hours = Lessons::hoursOf(connection, kID, lessons).driving;
    reading.commit();
    std::copy_if(
        lessons.begin(), lessons.end(), std::back_inserter(form.lessons), [](const Lessons::Lesson& l) {
            return l.kind == Lessons::Driving && (l.state == Lessons::Done || l.state == Lessons::Missed);
        });
    return form;
}

int lineCount(const Form& form) {
    return std::max(int(form.lessons.size()), form.hours.entitledHours);
}

QString lineNumbersSql(int count) {
    return QString("WITH RECURSIVE satirlar(satir) AS (SELECT 1 UNION ALL SELECT satir + 1 FROM satirlar "
                   "WHERE satir < %1) SELECT satir FROM satirlar WHERE satir <= %1")
        .arg(std::max(0, count));
}

Report::Definition rap_takip_formu(const QStringList& firm, const Form& form) {
    Report::Definition d;
    d.title = "Takip Formu";
    d.bands = {header(firm, form), lines(form), totals(form)};
    return d;
}

} // namespace TrackingForm
