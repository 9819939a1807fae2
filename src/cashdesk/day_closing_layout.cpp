#include "cashdesk/day_closing_layout.h"

#include "data/dataset.h"
#include "report/layout_items.h"

#include <QLocale>

#include <cmath>

namespace DayClosingLayout {

namespace {

using Report::Band;
using Report::BandKind;
using Report::Item;
using Report::ItemKind;

constexpr double Width = Report::A4Width;
constexpr double Line = 5.0;
constexpr double HeaderHeight = 48.0;
constexpr double SummaryRight = 89.0; // the sums per kind on the left half, per desk on the right
constexpr double DeskLeft = 100.0;

// A text cut to the one line that fits between `left` and `right`.
Item oneLine(const QString& text, double left, double right, double y) {
    Item memo;
    memo.kind = ItemKind::Memo;
    memo.lines = QStringList{text};
    memo.box = QRectF(left, y, right - left, Line - 0.5);
    return memo;
}

QString dayText(const QDate& day) {
    return QLocale().toString(day, QLocale::ShortFormat);
}

Band header(const QStringList& firm, const QDate& day) {
    Band band{BandKind::PageHeader, HeaderHeight, Report::letterhead("GunSonuFirma", Width)};
    band.items.front().lines = firm;
    band.items.push_back(Report::centred(Report::text("GÜN SONU RAPORU", 0, 28.5, true), Width));
    band.items.push_back(Report::text("Tarih: " + dayText(day), 1.3, 35.0, true));
    const std::pair<const char*, double> captions[] = {
        {"Makbuz No", 1.3}, {"Aday No", 30.0}, {"Adı Soyadı", 60.0}, {"Ödeme Şekli", 112.0}, {"Masa", 138.0}};
    for (const auto& [caption, x] : captions)
        band.items.push_back(Report::text(QString::fromUtf8(caption), x, 42.0, true));
    band.items.push_back(Report::inBox(Report::text("Tutar", 0, 42.0, true), 165.0, Width - 1.5));
    band.items.push_back(Report::rule(46.5, 0.0, Width));
    return band;
}

Band receiptLines(const Dataset& receipts) {
    Item name = Report::field("adisoyadi", 60.0, 0.3);
    name.box.setWidth(51.0);
    return {BandKind::Detail,
            Line,
            {Report::field("makbuzno", 1.3, 0.3), Report::field("adayno", 30.0, 0.3), name,
             Report::field("odemesekli", 112.0, 0.3), Report::field("masa", 138.0, 0.3),
             Report::inBox(Report::rowAmount(receipts, "tutar", 0, 0.3), 165.0, Width - 1.5)}};
}

// One table of sums (kind or desk, count, total) whose columns start at `left`; returns the
// height it took.
double sumTable(std::vector<Item>& items, const char* title, const char* caption,
                const std::vector<DayClosing::Sum>& sums, double left, double right, double y) {
    items.push_back(Report::text(QString::fromUtf8(title), left, y, true));
    items.push_back(Report::text(QString::fromUtf8(caption), left, y + Line, true));
    items.push_back(Report::inBox(Report::text("Adet", 0, y + Line, true), right - 42.0, right - 27.0));
    items.push_back(Report::inBox(Report::text("Toplam", 0, y + Line, true), right - 27.0, right));
    items.push_back(Report::rule(y + 2 * Line - 0.5, left, right));
    double top = y + 2 * Line;
    for (const DayClosing::Sum& sum : sums) {
        items.push_back(oneLine(sum.name, left, right - 42.0, top + 0.3));
        items.push_back(Report::inBox(Report::text(QString::number(sum.count), 0, top + 0.3), right - 42.0,
                                      right - 27.0));
        items.push_back(
            Report::inBox(Report::text(Report::amountText(sum.total), 0, top + 0.3), right - 27.0, right));
        top += Line;
    }
    return top - y;
}

// The cancellations, as many as the page has room for; the rest are counted on the last line.
double cancellations(std::vector<Item>& items, const std::vector<DayClosing::Cancelled>& cancelled, double y,
                     double room) {
    items.push_back(Report::text("İptal Edilen Makbuzlar", 1.3, y, true));
    if (cancelled.empty()) {
        items.push_back(Report::text("Bu tarihte iptal edilen makbuz yok.", 1.3, y + Line));
        return 2 * Line;
    }
    const std::pair<const char*, double> captions[] = {
        {"Makbuz No", 1.3}, {"Tarih", 30.0}, {"Adı Soyadı", 52.0}, {"İptal Nedeni", 130.0}};
    for (const auto& [caption, x] : captions)
        items.push_back(Report::text(QString::fromUtf8(caption), x, y + Line, true));
    items.push_back(Report::inBox(Report::text("Tutar", 0, y + Line, true), 100.0, 126.0));
    items.push_back(Report::rule(y + 2 * Line - 0.5, 0.0, Width));
    const int fitting = std::max(1, int(std::floor(room / Line + 1e-9)) - 2);
    const int shown = int(cancelled.size()) <= fitting ? int(cancelled.size()) : fitting - 1;
    double top = y + 2 * Line + 0.3;
    for (int i = 0; i < shown; ++i) {
        const DayClosing::Cancelled& c = cancelled[std::size_t(i)];
        items.push_back(Report::text(c.number, 1.3, top));
        items.push_back(Report::text(dayText(c.date), 30.0, top));
        items.push_back(oneLine(c.trainee, 52.0, 99.0, top));
        items.push_back(Report::inBox(Report::text(Report::amountText(c.amount), 0, top), 100.0, 126.0));
        items.push_back(oneLine(c.reason, 130.0, Width - 1.5, top));
        top += Line;
    }
    if (shown < int(cancelled.size())) {
        items.push_back(Report::text(QString("... ve %1 iptal daha (tamamı Gün Sonu penceresinde)")
                                         .arg(cancelled.size() - std::size_t(shown)),
                                     1.3, top));
        top += Line;
    }
    return top - y;
}

Band totals(const DayClosing& closing, double room) {
    Band band{BandKind::Summary, 0, {Report::rule(0.5, 0.0, Width)}};
    std::vector<Item>& items = band.items;
    items.push_back(Report::text(QString("Geçerli Makbuz: %1").arg(closing.all.count), 1.3, 2.0, true));
    items.push_back(Report::inBox(
        Report::text("Genel Toplam: " + Report::amountText(closing.all.total) + " TL", 0, 2.0, true), 100.0,
        Width - 1.5));
    const double top = 2.0 + 2 * Line;
    const double sums =
        std::max(sumTable(items, "Ödeme Şekline Göre", "Ödeme Şekli", closing.byKind, 1.3, SummaryRight, top),
                 sumTable(items, "Masaya Göre", "Masa", closing.byDesk, DeskLeft, Width - 1.5, top));
    const double below = top + sums + Line;
    band.height = below + cancellations(items, closing.cancelled, below, room - below) + 1.0;
    return band;
}

} // namespace

Report::Definition rap_gunsonu(const QStringList& firm, const QDate& day, const DayClosing& closing,
                               const Dataset& receipts) {
    Report::Definition d;
    d.title = "Gün Sonu";
    d.bands = {header(firm, day), receiptLines(receipts),
               totals(closing, d.setup.printableHeight() - HeaderHeight - 1.0)};
    return d;
}

} // namespace DayClosingLayout
