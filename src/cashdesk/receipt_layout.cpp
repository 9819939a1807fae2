#include "cashdesk/receipt_layout.h"

#include "cashdesk/amount_in_words.h"
#include "report/layout_items.h"

#include <QLocale>

namespace ReceiptLayout {

namespace {

using Report::Band;
using Report::BandKind;
using Report::Item;
using Report::ItemKind;

constexpr double Width = 128.0; // A5 less the margins
constexpr double ValueX = 30.0;

void labelledField(std::vector<Item>& items, const char* caption, const QString& name, double x, double y) {
    items.push_back(Report::text(QString::fromUtf8(caption), x, y));
    items.push_back(Report::named(Report::text({}, x + ValueX - 1.3, y), name));
}

Band header() {
    Band band{BandKind::PageHeader, 86.0, Report::letterhead("MakbuzFirma", Width)};
    std::vector<Item>& items = band.items;
    items.push_back(Report::centred(Report::text("TAHSİLAT MAKBUZU", 0, 28.5, true), Width));
    items.push_back(Report::named(Report::text({}, 1.3, 35.0, true), "MakbuzNo"));
    items.push_back(
        Report::inBox(Report::named(Report::text({}, 0, 35.0), "MakbuzTarihi"), 70.0, Width - 1.5));
    items.push_back(Report::centred(Report::named(Report::text({}, 0, 41.0, true), "IptalYazisi"), Width));
    labelledField(items, "Adı Soyadı:", "AdiSoyadi", 1.3, 47.0);
    labelledField(items, "T.C. Kimlik No:", "TcKimlikNo", 1.3, 52.0);
    labelledField(items, "Aday No:", "AdayNo", 1.3, 57.0);
    labelledField(items, "Tutar:", "Tutar", 1.3, 63.0);
    items.back().bold = true;
    Item words;
    words.kind = ItemKind::Memo;
    words.name = "TutarYazi";
    words.box = QRectF(1.3, 68.0, Width - 2.6, 8.5);
    items.push_back(words);
    labelledField(items, "Ödeme Şekli:", "OdemeSekli", 1.3, 76.0);
    items.push_back(Report::text("Açıklama", 1.3, 81.0, true));
    items.push_back(Report::text("Vade", 72.0, 81.0, true));
    items.push_back(Report::inBox(Report::text("Ödenen", 0, 81.0, true), 96.0, Width - 1.5));
    items.push_back(Report::rule(85.5, 0.0, Width));
    return band;
}

Band lines() {
    return {BandKind::Detail,
            5.0,
            {Report::field("aciklama", 1.3, 0.3), Report::field("vade", 72.0, 0.3),
             Report::inBox(Report::field("tutar", 0, 0.3, Report::AmountMask), 96.0, Width - 1.5)}};
}

Band closing() {
    Band band{BandKind::Summary, 36.0, {Report::rule(0.5, 0.0, Width)}};
    labelledField(band.items, "Kalan Borç:", "KalanBorc", 1.3, 2.0);
    labelledField(band.items, "Tahsil Eden:", "TahsilEden", 1.3, 10.0);
    band.items.push_back(Report::rule(27.0, 80.0, Width - 1.5));
    Item signature = Report::text("İmza", 0, 28.0);
    signature.box = QRectF(80.0, 28.0, Width - 81.5, 0);
    signature.alignment = Qt::AlignHCenter;
    band.items.push_back(signature);
    return band;
}

QString amountWithCurrency(double amount) {
    return Report::amountText(amount) + " TL";
}

} // namespace

Report::Definition rap_makbuz() {
    Report::Definition d;
    d.title = "Tahsilat Makbuzu";
    d.setup.paper = QSizeF(148, 210);
    d.bands = {header(), lines(), closing()};
    return d;
}

void fill(Report::Definition& layout, const QStringList& firm, const ReceiptText& receipt) {
    layout.item("MakbuzFirma").lines = firm;
    layout.item("MakbuzNo").text = "Makbuz No: " + receipt.number;
    layout.item("MakbuzTarihi").text = "Tarih: " + QLocale().toString(receipt.date, QLocale::ShortFormat);
    layout.item("IptalYazisi").text = receipt.cancelled ? QStringLiteral("İPTAL EDİLMİŞTİR") : QString();
    layout.item("AdiSoyadi").text = receipt.name;
    layout.item("TcKimlikNo").text = receipt.nationalId;
    layout.item("AdayNo").text = receipt.candidateNo;
    layout.item("Tutar").text = amountWithCurrency(receipt.amount);
    layout.item("TutarYazi").lines = QStringList{amountInWords(receipt.amount)};
    layout.item("OdemeSekli").text = receipt.kind;
    layout.item("KalanBorc").text = amountWithCurrency(receipt.remaining);
    layout.item("TahsilEden").text = receipt.desk;
}

QString receiptSql(qint64 makbuzID) {
    return QString("SELECT m.makbuzno, m.tarih, m.tutar, m.odemesekli, m.masa, m.iptal, m.adisoyadi, "
                   "m.adayno, k.n_tckimlik, (SELECT SUM(o.miktar) FROM tb_odeme AS o WHERE o.kID = m.kID "
                   "AND o.Odendi = false) AS kalan FROM tb_makbuz AS m LEFT JOIN tb_kursiyer AS k ON "
                   "k.kID = m.kID WHERE m.makbuzID = %1")
        .arg(makbuzID);
}

QString receiptLinesSql(qint64 makbuzID) {
    return QString("SELECT aciklama, vade, tutar FROM tb_makbuz_satir WHERE makbuzID = %1 ORDER BY satirID")
        .arg(makbuzID);
}

} // namespace ReceiptLayout
