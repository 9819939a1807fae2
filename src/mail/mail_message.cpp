#include "mail/mail_message.h"

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

qsizetype encodedLength(qsizetype bytes) {
    return (bytes + 2) / 3 * 4;
}

// The text cut after each run of blanks, so every piece is a word with the blanks that follow it.
QStringList wordsWithTheirBlanks(const QString& text) {
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 1; i <= text.size(); ++i)
        if (i == text.size() || (text.at(i - 1) == ' ' && text.at(i) != ' ')) {
            pieces << text.mid(start, i - start);
            start = i;
        }
    return pieces;
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
    // Encoded words are limited to 75 characters, so a long text is split; at a blank where one
    // comes in time, since some readers show a split inside a word as a stray blank, and inside
    // the word only when a single word is longer than an encoded word holds.
    QList<QByteArray> words;
    QByteArray chunk;
    const auto flush = [&] {
        if (!chunk.isEmpty())
            words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
        chunk.clear();
    };
    const auto fits = [&](const QByteArray& more) { return encodedLength(chunk.size() + more.size()) <= 44; };
    for (const QString& word : wordsWithTheirBlanks(text)) {
        const QByteArray whole = word.toUtf8();
        if (!fits(whole))
            flush();
        if (fits(whole)) {
            chunk += whole;
            continue;
        }
        for (qsizetype i = 0; i < word.size(); ++i) {
            const qsizetype length = word.at(i).isHighSurrogate() && i + 1 < word.size() ? 2 : 1;
            const QByteArray piece = word.mid(i, length).toUtf8();
            i += length - 1;
            if (!fits(piece))
                flush();
            chunk += piece;
        }
    }
    flush();
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
