#include "ui/mail/mail_message.h"

#include <QFileInfo>
#include <QLocale>

namespace {

bool plainAscii(const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    return true;
}

// Characters RFC 2231 lets stand unescaped in an extended parameter value.
bool attributeChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           QByteArray("!#$&+-.^_`|~").contains(c);
}

QByteArray quoted(const QString& text) {
    QByteArray out = text.toUtf8();
    out.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + out + '"';
}

// RFC 5322 wants the zone as a numeric offset, never a name.
QByteArray zone(const QDateTime& now) {
    int minutes = now.offsetFromUtc() / 60;
    return QString::asprintf("%c%02d%02d", minutes < 0 ? '-' : '+', qAbs(minutes) / 60, qAbs(minutes) % 60)
        .toLatin1();
}

} // namespace

namespace MailText {

QByteArray encodeWord(const QString& text) {
    if (plainAscii(text))
        return text.toUtf8();
    // Encoded words are limited to 75 characters, so long texts are split on whole characters.
    QList<QByteArray> words;
    QByteArray chunk;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QByteArray piece = text.mid(i, len).toUtf8();
        i += len - 1;
        if ((chunk.size() + piece.size() + 2) / 3 * 4 > 44) {
            words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
            chunk.clear();
        }
        chunk += piece;
    }
    if (!chunk.isEmpty())
        words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
    return words.join("\r\n ");
}

QByteArray mailbox(const QString& name, const QString& address) {
    QByteArray angle = '<' + address.toUtf8() + '>';
    if (name.isEmpty())
        return angle;
    return (plainAscii(name) ? quoted(name) : encodeWord(name)) + ' ' + angle;
}

QList<QByteArray> headerLines(const MailMessage& message, const QDateTime& now, const QByteArray& messageId) {
    return {
        "Date: " + QLocale::c().toString(now, "ddd, dd MMM yyyy HH:mm:ss ").toLatin1() + zone(now),
        "From: " + mailbox(message.fromName, message.fromAddress),
        "Sender: " + mailbox(QString(), message.senderAddress),
        "To: " + mailbox(QString(), message.toAddress),
        "Subject: " + encodeWord(message.subject),
        "Message-ID: <" + messageId + '>',
        "MIME-Version: 1.0",
    };
}

QByteArray body(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines)
        out += line.toUtf8() + "\r\n";
    return out;
}

QByteArray attachmentDisposition(const QString& fileName) {
    if (plainAscii(fileName))
        return "Content-Disposition: attachment; filename=" + quoted(fileName);
    QByteArray value;
    for (char c : fileName.toUtf8())
        value += attributeChar(c) ? QByteArray(1, c) : '%' + QByteArray(1, c).toHex().toUpper();
    return "Content-Disposition: attachment; filename*=UTF-8''" + value;
}

} // namespace MailText

QStringList MailText::existingFiles(const QStringList& paths) {
    QStringList out;
    for (const QString& path : paths)
        if (QFileInfo(path).isFile())
            out << path;
    return out;
}
