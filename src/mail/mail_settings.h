#pragma once

#include "mail/smtp_client.h"

#include <QMap>
#include <QString>
#include <QStringList>

class Connection;

// The school's own mail server and the reminder text, kept in tb_eposta_ayar's one row. The
// password is stored as typed: the server needs it back in clear text to sign in.
struct MailSettings {
    QString server;
    int port = 587;
    SmtpSecurity security = SmtpSecurity::StartTls;
    QString user;
    QString password;
    QString senderName;
    QString senderAddress;
    QString reminderText;
    int version = 0; // the row version read, so a save never overwrites another desk's silently

    // A server to send through and an address to send from: without both no mail goes out.
    bool canSend() const { return !server.trimmed().isEmpty() && !senderAddress.trimmed().isEmpty(); }
    // A client for this server as typed, signed in when a user name is given.
    SmtpClient client(int replyTimeoutSeconds = 60) const;
    // A mail from the school's sender to `to`.
    MailMessage message(const QString& to, const QString& subject, const QString& body) const;
};

namespace MailSecurity {
// The names the settings show and store, in the order of SmtpSecurity.
const QStringList& names();
QString name(SmtpSecurity security);
// An unknown name is read as no encryption.
SmtpSecurity fromName(const QString& name);
} // namespace MailSecurity

// Sends through `settings` on a thread of its own while the calling thread goes on handling its
// events, so a window stays alive during a slow server; returns once the server took the mail, or
// throws as SmtpClient::send does. `stop`, when given, ends a sending that waits.
void sendWhileEventsRun(const MailSettings& settings, const MailMessage& message,
                        const std::atomic<bool>* stop = nullptr);

// The stored settings; an empty reminder text reads as the default one.
MailSettings readMailSettings(Connection& connection);
// Writes the settings over the row whose version they were read with; throws DatabaseError with
// the row-changed text when another desk saved them meanwhile.
void writeMailSettings(Connection& connection, const MailSettings& settings);
// What is wrong with the settings as typed, in the words of a warning box; empty when nothing is.
QString mailSettingsProblem(const MailSettings& settings);

// The reminder a school gets until it writes its own.
QString defaultReminderText();
// `text` with each {name} that `values` knows replaced by its value; any other brace is left as
// typed.
QString fillReminder(const QString& text, const QMap<QString, QString>& values);
