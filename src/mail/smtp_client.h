#pragma once

#include "mail/mail_message.h"

#include <atomic>
#include <functional>
#include <stdexcept>

// A sending that failed: the text names the cause, an attachment by its path.
class MailError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A sending the caller stopped before the server took the message.
class MailStopped : public MailError {
public:
    MailStopped() : MailError("Gönderim durduruldu.") {}
};

// How the connection to the server is protected: not at all, upgraded after the greeting, or TLS
// from the first byte (the "smtps" port).
enum class SmtpSecurity { None, StartTls, Tls };

// One SMTP dialogue per sending over a connection of its own, so a failed one leaves nothing
// for the next. Plain, unauthenticated SMTP unless told otherwise; an encrypted connection checks
// the server's certificate against the system's authorities.
class SmtpClient {
public:
    SmtpClient(QString host, int port, int replyTimeoutSeconds = 60);
    void setSecurity(SmtpSecurity security) { m_security = security; }
    // Signs in with these before sending; an empty user name sends without signing in.
    void setLogin(QString user, QString password);
    // The sending ends with MailStopped soon after `stop` turns true, also while it waits for a
    // server that does not answer. The flag may be set from another thread.
    void stopWhen(const std::atomic<bool>* stop) { m_stop = stop; }
    // Called once the connection to the server stands.
    void onConnected(std::function<void()> handler) { m_connected = std::move(handler); }
    // Throws MailError; attachments are checked for reading before anything is sent.
    void send(const MailMessage& message);

private:
    QString m_host;
    int m_port;
    int m_replyTimeout;
    SmtpSecurity m_security = SmtpSecurity::None;
    QString m_user;
    QString m_password;
    const std::atomic<bool>* m_stop = nullptr;
    std::function<void()> m_connected;
};

// Whether the system has an interface that is up with a default route out of it.
bool hasInternetRoute();
