#include "cashdesk/statement_layout.h"

#include "data/dataset.h"
#include "report/layout_items.h"
#include "reports/report_layouts.h"

#include <QLocale>

namespace StatementLayout {

namespace {

using Report::Band;
using Report::BandKind;
using Report::Item;
using Report::ItemKind;
using Report::labelled;

constexpr double Width = Report::A4Width;
constexpr double ValueX = 30.0;
constexpr double RightColumn = 100.0;

QString amountWithCurrency(double amount) {
    return Report::amountText(amount) + " TL";
}

Band header(const QStringList& firm, const TraineeStatement& trainee) {
    Band band{BandKind::PageHeader, 60.0, Report::letterhead("EkstreFirma", Width)};
    band.items.front().lines = firm;
    band.items.push_back(Report::centred(Report::text("HESAP EKSTRESİ", 0, 28.5, true), Width));
    std::vector<Item>& items = band.items;
    labelled(items, "Adı Soyadı:", trainee.name, 1.3, 35.0);
    labelled(items, "T.C. Kimlik No:", trainee.nationalId, 1.3, 40.0);
    labelled(items, "Aday No:", trainee.candidateNo, 1.3, 45.0);
    labelled(items, "Ehliyet Sınıfı:", trainee.licenceClass, RightColumn, 35.0);
    labelled(items, "Kayıt Tarihi:", QLocale().toString(trainee.registered, QLocale::ShortFormat),
             RightColumn, 40.0);
    labelled(items, "Ödeme Tutarı:", trainee.fee ? amountWithCurrency(*trainee.fee) : QString(), RightColumn,
             45.0);
    const std::pair<const char*, double> captions[] = {
        {"Vade", 1.3}, {"Açıklama", 25.0}, {"Durum", 112.0}, {"Makbuz No", 140.0}};
    for (const auto& [caption, x] : captions)
        items.push_back(Report::text(QString::fromUtf8(caption), x, 53.0, true));
    items.push_back(Report::inBox(Report::text("Tutar", 0, 53.0, true), 80.0, 106.0));
    items.push_back(Report::rule(57.5, 0.0, Width));
    return band;
}

Band paymentRows(const Dataset& rows) {
    Item status;
    status.kind = ItemKind::Callback;
    status.box = QRectF(112.0, 0.3, 0, 0);
    status.onPrint = [&rows](int row) {
        return row < 0 ? QString() : Layouts::paymentStatus(rows.valueAt(row, rows.fieldIndex("Odendi")));
    };
    return {BandKind::Detail,
            5.0,
            {Report::field("tarih", 1.3, 0.3), Report::field("aciklama", 25.0, 0.3),
             Report::inBox(Report::rowAmount(rows, "miktar", 0, 0.3), 80.0, 106.0), status,
             Report::field("makbuzno", 140.0, 0.3)}};
}

Band totals(const TraineeStatement& trainee) {
    Band band{BandKind::Summary, 14.0, {Report::rule(0.5, 0.0, Width)}};
    const std::pair<const char*, double> rows[] = {{"Ödenen Tutar:", trainee.paid},
                                                   {"Kalan Borç:", trainee.remaining}};
    double y = 2.0;
    for (const auto& [caption, amount] : rows) {
        band.items.push_back(Report::text(QString::fromUtf8(caption), RightColumn, y, true));
        band.items.push_back(Report::inBox(Report::text(amountWithCurrency(amount), 0, y, true),
                                           RightColumn + ValueX, Width - 1.5));
        y += 5.0;
    }
    return band;
}

} // namespace

Report::Definition rap_ekstre(const QStringList& firm, const TraineeStatement& trainee, const Dataset& rows) {
    Report::Definition d;
    d.title = "Hesap Ekstresi";
    d.bands = {header(firm, trainee), paymentRows(rows), totals(trainee)};
    return d;
}

} // namespace StatementLayout
