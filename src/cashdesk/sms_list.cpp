#include "cashdesk/sms_list.h"

#include "app/file_error.h"
#include "data/transaction.h"

#include <QDir>
#include <QSaveFile>

#include <cerrno>

namespace {

// RFC 4180 ends every line with CR LF, inside a quoted message too the line break is the text's own.
constexpr char LineEnd[] = "\r\n";

[[noreturn]] void unwritable(const QString& path, const QSaveFile& file) {
    throw SmsListError(QString("SMS listesi yazılamadı:\n%1\n%2")
                           .arg(QDir::toNativeSeparators(path), fileErrorReason(errno, file.errorString())));
}

void writeWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        unwritable(path, file);
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        unwritable(path, file);
    }
    errno = 0;
    if (!file.commit())
        unwritable(path, file);
}

} // namespace

QString csvField(const QString& value) {
    static const QString special = QStringLiteral(";\"\r\n");
    if (std::none_of(value.begin(), value.end(), [](QChar c) { return special.contains(c); }))
        return value;
    QString quoted = value;
    return '"' + quoted.replace('"', "\"\"") + '"';
}

SmsList smsList(const std::vector<ReminderTarget>& targets, const SmsMessage& message) {
    SmsList list;
    for (const ReminderTarget& target : targets) {
        if (target.ceptelefonu.trimmed().isEmpty()) {
            ++list.withoutMobile;
            continue;
        }
        list.csv += (csvField(target.ceptelefonu) + ';' + csvField(message(target))).toUtf8() + LineEnd;
        list.listed.push_back(target);
    }
    return list;
}

// The write lock is taken before the file is written, so a busy database stops the command before
// a file exists that the reminders would not show.
void saveSmsList(Connection& connection, const QString& path, const SmsList& list, const QDateTime& when) {
    Transaction recording(connection);
    writeWhole(path, list.csv);
    for (const ReminderTarget& target : list.listed)
        recordReminder(connection, target.kID, when, ReminderKind::SmsList, target.ceptelefonu, ReminderSent);
    recording.commit();
}
