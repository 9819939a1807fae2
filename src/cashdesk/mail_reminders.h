#pragma once

#include "cashdesk/reminders.h"
#include "mail/mail_settings.h"

#include <QMap>

#include <functional>
#include <vector>

class Connection;

// The school's name and telephone as the letterhead holds them, for the reminder's {firma} and
// {telefon}.
struct Letterhead {
    QString name;
    QString phone;
};
Letterhead readLetterhead(Connection& connection);

inline const QString ReminderSubject = QStringLiteral("Ödeme Hatırlatması");

// The values a reminder text may name for this trainee: {adi}, {soyadi}, {firma}, {telefon},
// {vade} (the oldest late due date), {tutar} (the late amount) and {toplam} (the remaining debt),
// dates and amounts as the ledger shows them.
QMap<QString, QString> reminderValues(const ReminderTarget& target, const Letterhead& school);
// The reminder text filled in for one trainee: the body of its mail, the message of its SMS line.
QString reminderFor(const QString& text, const ReminderTarget& target, const Letterhead& school);

// What a reminder run did, for its closing line.
struct ReminderCount {
    int sent = 0;
    int withoutAddress = 0;
    int failed = 0;
    bool stopped = false; // the user stopped it before every target had its turn
};
// "N e-posta gönderildi, M kursiyerin adresi yok, K gönderilemedi.", after a line saying the run
// was stopped when it was.
QString closingLine(const ReminderCount& count);

// Sends one reminder to each target with an address, in order, through `send` (which throws
// MailError for a mail that did not go), and records every attempt in tb_hatirlatma on the calling
// thread: "Gönderildi" only for a mail the server took, else the error's text. A target without an
// address is counted and skipped. `goOn` is asked before each target; false ends the run there.
ReminderCount sendReminders(Connection& connection, const MailSettings& settings, const Letterhead& school,
                            const std::vector<ReminderTarget>& targets,
                            const std::function<void(const MailMessage&)>& send,
                            const std::function<bool(int done)>& goOn = {});
