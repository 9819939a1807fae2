#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// What one mail carries: the envelope, the header fields and the parts, before any transport.
struct MailMessage {
    QString envelopeFrom;
    QString envelopeTo;
    QString senderAddress; // the mailbox that sends on the writer's behalf
    QString fromName;
    QString fromAddress;
    QString toAddress;
    QString subject;
    QStringList bodyLines;
    QStringList attachments; // full paths, in order; a path may stand twice
};

namespace MailText {

// A header text as one RFC 2047 encoded word when it is not plain ASCII, else unchanged.
QByteArray encodeWord(const QString& text);
// "Name <address>", the name encoded when it needs to be and left out when empty.
QByteArray mailbox(const QString& name, const QString& address);
// The top-level header lines we write ourselves; the transport adds the MIME structure.
QList<QByteArray> headerLines(const MailMessage& message, const QDateTime& now, const QByteArray& messageId);
// The body as the text part carries it: lines ended by CRLF.
QByteArray body(const QStringList& lines);
// Content-Disposition of an attachment, the name in RFC 2231 form when it is not plain ASCII.
QByteArray attachmentDisposition(const QString& fileName);

} // namespace MailText

namespace MailText {
// The paths whose file exists now, in order and with repeats; the others are left out silently.
QStringList existingFiles(const QStringList& paths);
} // namespace MailText
