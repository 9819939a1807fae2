#include "mail/mail_settings.h"

#include "data/connection.h"
#include "data/database_error.h"

#include <QEventLoop>
#include <QRegularExpression>

#include <algorithm>
#include <exception>
#include <thread>

namespace {

const QStringList Columns = {"sunucu", "port",         "guvenlik",       "kullanici",
                             "parola", "gonderen_adi", "gonderen_adres", "hatirlatma_metni"};

void bindSettings(Statement& statement, const MailSettings& s) {
    const QVariantList values = {
        s.server.trimmed(), s.port,       MailSecurity::name(s.security), s.user,
        s.password,         s.senderName, s.senderAddress.trimmed(),      s.reminderText};
    for (int i = 0; i < values.size(); ++i)
        statement.bind(i + 1, values[i]);
}

bool hasRow(Connection& connection) {
    Statement count(connection, "SELECT count(*) FROM tb_eposta_ayar");
    count.step();
    return count.integer(0) > 0;
}

} // namespace

SmtpClient MailSettings::client(int replyTimeoutSeconds) const {
    SmtpClient smtp(server.trimmed(), port, replyTimeoutSeconds);
    smtp.setSecurity(security);
    if (!user.isEmpty())
        smtp.setLogin(user, password);
    return smtp;
}

MailMessage MailSettings::message(const QString& to, const QString& subject, const QString& body) const {
    MailMessage m;
    m.envelopeFrom = senderAddress.trimmed();
    m.senderAddress = m.envelopeFrom;
    m.fromName = senderName;
    m.fromAddress = m.envelopeFrom;
    m.envelopeTo = to.trimmed();
    m.toAddress = m.envelopeTo;
    m.subject = subject;
    m.bodyLines = QString(body).remove('\r').split('\n');
    return m;
}

void sendWhileEventsRun(const MailSettings& settings, const MailMessage& message,
                        const std::atomic<bool>* stop) {
    QEventLoop waiting;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            SmtpClient smtp = settings.client();
            smtp.stopWhen(stop);
            smtp.send(message);
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued: the loop may not be running yet, and it quits only on its own thread.
        QMetaObject::invokeMethod(
            &waiting, [&waiting] { waiting.quit(); }, Qt::QueuedConnection);
    });
    waiting.exec();
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

namespace MailSecurity {

const QStringList& names() {
    static const QStringList all = {"Yok", "STARTTLS", "SSL/TLS"};
    return all;
}

QString name(SmtpSecurity security) {
    return names()[int(security)];
}

SmtpSecurity fromName(const QString& name) {
    return SmtpSecurity(std::max(0, int(names().indexOf(name))));
}

} // namespace MailSecurity

MailSettings readMailSettings(Connection& connection) {
    MailSettings s;
    // A database restored from before the settings came may have lost the row: the defaults stand.
    Statement read(
        connection,
        QString("SELECT %1, surum FROM tb_eposta_ayar ORDER BY ayarID LIMIT 1").arg(Columns.join(", ")));
    if (read.step()) {
        s.server = read.text(0);
        if (read.integer(1) > 0)
            s.port = int(read.integer(1));
        s.security = MailSecurity::fromName(read.text(2));
        s.user = read.text(3);
        s.password = read.text(4);
        s.senderName = read.text(5);
        s.senderAddress = read.text(6);
        s.reminderText = read.text(7);
        s.version = int(read.integer(8));
    }
    if (s.reminderText.trimmed().isEmpty())
        s.reminderText = defaultReminderText();
    return s;
}

void writeMailSettings(Connection& connection, const MailSettings& settings) {
    Statement update(connection, QString("UPDATE tb_eposta_ayar SET %1 = ?, surum = surum + 1 WHERE ayarID = "
                                         "(SELECT min(ayarID) FROM tb_eposta_ayar) AND surum = ?")
                                     .arg(Columns.join(" = ?, ")));
    bindSettings(update, settings);
    update.bind(9, settings.version);
    update.execute();
    if (update.changedRows() == 1)
        return;
    if (hasRow(connection))
        throw DatabaseError(RowChangedElsewhereText);
    Statement insert(
        connection,
        QString("INSERT INTO tb_eposta_ayar (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?)").arg(Columns.join(", ")));
    bindSettings(insert, settings);
    insert.execute();
}

QString mailSettingsProblem(const MailSettings& settings) {
    if (settings.port < 1 || settings.port > 65535)
        return "\nPort 1 ile 65535 arasında bir sayı olmalıdır.";
    if (!settings.senderAddress.trimmed().isEmpty() && !settings.senderAddress.contains('@'))
        return "\nGönderen adresi geçerli bir e-posta adresi olmalıdır (örneğin okul@ornek.com).";
    return {};
}

QString defaultReminderText() {
    return "Sayın {adi} {soyadi},\n\n"
           "{vade} vadeli taksitinizden başlayarak {tutar} TL tutarında ödemeniz gecikmiştir. Toplam kalan "
           "borcunuz {toplam} TL'dir.\n\n"
           "Ödemenizi en kısa zamanda yapmanızı rica ederiz. Ödemenizi yaptıysanız bu iletiyi dikkate "
           "almayınız.\n\n"
           "Saygılarımızla,\n{firma}\nTel: {telefon}";
}

QString fillReminder(const QString& text, const QMap<QString, QString>& values) {
    static const QRegularExpression placeholder("\\{(\\w+)\\}");
    QString filled;
    qsizetype from = 0;
    // One pass over the text: a value that itself holds a brace is never read as a placeholder.
    for (const QRegularExpressionMatch& m : placeholder.globalMatch(text)) {
        filled += text.mid(from, m.capturedStart() - from);
        const auto value = values.constFind(m.captured(1));
        filled += value != values.constEnd() ? *value : m.captured(0);
        from = m.capturedEnd();
    }
    return filled + text.mid(from);
}
