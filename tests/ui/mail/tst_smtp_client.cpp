#include "smtp_server.h"
#include "ui/mail/smtp_client.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
        QTest::addColumn<QString>("error");   // part of the error text

        QTest::newRow("recipient refused") << "refuse" << false << "550";
        QTest::newRow("server never answers") << "silent" << false << "";
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
        Server failing(mode);
        SmtpClient client("127.0.0.1", failing.port, 1);
        try {
            client.send(message(unreadable ? QStringList{blocked} : QStringList{}));
            QFAIL("sent");
        } catch (const MailError& e) {
            QString text = QString::fromLocal8Bit(e.what());
            QVERIFY2(text.contains(error), qPrintable(text));
            if (unreadable)
                QVERIFY(text.contains(blocked));
        }
        if (mode != "silent")
            QCOMPARE(failing.saved().size(), 0);

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
};

QTEST_GUILESS_MAIN(TestSmtpClient)
#include "tst_smtp_client.moc"
