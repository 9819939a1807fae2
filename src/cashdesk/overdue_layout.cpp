#include "cashdesk/overdue_layout.h"

#include "report/layout_items.h"

#include <QLocale>

namespace OverdueLayout {

namespace {

using Report::Band;
using Report::BandKind;
using Report::Item;

constexpr double Width = Report::A4LandscapeWidth;
constexpr double TitlesY = Report::LetterheadHeight + 13.0;

// Each column's box, left to right; numbers end at its right edge.
struct Column {
    const char* title;
    const char* field;
    double left;
    double right;
    bool number = false;
    QString mask = {};
};

const std::vector<Column>& columns() {
    static const std::vector<Column> all{
        {"Aday No", "adayno", 1.3, 18.0},
        {"Adı", "adi", 19.0, 44.0},
        {"Soyadı", "soyadi", 45.0, 70.0},
        {"Cep Telefonu", "ceptelefonu", 71.0, 94.0},
        {"E-Posta", "eposta", 95.0, 138.0},
        {"En Eski Vade", "eneskivade", 139.0, 157.0},
        {"Gecikme (Gün)", "gecikme", 158.0, 180.0, true},
        {"Taksit", "taksitsayisi", 181.0, 192.0, true},
        {"Geciken Tutar", "gecikentutar", 193.0, 214.0, true, Report::AmountMask},
        {"Kalan Borç", "kalanborc", 215.0, 236.0, true, Report::AmountMask},
        {"Son Hatırlatma", "sonhatirlatma", 239.0, Width},
    };
    return all;
}

Item placed(Item item, const Column& column) {
    if (column.number)
        return Report::inBox(item, column.left, column.right);
    item.box.setWidth(column.right - column.left);
    return item;
}

Band header() {
    Band band{BandKind::PageHeader, TitlesY + 5.5, Report::letterhead("GecikenFirma", Width)};
    band.items.push_back(
        Report::centred(Report::text("GECİKEN TAKSİTLER", 0, Report::LetterheadHeight + 1.5, true), Width));
    band.items.push_back(Report::centred(
        Report::named(Report::text({}, 0, Report::LetterheadHeight + 7.0), "GecikenTarih"), Width));
    for (const Column& c : columns())
        band.items.push_back(placed(Report::text(QString::fromUtf8(c.title), c.left, TitlesY, true), c));
    band.items.push_back(Report::rule(TitlesY + 4.8, 0.0, Width));
    return band;
}

Band detail() {
    Band band{BandKind::Detail, 5.0, {}};
    for (const Column& c : columns())
        band.items.push_back(placed(Report::field(c.field, c.left, 0.3, c.mask), c));
    return band;
}

Band summary() {
    Band band{BandKind::Summary, 8.0, {Report::rule(0.5, 0.0, Width)}};
    band.items.push_back(Report::named(Report::text({}, 1.3, 2.0, true), "GecikenToplam"));
    return band;
}

} // namespace

Report::Definition rap_geciken() {
    Report::Definition d;
    d.title = "Geciken Taksitler";
    d.setup.paper = QSizeF(297, 210);
    d.bands = {header(), detail(), summary()};
    return d;
}

void fill(Report::Definition& layout, const QStringList& firm, const QDate& asOf, const QString& totals) {
    layout.item("GecikenFirma").lines = firm;
    layout.item("GecikenTarih").text = QString("%1 tarihine göre vadesi geçmiş, ödenmemiş taksitler")
                                           .arg(QLocale().toString(asOf, QLocale::ShortFormat));
    layout.item("GecikenToplam").text = totals;
}

} // namespace OverdueLayout
