#include "lessons/day_sheet_layout.h"

#include "report/layout_items.h"

#include <QLocale>

#include <functional>
#include <memory>

namespace DaySheetLayout {

namespace {

using Lessons::Lesson;
using Report::Band;
using Report::BandKind;
using Report::Item;
using Report::ItemKind;

constexpr double Width = Report::A4Width;
constexpr double HeaderHeight = 48.0;
constexpr double RowHeight = 10.0; // room for a signature
constexpr double TraineeSign = 140.0;
constexpr double InstructorSign = 166.0;

using SharedLessons = std::shared_ptr<const std::vector<Lesson>>;

// A column of the lesson's line, in the width it has.
Item column(const SharedLessons& lessons, double left, double right,
            std::function<QString(const Lesson&)> text) {
    Item item;
    item.kind = ItemKind::Callback;
    item.box = QRectF(left, 2.5, right - left, 0);
    item.onPrint = [lessons, text = std::move(text)](int row) {
        return row < 0 || row >= int(lessons->size()) ? QString() : text((*lessons)[std::size_t(row)]);
    };
    return item;
}

Band header(const QStringList& firm, const QString& instructor, const QDate& day) {
    Band band{BandKind::PageHeader, HeaderHeight, Report::letterhead("GunlukProgramFirma", Width)};
    band.items.front().lines = firm;
    band.items.push_back(Report::centred(Report::text("GÜNLÜK DERS PROGRAMI", 0, 28.5, true), Width));
    band.items.push_back(Report::text("Eğitmen: " + instructor, 1.3, 35.0, true));
    band.items.push_back(
        Report::inBox(Report::text("Tarih: " + QLocale().toString(day, "dd.MM.yyyy dddd"), 0, 35.0, true),
                      100.0, Width - 1.5));
    const std::pair<const char*, double> captions[] = {{"Saat", 1.3},
                                                       {"Aday No", 26.0},
                                                       {"Adı Soyadı", 47.0},
                                                       {"Cep Telefonu", 92.0},
                                                       {"Plaka", 120.0},
                                                       {"Kursiyer İmza", TraineeSign},
                                                       {"Eğitmen İmza", InstructorSign}};
    for (const auto& [caption, x] : captions)
        band.items.push_back(Report::text(QString::fromUtf8(caption), x, 42.0, true));
    band.items.push_back(Report::rule(46.5, 0.0, Width));
    return band;
}

Band lessonLines(const SharedLessons& lessons) {
    const auto clock = [](const QDateTime& moment) { return moment.toString("HH:mm"); };
    Band band{BandKind::Detail,
              RowHeight,
              {column(lessons, 1.3, 25.0,
                      [clock](const Lesson& l) { return clock(l.span.start) + '-' + clock(l.span.end); }),
               column(lessons, 26.0, 46.0, [](const Lesson& l) { return l.candidateNo; }),
               column(lessons, 47.0, 91.0, [](const Lesson& l) { return l.traineeName; }),
               column(lessons, 92.0, 119.0, [](const Lesson& l) { return l.mobile; }),
               column(lessons, 120.0, 139.0, [](const Lesson& l) { return l.plate; })}};
    // The signatures go on the lines, so a day without lessons prints none.
    if (!lessons->empty())
        for (const double left : {TraineeSign, InstructorSign})
            band.items.push_back(Report::rule(RowHeight - 1.5, left, left + 22.0));
    return band;
}

Band totals(const std::vector<Lesson>& lessons) {
    int minutes = 0;
    for (const Lesson& lesson : lessons)
        minutes += lesson.minutes();
    const QString text =
        lessons.empty()
            ? QString("Bu tarihte ders yok.")
            : QString("Ders Sayısı: %1 - Toplam: %2").arg(lessons.size()).arg(Lessons::hoursText(minutes));
    return {BandKind::Summary, 8.0, {Report::rule(0.5, 0.0, Width), Report::text(text, 1.3, 2.0, true)}};
}

} // namespace

Report::Definition rap_gunluk_program(const QStringList& firm, const QString& instructor, const QDate& day,
                                      const std::vector<Lessons::Lesson>& lessons) {
    const auto held = std::make_shared<const std::vector<Lesson>>(lessons);
    Report::Definition d;
    d.title = "Günlük Program";
    d.bands = {header(firm, instructor, day), lessonLines(held), totals(lessons)};
    return d;
}

} // namespace DaySheetLayout
