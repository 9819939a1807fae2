#include "cashdesk/frm_eposta_hatirlatma.h"
#include "cashdesk/mail_reminders.h"
#include "data/connection.h"
#include "data/database_error.h"
#include "data/schema.h"
#include "program_fixture.h"
#include "smtp_server.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <optional>

// The school's mail settings on both backends, the reminder text, and reminders sent through a real
// SMTP server on 127.0.0.1 and recorded in tb_hatirlatma.
namespace {

QStringList rowsOf(Connection& c, const QString& sql) {
    Statement s(c, sql);
    QStringList rows;
    while (s.step()) {
        QStringList cells;
        for (int i = 0; i < s.columnCount(); ++i)
            cells << s.text(i);
        rows << cells.join('|');
    }
    return rows;
}

ReminderTarget target(qint64 kID, const QString& adi, const QString& eposta) {
    return {kID, adi, "Yılmaz", "05321112233", eposta, QDate(2024, 3, 5), 1250.5, 3400};
}

MailSettings settingsFor(int port) {
    MailSettings s;
    s.server = "127.0.0.1";
    s.port = port;
    s.security = SmtpSecurity::None;
    s.senderName = "Güneş Sürücü Kursu";
    s.senderAddress = "kurs@gunes.example";
    s.reminderText = "Sayın {adi}, {tutar} TL";
    return s;
}

// The attempts recorded, as "kID|address|result".
QStringList attempts(Connection& c) {
    return rowsOf(c,
                  "SELECT kID, adres, sonuc FROM tb_hatirlatma WHERE tur = 'E-posta' ORDER BY hatirlatmaID");
}

} // namespace

class TestReminders : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }

    // A new database and one upgraded from the version before hold the same one row; what is saved
    // reads back as typed, and a desk saving over settings another desk saved meanwhile is refused.
    void settingsAreKeptInTheDatabase_data() {
        QTest::addColumn<bool>("upgraded");
        QTest::newRow("new database") << false;
        QTest::newRow("upgraded from version 5") << true;
    }
    void settingsAreKeptInTheDatabase() {
        QFETCH(bool, upgraded);
        TempDatabase db;
        if (upgraded) {
            Connection old;
            db.open(old);
            setBackToVersion(old, 5);
            for (const char* sql : {"DROP INDEX ix_makbuz_kid", "ALTER TABLE tb_makbuz DROP COLUMN adisoyadi",
                                    "ALTER TABLE tb_makbuz DROP COLUMN adayno"})
                old.execute(sql);
        }
        Connection c;
        db.open(c);
        QCOMPARE(rowsOf(c, c.isServer() ? "SELECT surum FROM kalvista_surum" : "PRAGMA user_version"),
                 QStringList{QString::number(Schema::Version)});
        if (c.isServer())
            QCOMPARE(rowsOf(c, "SELECT count(*) FROM pg_trigger WHERE tgname = 'tb_eposta_ayar_bildir'"),
                     QStringList{"1"});
        MailSettings s = readMailSettings(c);
        QVERIFY(!s.canSend() && s.port == 587 && s.security == SmtpSecurity::StartTls);
        QCOMPARE(s.reminderText, defaultReminderText());

        s = settingsFor(465);
        s.security = SmtpSecurity::Tls;
        s.user = "kurs";
        s.password = "p'a\"ş ";
        s.reminderText = QString("Sayın {adi},\n") + QString(3000, u'ş');
        writeMailSettings(c, s);
        const MailSettings back = readMailSettings(c);
        const auto fields = [](const MailSettings& m) {
            return QStringList{m.server, m.user, m.password, m.senderName, m.senderAddress, m.reminderText}
                   << QString::number(m.port) << MailSecurity::name(m.security);
        };
        QCOMPARE(fields(back), fields(s));
        s.server = "eski.example";
        QVERIFY_THROWS_EXCEPTION(DatabaseError, writeMailSettings(c, s));
        QCOMPARE(rowsOf(c, "SELECT sunucu FROM tb_eposta_ayar"), QStringList{"127.0.0.1"});
    }

    void fillReminder_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("filled");
        QTest::newRow("no placeholder") << "Lütfen ödeyiniz."
                                        << "Lütfen ödeyiniz.";
        QTest::newRow("unknown left as typed") << "{Adi} {ad} {} {adi"
                                               << "{Adi} {ad} {} {adi";
        QTest::newRow("all placeholders")
            << "{adi} {soyadi}|{firma} {telefon}|{vade}|{tutar}|{toplam}"
            << "Ayşe Yılmaz|Güneş {adi} Kursu 0212 555 00 00|05.03.2024|1.250,50|3.400,00";
        QTest::newRow("twice and side by side") << "{adi}{adi} {{adi}}"
                                                << "AyşeAyşe {Ayşe}";
    }
    // A value is put in as it is, never read again for placeholders (the firm's name holds one).
    void fillReminder() {
        QFETCH(QString, text);
        QFETCH(QString, filled);
        QCOMPARE(reminderFor(text, target(1, "Ayşe", ""), {"Güneş {adi} Kursu", "0212 555 00 00"}), filled);
    }

    // Each trainee with an address gets one mail; each attempt is recorded, "Gönderildi" only for a
    // mail the server took.
    void remindersAreSentAndRecorded_data() {
        QTest::addColumn<QString>("mode"); // of smtp_sink.py; "none" for a server that is down
        QTest::addColumn<QString>("security");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QStringList>("results"); // what each of the two addresses' attempts says
        QTest::addColumn<QString>("closing");
        const QString sent = ReminderSent;
        const QString login = "Posta sunucusu kullanıcı adını ya da parolayı kabul etmedi.";
        const QString down = "Posta sunucusuna (127.0.0.1:1) ulaşılamadı.";
        const QString secure = "güvenli bağlantı kurulamadı";
        // An encrypted connection that a plain server cannot give is never taken for a plain one.
        const QString noStartTls = "şifreli bağlantıyı (STARTTLS) desteklemiyor";
        const auto row = [](const char* name, const char* mode, const char* security, const char* password,
                            const QStringList& results, const char* closing) {
            QTest::newRow(name) << mode << security << password << results
                                << QString(closing) + " e-posta gönderildi, 1 kursiyerin adresi yok, ";
        };
        row("one without address", "save", "Yok", "", {sent, sent}, "2");
        row("one recipient refused", "refuse-some", "Yok", "",
            {sent, "Posta sunucusu alıcı adresini kabul etmedi."}, "1");
        row("server down", "none", "Yok", "", {down, down}, "0");
        row("signed in", "login", "Yok", "gizli", {sent, sent}, "2");
        row("wrong password", "login", "Yok", "yanlis", {login, login}, "0");
        row("STARTTLS not offered", "save", "STARTTLS", "", {noStartTls, noStartTls}, "0");
        row("SSL/TLS to a plain server", "save", "SSL/TLS", "", {secure, secure}, "0");
    }
    void remindersAreSentAndRecorded() {
        QFETCH(QString, mode);
        QFETCH(QString, security);
        QFETCH(QString, password);
        QFETCH(QStringList, results);
        QFETCH(QString, closing);
        std::optional<Server> server;
        if (mode != "none")
            server.emplace(mode);
        MailSettings settings = settingsFor(server ? server->port : 1);
        settings.security = MailSecurity::fromName(security);
        settings.user = password.isEmpty() ? "" : "okul";
        settings.password = password;
        TempDatabase db;
        Connection c;
        db.open(c);
        const std::vector<ReminderTarget> targets = {target(1, "Ali", "ali@ornek.example"),
                                                     target(2, "Can", " "),
                                                     target(3, "Veli", "yok.veli@ornek.example")};
        const ReminderCount count = sendReminders(c, settings, {"Güneş", "0212"}, targets,
                                                  [&](const MailMessage& m) { settings.client(2).send(m); });
        const int took = int(results.filter(ReminderSent).size());
        QCOMPARE(closingLine(count), closing + QString("%1 gönderilemedi.").arg(2 - took));
        const QStringList seen = attempts(c);
        QCOMPARE(seen.size(), 2);
        QVERIFY2(seen[0].startsWith("1|ali@ornek.example|") && seen[0].contains(results[0]),
                 qPrintable(seen[0]));
        QVERIFY2(seen[1].startsWith("3|yok.veli@ornek.example|") && seen[1].contains(results[1]),
                 qPrintable(seen[1]));
        QCOMPARE(server ? int(server->saved().size()) : 0, took);
        if (took > 0)
            QVERIFY(server->read(1).contains("body: Sayın Ali, 1.250,50 TL"));
    }

    // Without a mail server nothing is tried. "Durdur" ends a sending that waits on a server that
    // never answers, long before the reply time-out, while the window's events go on; the trainees
    // after it are not tried.
    void durdurStopsAHangingServer() {
        Server silent("silent");
        ProgramFixture p;
        const std::vector<ReminderTarget> targets = {target(1, "Ali", "ali@ornek.example"),
                                                     target(3, "Veli", "veli@ornek.example")};
        remindByMail(p.forms(), &p.main(), targets);
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].caption, QString("Uyarı"));
        QVERIFY(p.boxes().seen[0].text.contains("\"E-posta\" sekmesinde"));

        p.data().ado_conn.execute(QString("UPDATE tb_eposta_ayar SET sunucu = '127.0.0.1', port = %1, "
                                          "guvenlik = 'Yok', gonderen_adres = 'kurs@gunes.example'")
                                      .arg(silent.port));
        p.boxes().onDialog([](QWidget* progress) {
            QTest::qWait(300);
            for (auto* button : progress->findChildren<QPushButton*>())
                if (button->text() == "Durdur")
                    button->click();
        });
        QElapsedTimer clock;
        clock.start();
        remindByMail(p.forms(), &p.main(), targets);
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(p.boxes().seen.size(), 2);
        QCOMPARE(
            p.boxes().seen[1].text,
            QString("Gönderim durduruldu.\n0 e-posta gönderildi, 0 kursiyerin adresi yok, 1 gönderilemedi."));
        QCOMPARE(attempts(p.data().ado_conn), QStringList{"1|ali@ornek.example|Gönderim durduruldu."});
    }

    // The "E-posta" tab of "Ayarlar": a port out of range or a sender without "@" is refused and
    // nothing is saved; settings as typed send the test mail to the sender, saved or not.
    void mailTab_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("box"); // caption|text start
        QTest::addColumn<QString>("stored");
        const auto row = [](const char* name, const char* port, const char* sender, const char* button,
                            const char* box, const char* stored = "|587|kurs@gunes.example") {
            QTest::newRow(name) << port << sender << button << box << stored;
        };
        const char* range = "Uyarı|\nPort 1 ile 65535";
        row("port zero", "0", "kurs@gunes.example", "EpostaKaydet", range);
        row("port too big", "65536", "kurs@gunes.example", "EpostaKaydet", range);
        row("port not a number", "25a", "kurs@gunes.example", "DenemeButton", range);
        row("sender without @", "SERVER", "kurs.gunes.example", "EpostaKaydet", "Uyarı|\nGönderen adresi");
        row("saved", "SERVER", "okul@gunes.example", "EpostaKaydet", "",
            "127.0.0.1|SERVER|okul@gunes.example");
        row("test mail", "SERVER", "okul@gunes.example", "DenemeButton",
            "E-posta|\nDeneme e-postası okul@gunes.example adresine gönderildi.");
    }
    void mailTab() {
        QFETCH(QString, port);
        QFETCH(QString, sender);
        QFETCH(QString, button);
        QFETCH(QString, box);
        QFETCH(QString, stored);
        Server server("save");
        port.replace("SERVER", QString::number(server.port));
        stored.replace("SERVER", QString::number(server.port));
        ProgramFixture p([](Connection& c) {
            c.execute("UPDATE tb_eposta_ayar SET gonderen_adres = 'kurs@gunes.example'");
        });
        p.boxes().onDialog([&](QWidget* dialog) {
            dialog->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(3);
            dialog->findChild<QLineEdit*>("SmtpSunucu")->setText("127.0.0.1");
            dialog->findChild<QLineEdit*>("SmtpPort")->setText(port);
            dialog->findChild<QComboBox*>("SmtpGuvenlik")->setCurrentText("Yok");
            dialog->findChild<QLineEdit*>("GonderenAdres")->setText(sender);
            dialog->findChild<QPushButton*>(button)->click();
            QCOMPARE(dialog->findChild<QLineEdit*>("SmtpParola")->echoMode(), QLineEdit::Password);
        });
        p.press("Btn2");
        QStringList seen;
        for (const auto& b : p.boxes().seen)
            seen << b.caption + "|" + b.text;
        QCOMPARE(seen.size(), box.isEmpty() ? 0 : 1);
        QVERIFY2(box.isEmpty() || seen[0].startsWith(box), qPrintable(seen.join(' ')));
        QCOMPARE(rowsOf(p.data().ado_conn, "SELECT sunucu, port, gonderen_adres FROM tb_eposta_ayar"),
                 QStringList{stored});
        QCOMPARE(server.saved().size(), box.startsWith("E-posta") ? 1 : 0);
        if (!server.saved().isEmpty())
            QVERIFY(server.read(1).contains("envelope-to: okul@gunes.example"));
    }
};

QTEST_MAIN(TestReminders)
#include "tst_reminders.moc"
