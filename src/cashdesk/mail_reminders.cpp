#include "cashdesk/mail_reminders.h"

#include "data/connection.h"
#include "report/report_model.h"

#include <QDateTime>
#include <QLocale>

Letterhead readLetterhead(Connection& connection) {
    Statement read(connection, "SELECT ad, tel FROM tb_firma ORDER BY firmaID LIMIT 1");
    if (!read.step())
        return {};
    return {read.text(0).trimmed(), read.text(1).trimmed()};
}

QMap<QString, QString> reminderValues(const ReminderTarget& target, const Letterhead& school) {
    return {{"adi", target.adi},
            {"soyadi", target.soyadi},
            {"firma", school.name},
            {"telefon", school.phone},
            {"vade", target.oldestDue.toString("dd.MM.yyyy")},
            {"tutar", Report::amountText(target.lateAmount)},
            {"toplam", Report::amountText(target.remainingDebt)}};
}

QString reminderFor(const QString& text, const ReminderTarget& target, const Letterhead& school) {
    return fillReminder(text, reminderValues(target, school));
}

QString closingLine(const ReminderCount& count) {
    return QString("%1%2 e-posta gönderildi, %3 kursiyerin adresi yok, %4 gönderilemedi.")
        .arg(count.stopped ? "Gönderim durduruldu.\n" : "")
        .arg(count.sent)
        .arg(count.withoutAddress)
        .arg(count.failed);
}

ReminderCount sendReminders(Connection& connection, const MailSettings& settings, const Letterhead& school,
                            const std::vector<ReminderTarget>& targets,
                            const std::function<void(const MailMessage&)>& send,
                            const std::function<bool(int done)>& goOn) {
    ReminderCount count;
    for (size_t i = 0; i < targets.size(); ++i) {
        if (goOn && !goOn(int(i))) {
            count.stopped = true;
            break;
        }
        const ReminderTarget& target = targets[i];
        const QString address = target.eposta.trimmed();
        if (address.isEmpty()) {
            ++count.withoutAddress;
            continue;
        }
        QString result = ReminderSent;
        try {
            send(settings.message(address, ReminderSubject,
                                  reminderFor(settings.reminderText, target, school)));
            ++count.sent;
        } catch (const MailError& e) {
            result = QString::fromLocal8Bit(e.what());
            ++count.failed;
            count.stopped = dynamic_cast<const MailStopped*>(&e) != nullptr;
        }
        recordReminder(connection, target.kID, QDateTime::currentDateTime(), ReminderKind::Mail, address,
                       result);
        if (count.stopped)
            break;
    }
    return count;
}
