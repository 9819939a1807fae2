#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

class Connection;

// A trainee with late installments, as the overdue list shows it: whom a reminder goes to and the
// figures its text may name.
struct ReminderTarget {
    qint64 kID = 0;
    QString adi;
    QString soyadi;
    QString ceptelefonu;
    QString eposta;
    QDate oldestDue; // the oldest late due date
    double lateAmount = 0.0;
    double remainingDebt = 0.0;
};

namespace ReminderKind {
inline const QString Mail = QStringLiteral("E-posta");
inline const QString SmsList = QStringLiteral("SMS listesi");
} // namespace ReminderKind

// What a sent reminder records as its result; any other result is the error's text.
inline const QString ReminderSent = QStringLiteral("Gönderildi");

// Records one reminder attempt in tb_hatirlatma: whom, when, how, to which address, with what
// result. Texts longer than their columns are cut at whole characters.
void recordReminder(Connection& connection, qint64 kID, const QDateTime& when, const QString& kind,
                    const QString& address, const QString& result);
