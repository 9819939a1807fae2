#include "reports/report_layouts.h"

#include "report/layout_items.h"

namespace Layouts {

namespace {

using Report::Band;
using Report::BandKind;
using Report::Item;
using Report::ItemKind;
using namespace Report;

Item statusBox(const QString& name, const StatusText& status, double x, double y) {
    Item item;
    item.kind = ItemKind::Callback;
    item.name = name;
    item.box = QRectF(x, y, 16.9, 0);
    item.onPrint = status;
    return item;
}

Report::Definition definition(const QString& title) {
    Report::Definition d;
    d.title = title;
    return d;
}

} // namespace

Report::Definition rap_1() {
    Report::Definition d = definition("Kursiyerler");
    Band header{BandKind::PageHeader, 32.3, letterhead("QRMemo1")};
    Band detail{BandKind::Detail, 5.6, {}};
    const std::pair<const char*, const char*> columns[] = {{"Aday No", "adayno"},
                                                           {"Adı", "adi"},
                                                           {"Soyadı", "soyadi"},
                                                           {"Ehliyet Sınıfı", "ehliyetsinifi"},
                                                           {"Cinsiyeti", "cinsiyeti"}};
    const double lefts[] = {2.1, 52.9, 97.4, 150.3, 173.6};
    for (int i = 0; i < 5; ++i) {
        header.items.push_back(text(QString::fromUtf8(columns[i].first), lefts[i], 26.7, true));
        detail.items.push_back(field(columns[i].second, lefts[i], 0.5));
    }
    Item count = text("Kayıt Sayısı : ", 1.3, 1.1);
    count.kind = ItemKind::Count;
    d.bands = {header, detail, Band{BandKind::PageFooter, 6.1, {count}}};
    return d;
}

Report::Definition rap_2(StatusText QRLabel34Print) {
    Report::Definition d = definition("Ödeme Raporu");
    Band header{BandKind::PageHeader, 52.1, letterhead("QRMemo2")};
    const struct {
        double y;
        const char* left;
        const char* leftSlot;
        const char* right;
        const char* rightSlot;
    } rows[] = {{26.7, "Aday No", "QRLabel22", "Ödeme Tutar", "QRLabel19"},
                {33.1, "Adı", "QRLabel23", "Ödenen Tutar", "QRLabel20"},
                {39.4, "Soyadı", "QRLabel24", "Kalan Borç", "QRLabel21"}};
    for (const auto& r : rows) {
        header.items.push_back(text(QString::fromUtf8(r.left), 2.1, r.y, true));
        header.items.push_back(text(":", 21.2, r.y, true));
        header.items.push_back(named(text("%", 23.3, r.y, true), r.leftSlot));
        header.items.push_back(text(QString::fromUtf8(r.right), 91.0, r.y, true));
        header.items.push_back(text(":", 112.4, r.y, true));
        header.items.push_back(named(inBox(text("0", 0, r.y, true), 114.3, 134.1), r.rightSlot));
    }
    const std::pair<const char*, double> captions[] = {
        {"Ödeme Durumu", 2.1}, {"Ödeme Miktarı", 27.5}, {"Ödeme Tarihi", 57.1}, {"Açıklama", 88.9}};
    for (const auto& [caption, x] : captions)
        header.items.push_back(text(QString::fromUtf8(caption), x, 46.6, true));
    Band detail{BandKind::Detail,
                5.0,
                {statusBox("QRLabel34", QRLabel34Print, 2.1, 0.3), field("miktar", 27.5, 0.3, AmountMask),
                 field("tarih", 57.1, 0.3), field("aciklama", 88.9, 0.3)}};
    d.bands = {header, detail};
    return d;
}

Report::Definition qr3(StatusText QRLabel27Print) {
    Report::Definition d = definition("Ödeme Raporu");
    Band header{BandKind::PageHeader, 33.1, letterhead("QRMemo3")};
    const std::pair<const char*, double> captions[] = {{"Aday No", 1.1},        {"Adı Soyadı", 23.3},
                                                       {"Ödeme Durumu", 72.0},  {"Ödeme Miktarı", 97.4},
                                                       {"Ödeme Tarihi", 127.0}, {"Açıklama", 150.3}};
    for (const auto& [caption, x] : captions)
        header.items.push_back(text(QString::fromUtf8(caption), x, 27.0, true));
    Band detail{BandKind::Detail,
                5.0,
                {field("adayno", 1.1, 0.3), field("AdiSoyadi", 23.3, 0.3),
                 statusBox("QRLabel27", QRLabel27Print, 72.0, 0.3),
                 inBox(field("miktar", 0, 0.3, AmountMask), 96.0, 119.5), field("tarih", 127.0, 0.3),
                 field("aciklama", 150.3, 0.3)}};
    Item total;
    total.kind = ItemKind::Sum;
    total.name = "QRExpr1";
    total.field = "miktar";
    total.mask = AmountMask;
    total.bold = true;
    total.box = QRectF(0, 1.3, 0, 0);
    d.bands = {header, detail, Band{BandKind::Summary, 7.1, {inBox(total, 72.0, 119.6)}}};
    return d;
}

QString paymentStatus(const QVariant& odendi) {
    return !odendi.isNull() && odendi.toBool() ? QStringLiteral("Ödendi") : QStringLiteral("Ödenmedi");
}

} // namespace Layouts
