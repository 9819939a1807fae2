#pragma once

#include "cashdesk/reminders.h"

#include <QByteArray>

#include <functional>
#include <stdexcept>
#include <vector>

// The reminder text for one trainee.
using SmsMessage = std::function<QString(const ReminderTarget&)>;

// A list for any SMS service: one line "telefon;mesaj" per trainee with a mobile number, in UTF-8
// without a byte order mark or a title line, the number as stored.
struct SmsList {
    QByteArray csv;
    std::vector<ReminderTarget> listed; // the trainees a line was written for, in the list's order
    int withoutMobile = 0;
};

SmsList smsList(const std::vector<ReminderTarget>& targets, const SmsMessage& message);

// A CSV field as RFC 4180 wants it: quoted, its quotes doubled, when it holds ; " or a line break.
QString csvField(const QString& value);

class SmsListError : public std::runtime_error {
public:
    explicit SmsListError(const QString& message) : std::runtime_error(message.toUtf8().toStdString()) {}
};

// Writes the list to `path` whole or not at all, then records an "SMS listesi" reminder for each
// line at `when`, all in one transaction: a file that could not be written records nothing.
// Throws SmsListError, with the file and the reason in Turkish, when the file was not written.
void saveSmsList(Connection& connection, const QString& path, const SmsList& list, const QDateTime& when);
