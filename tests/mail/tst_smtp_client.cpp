#include "mail/smtp_client.h"
#include "smtp_server.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

// The mail client against a real SMTP server on 127.0.0.1, each message read back with Python's
// own mail parser.
namespace {

MailMessage message(const QStringList& attachments = {}) {
    MailMessage m;
    m.envelopeFrom = "gulsen@ornek.example";
    m.envelopeTo = "destek@kalvista.example";
    m.senderAddress = "destek@kalvista.example";
    m.fromName = "Gülşen Çağrı Öztürk";
    m.fromAddress = "gulsen@ornek.example";
    m.toAddress = "destek@kalvista.example";
    m.subject = "Ödeme ekranı hakkında: ığüşöç İĞÜŞÖÇ";
    m.bodyLines = {"Merhaba,", "", "Şubat taksitleri görünmüyor."};
    m.attachments = attachments;
    return m;
}

QString md5(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

} // namespace

class TestSmtpClient : public QObject {
    Q_OBJECT

private slots:
    // The message as the server received it: envelope, headers, body and each attachment.
    void received_data() {
        QTest::addColumn<QStringList>("files");    // name of each file put in the list, in order
        QTest::addColumn<QStringList>("deleted");  // files removed again before sending
        QTest::addColumn<QStringList>("attached"); // names that arrive, in order

        QTest::newRow("text only") << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("two files") << QStringList{"resim.jpg", "şoför listesi.txt"} << QStringList{}
                                   << QStringList{"resim.jpg", "şoför listesi.txt"};
        QTest::newRow("same file twice") << QStringList{"resim.jpg", "resim.jpg"} << QStringList{}
                                         << QStringList{"resim.jpg", "resim.jpg"};
        QTest::newRow("deleted file skipped")
            << QStringList{"resim.jpg", "eski.zip", "not.txt"} << QStringList{"eski.zip"}
            << QStringList{"resim.jpg", "not.txt"};
    }
    void received() {
        QFETCH(QStringList, files);
        QFETCH(QStringList, deleted);
        QFETCH(QStringList, attached);
        QTemporaryDir folder;
        QMap<QString, QByteArray> contents;
        QStringList paths;
        for (const QString& name : files) {
            QByteArray bytes;
            for (int i = 0; i < 5000 + name.size(); ++i)
                bytes += char((i * 7 + name.size()) % 256);
            contents[name] = bytes;
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
            paths << file.fileName();
        }
        for (const QString& name : deleted)
            QVERIFY(QFile::remove(folder.filePath(name)));

        Server server("save");
        SmtpClient client("127.0.0.1", server.port);
        int connections = 0;
        client.onConnected([&] { ++connections; });
        client.send(message(MailText::existingFiles(paths)));

        QCOMPARE(connections, 1);
        QCOMPARE(server.saved().size(), 1);
        QStringList expected{"envelope-from: gulsen@ornek.example",
                             "envelope-to: destek@kalvista.example",
                             "from-name: Gülşen Çağrı Öztürk",
                             "from-address: gulsen@ornek.example",
                             "to: destek@kalvista.example",
                             "subject: Ödeme ekranı hakkında: ığüşöç İĞÜŞÖÇ",
                             "has-date: True has-id: True",
                             "text-type: text/plain utf-8",
                             "body: Merhaba,",
                             "body: ",
                             "body: Şubat taksitleri görünmüyor."};
        for (const QString& name : attached)
            expected << "attachment: " + name + ' ' + md5(contents[name]);
        QCOMPARE(server.read(1), expected);
    }

    // A failed sending reports its cause, sends nothing half, and the next one connects anew.
    void failures_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("unreadable"); // an attachment that cannot be read
        QTest::addColumn<QString>("error");   // a pattern the error text matches

        QTest::newRow("recipient refused")
            << "refuse" << false
            << "alıcı adresini kabul etmedi.*\\n\\(.*550.*\\)\\nSunucunun yanıtı: 550 5.1.1 Alıcı yok$";
        QTest::newRow("server never answers")
            << "silent" << false
            << "^Posta sunucusu \\(127.0.0.1:\\d+\\) zamanında yanıt vermedi.*\\n\\(.+\\)$";
        QTest::newRow("no server") << "none" << false
                                   << "^Posta sunucusuna \\(127.0.0.1:1\\) ulaşılamadı.*\\n\\(.+\\)$";
        QTest::newRow("attachment unreadable") << "save" << true << "Dosya okunamıyor: ";
    }
    void failures() {
        QFETCH(QString, mode);
        QFETCH(bool, unreadable);
        QFETCH(QString, error);
        QTemporaryDir folder;
        // A folder stands in for a file without read permission, which root could read all the same.
        QString blocked = folder.filePath("kilitli.doc");
        QVERIFY(QDir().mkpath(blocked));
        std::optional<Server> failing;
        if (mode != "none")
            failing.emplace(mode);
        SmtpClient client("127.0.0.1", failing ? failing->port : 1, 1);
        try {
            client.send(message(unreadable ? QStringList{blocked} : QStringList{}));
            QFAIL("sent");
        } catch (const MailError& e) {
            QString text = QString::fromLocal8Bit(e.what());
            QVERIFY2(text.contains(QRegularExpression(error)), qPrintable(text));
            if (unreadable)
                QVERIFY(text.contains(blocked));
        }
        if (mode == "refuse" || mode == "save")
            QCOMPARE(failing->saved().size(), 0);

        Server working("save");
        SmtpClient next("127.0.0.1", working.port, 1);
        next.send(message());
        QCOMPARE(working.saved().size(), 1);
    }

    void header_words_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("ascii") << "Fatura" << QByteArray("Fatura");
        QTest::newRow("turkish") << "Şu" << QByteArray("=?UTF-8?B?xZ51?=");
    }
    void header_words() {
        QFETCH(QString, text);
        QFETCH(QByteArray, encoded);
        QCOMPARE(MailText::encodeWord(text), encoded);
    }

    // A long header is split into encoded words at blanks, and a word longer than one encoded
    // word holds is the only one cut; the words decode back to the text.
    void header_words_split_at_blanks_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cutWords");
        QTest::newRow("name") << "Gülşen Çağrı Öztürk Iğdır İğdır Şişli Kadıköy Üsküdar Çekmeköy" << 0;
        QTest::newRow("subject") << "Ödeme ekranı hakkında: ığüşöç İĞÜŞÖÇ ve Iğdır şubesinin taksitleri" << 0;
        QTest::newRow("one long word") << "Çok " + QString(40, QChar(0x15F)) + " kısa" << 1;
    }
    void header_words_split_at_blanks() {
        QFETCH(QString, text);
        QFETCH(int, cutWords);
        const QList<QByteArray> words = MailText::encodeWord(text).split('\n');
        QVERIFY(words.size() > 1);
        QString decoded;
        int cuts = 0;
        for (const QByteArray& line : words) {
            const QByteArray word = line.trimmed();
            QVERIFY2(word.size() <= 75 && word.startsWith("=?UTF-8?B?") && word.endsWith("?="), word);
            const QString part = QString::fromUtf8(QByteArray::fromBase64(word.mid(10, word.size() - 12)));
            if (&line != &words.last() && !part.endsWith(' '))
                ++cuts;
            decoded += part;
        }
        QCOMPARE(decoded, text);
        QVERIFY2(cuts <= cutWords * 2, qPrintable(QString::number(cuts)));
    }
};

QTEST_GUILESS_MAIN(TestSmtpClient)
#include "tst_smtp_client.moc"
