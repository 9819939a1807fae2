#include "cashdesk/reminders.h"

#include "cashdesk/allocation.h"
#include "data/connection.h"
#include "data/schema.h"

namespace {

constexpr int KindWidth = 20;
constexpr int AddressWidth = 100;
constexpr int ResultWidth = 200;

} // namespace

void recordReminder(Connection& connection, qint64 kID, const QDateTime& when, const QString& kind,
                    const QString& address, const QString& result) {
    Statement insert(connection,
                     "INSERT INTO tb_hatirlatma (kID, zaman, tur, adres, sonuc) VALUES (?, ?, ?, ?, ?)");
    insert.bind(1, kID);
    insert.bind(2, toStoredDate(when));
    insert.bind(3, fitToWidth(kind, KindWidth));
    insert.bind(4, fitToWidth(address, AddressWidth));
    insert.bind(5, fitToWidth(result, ResultWidth));
    insert.execute();
}
