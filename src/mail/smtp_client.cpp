#include "mail/smtp_client.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <curl/curl.h>

#include <memory>

namespace {

struct EasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct MimeDeleter {
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using List = std::unique_ptr<curl_slist, ListDeleter>;

void append(List& list, const QByteArray& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.constData());
    if (!grown)
        throw MailError("Bellek yetersiz.");
    list.release();
    list.reset(grown);
}

int connected(void* client, char*, char*, int, int) {
    auto* handler = static_cast<std::function<void()>*>(client);
    if (*handler)
        (*handler)();
    return CURL_PREREQFUNC_OK;
}

int stopRequested(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* flag = static_cast<const std::atomic<bool>*>(stop);
    return flag && flag->load() ? 1 : 0;
}

// What the dialogue with the server left to explain a failure: the first reply that refused
// something and the command it answered. The QUIT that ends every dialogue comes after it.
struct Dialogue {
    QByteArray lastCommand;
    QByteArray refusedCommand;
    QByteArray refusal;
};

QByteArray firstLine(const char* data, size_t size) {
    QByteArray text(data, qsizetype(size));
    return text.left(text.indexOf('\n')).trimmed();
}

int traceDialogue(CURL*, curl_infotype type, char* data, size_t size, void* dialogue) {
    auto* seen = static_cast<Dialogue*>(dialogue);
    if (type == CURLINFO_HEADER_OUT) {
        seen->lastCommand = firstLine(data, size).split(' ').value(0).toUpper();
    } else if (type == CURLINFO_HEADER_IN && seen->refusal.isEmpty()) {
        const QByteArray reply = firstLine(data, size);
        if (reply.startsWith('4') || reply.startsWith('5')) {
            seen->refusal = reply;
            seen->refusedCommand = seen->lastCommand;
        }
    }
    return 0;
}

// What happened and what to do, in words the user can act on; the library's text and the
// server's refusal follow for whoever looks into it.
QString failureText(CURLcode result, const Dialogue& dialogue, const QString& libraryText,
                    const QString& server) {
    QString what;
    if (result == CURLE_LOGIN_DENIED || dialogue.refusedCommand == "AUTH")
        what = "Posta sunucusu kullanıcı adını ya da parolayı kabul etmedi. E-posta ayarlarını denetleyip "
               "yeniden deneyin.";
    else if (result == CURLE_USE_SSL_FAILED)
        what =
            QString("Posta sunucusu (%1) şifreli bağlantıyı (STARTTLS) desteklemiyor. E-posta ayarlarındaki "
                    "güvenlik seçimini denetleyin.")
                .arg(server);
    else if (result == CURLE_SSL_CONNECT_ERROR || result == CURLE_PEER_FAILED_VERIFICATION)
        what = QString("Posta sunucusuyla (%1) güvenli bağlantı kurulamadı. E-posta ayarlarındaki güvenlik "
                       "seçimini ve portu denetleyin.")
                   .arg(server);
    else if (dialogue.refusedCommand == "RCPT")
        what = "Posta sunucusu alıcı adresini kabul etmedi. Adresi denetleyip yeniden deneyin.";
    else if (dialogue.refusedCommand == "MAIL")
        what =
            "Posta sunucusu gönderen adresini kabul etmedi. E-posta adresinizi denetleyip yeniden deneyin.";
    else if (!dialogue.refusal.isEmpty())
        what = "Posta sunucusu iletiyi kabul etmedi. Biraz sonra yeniden deneyin.";
    else if (result == CURLE_OPERATION_TIMEDOUT)
        what =
            QString("Posta sunucusu (%1) zamanında yanıt vermedi. Biraz sonra yeniden deneyin.").arg(server);
    else if (result == CURLE_COULDNT_CONNECT || result == CURLE_COULDNT_RESOLVE_HOST)
        what = QString("Posta sunucusuna (%1) ulaşılamadı. İnternet bağlantınızı denetleyip yeniden deneyin.")
                   .arg(server);
    else
        what = QString("Posta sunucusuyla (%1) bağlantı kesildi; ileti gönderilemedi. Yeniden deneyin.")
                   .arg(server);
    QString text = what + "\n(" + libraryText + ")";
    if (!dialogue.refusal.isEmpty())
        text += "\nSunucunun yanıtı: " + QString::fromUtf8(dialogue.refusal);
    return text;
}

// A file we cannot open would break the message off in the middle of its data.
void checkReadable(const QStringList& paths) {
    for (const QString& path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw MailError(QString("Dosya okunamıyor: %1").arg(path).toLocal8Bit().toStdString());
    }
}

} // namespace

SmtpClient::SmtpClient(QString host, int port, int replyTimeoutSeconds)
    : m_host(std::move(host)), m_port(port), m_replyTimeout(replyTimeoutSeconds) {}

void SmtpClient::setLogin(QString user, QString password) {
    m_user = std::move(user);
    m_password = std::move(password);
}

void SmtpClient::send(const MailMessage& message) {
    checkReadable(message.attachments);
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (initialised != CURLE_OK)
        throw MailError(curl_easy_strerror(initialised));

    std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!curl)
        throw MailError("Posta istemcisi başlatılamadı.");
    CURL* c = curl.get();
    QByteArray url = QString("%1://%2:%3")
                         .arg(m_security == SmtpSecurity::Tls ? "smtps" : "smtp", m_host)
                         .arg(m_port)
                         .toUtf8();
    QByteArray from = '<' + message.envelopeFrom.toUtf8() + '>';
    List recipients;
    append(recipients, '<' + message.envelopeTo.toUtf8() + '>');
    List headers;
    QByteArray id = QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + '@' +
                    message.senderAddress.section('@', 1).toLatin1();
    for (const QByteArray& line : MailText::headerLines(message, QDateTime::currentDateTime(), id))
        append(headers, line);

    std::unique_ptr<curl_mime, MimeDeleter> mime(curl_mime_init(c));
    curl_mimepart* text = curl_mime_addpart(mime.get());
    QByteArray body = MailText::body(message.bodyLines);
    curl_mime_data(text, body.constData(), size_t(body.size()));
    curl_mime_type(text, "text/plain; charset=UTF-8");
    curl_mime_encoder(text, "quoted-printable");
    // The part lists are owned by their parts once handed over.
    for (const QString& path : message.attachments) {
        curl_mimepart* part = curl_mime_addpart(mime.get());
        // Read from the disk while sending, so a large file is never held in memory.
        curl_mime_filedata(part, QFile::encodeName(path).constData());
        curl_mime_filename(part, nullptr);
        curl_mime_type(part, "application/octet-stream");
        curl_mime_encoder(part, "base64");
        List partHeaders;
        append(partHeaders, MailText::attachmentDisposition(QFileInfo(path).fileName()));
        curl_mime_headers(part, partHeaders.release(), 1);
    }

    char error[CURL_ERROR_SIZE] = {};
    Dialogue dialogue;
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(c, CURLOPT_MIMEPOST, mime.get());
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(m_replyTimeout));
    curl_easy_setopt(c, CURLOPT_USE_SSL,
                     long(m_security == SmtpSecurity::StartTls ? CURLUSESSL_ALL : CURLUSESSL_NONE));
    const QByteArray user = m_user.toUtf8();
    const QByteArray password = m_password.toUtf8();
    if (!m_user.isEmpty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData());
    }
    // Called about once a second even while the server keeps silent.
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &stopRequested);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, m_stop);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(c, CURLOPT_PREREQFUNCTION, &connected);
    curl_easy_setopt(c, CURLOPT_PREREQDATA, &m_connected);
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, &traceDialogue);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &dialogue);
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    CURLcode result = curl_easy_perform(c);
    if (result == CURLE_ABORTED_BY_CALLBACK)
        throw MailStopped();
    if (result != CURLE_OK)
        throw MailError(failureText(result, dialogue,
                                    QString::fromUtf8(error[0] ? error : curl_easy_strerror(result)),
                                    QString("%1:%2").arg(m_host).arg(m_port))
                            .toLocal8Bit()
                            .toStdString());
}

// A default route (destination 0) on an interface flagged up (RTF_UP) means a way out.
bool hasInternetRoute() {
    QFile routes("/proc/net/route");
    if (!routes.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    routes.readLine();
    while (!routes.atEnd()) {
        QList<QByteArray> fields = routes.readLine().simplified().split(' ');
        if (fields.size() >= 4 && fields[1] == "00000000" && (fields[3].toUInt(nullptr, 16) & 0x1))
            return true;
    }
    return false;
}
