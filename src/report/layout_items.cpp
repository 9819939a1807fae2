#include "report/layout_items.h"

#include "data/dataset.h"

#include <algorithm>

namespace Report {

Item text(const QString& caption, double x, double y, bool bold) {
    Item item;
    item.text = caption;
    item.box = QRectF(x, y, 0, 0);
    item.bold = bold;
    return item;
}

Item named(Item item, const QString& name) {
    item.name = name;
    return item;
}

Item field(const QString& name, double x, double y, const QString& mask) {
    Item item;
    item.kind = ItemKind::Field;
    item.field = name;
    item.mask = mask;
    item.box = QRectF(x, y, 0, 0);
    return item;
}

Item rowAmount(const Dataset& data, const QString& name, double x, double y) {
    Item item;
    item.kind = ItemKind::Callback;
    item.box = QRectF(x, y, 0, 0);
    item.onPrint = [&data, name](int row) {
        return row < 0 ? QString() : amountText(data.valueAt(row, data.fieldIndex(name)));
    };
    return item;
}

Item inBox(Item item, double left, double right) {
    item.box = QRectF(left, item.box.y(), right - left, 0);
    item.alignment = Qt::AlignRight;
    return item;
}

Item rule(double y, double left, double right) {
    Item line;
    line.kind = ItemKind::Line;
    line.box = QRectF(left, y, right - left, 0);
    return line;
}

void labelled(std::vector<Item>& items, const char* caption, const QString& value, double x, double y,
              double valueX) {
    items.push_back(text(QString::fromUtf8(caption), x, y, true));
    items.push_back(text(value, x + valueX, y));
}

Item centred(Item item, double width) {
    item.box = QRectF(0, item.box.y(), width, 0);
    item.alignment = Qt::AlignHCenter;
    return item;
}

std::vector<Item> letterhead(const QString& memoName, double width) {
    Item memo;
    memo.kind = ItemKind::Memo;
    memo.name = memoName;
    memo.box = QRectF(1.3, 1.6, std::min(111.1, width - 45.0), 23.5);
    Item date;
    date.kind = ItemKind::SystemDate;
    date.box = QRectF(width - 1.5, 1.3, 0, 0);
    date.alignment = Qt::AlignRight;
    Item rule;
    rule.kind = ItemKind::Line;
    rule.box = QRectF(0, 25.9, width, 0);
    return {memo, date, rule};
}

QStringList firmHeaderLines(const QVariant& ad, const QVariant& adres, const QVariant& tel,
                            const QVariant& fax) {
    return {ad.toString(), adres.toString(), tel.toString() + " (Tel)", fax.toString() + " (Fax)"};
}

QStringList firmBlock(Dataset& firm) {
    firm.open();
    const struct ClosedAfterwards {
        Dataset& d;
        ~ClosedAfterwards() { d.close(); }
    } closing{firm};
    return firmHeaderLines(firm.value("ad"), firm.value("adres"), firm.value("tel"), firm.value("fax"));
}

} // namespace Report
