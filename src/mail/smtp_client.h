#pragma once

#include "mail/mail_message.h"

#include <functional>
#include <stdexcept>

// A sending that failed: the text names the cause, an attachment by its path.
class MailError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One SMTP dialogue per sending over a connection of its own, so a failed one leaves nothing
// for the next: plain port, no authentication, no encryption.
class SmtpClient {
public:
    SmtpClient(QString host, int port, int replyTimeoutSeconds = 60);
    // Called once the connection to the server stands.
    void onConnected(std::function<void()> handler) { m_connected = std::move(handler); }
    // Throws MailError; attachments are checked for reading before anything is sent.
    void send(const MailMessage& message);

private:
    QString m_host;
    int m_port;
    int m_replyTimeout;
    std::function<void()> m_connected;
};

// Whether the system has an interface that is up with a default route out of it.
bool hasInternetRoute();
