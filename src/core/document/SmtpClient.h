#pragma once
#include "app/KVError.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <QStringList>

// An SMTP submission through libcurl: EHLO, STARTTLS whenever the server offers it, a login
// when a user name is given, one multipart/mixed message. Every send opens its own connection
// and closes it again before Send returns, whether it succeeded or not.
//
// The login is AUTH LOGIN when the server offers it, else AUTH PLAIN when it offers that, else
// none: the message is then sent without logging in, and a server that wants a login says so.

struct SmtpServer {
    QString host;
    int port = 0;       // 0: the SMTP default port (25)
    QString user;       // empty: no authentication
    QString password;
    QString heloName;   // empty: this machine's host name
    // Off: the session is encrypted whenever the server offers STARTTLS, whatever certificate it
    // shows. On: a server without STARTTLS, or whose certificate is not trusted for its host
    // name, is left before anything (the password above all) is sent.
    bool requireTls = false;
    QString caFile;     // with requireTls: the authorities to trust; empty, the system's
};

// A send that failed. The kinds this side caused for the sake of security get a text of the
// mail code's own; the others carry libcurl's text and the server's reply.
class SmtpError : public KVError {
public:
    enum class Kind { Other, NoStartTls, Certificate };
    SmtpError(Kind kind, const QString& text) : KVError(text), m_kind(kind) {}
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// Bounds on a send, so a dead or stalled server cannot hang the caller.
struct SmtpTimeouts {
    int connectMs = 10000;   // TCP connect
    int responseSec = 30;    // each reply of the server (greeting, EHLO, AUTH, MAIL, RCPT, DATA)
    int stallSec = 30;       // the upload makes no progress (under 1 byte/s) for this long
    int totalSec = 600;      // the whole send
};

struct MailMessage {
    QString from;            // one plain address, sender in the header and the envelope
    QString replyTo;         // one plain address
    QString to;              // the To header as it is shown
    QStringList recipients;  // envelope recipients, each one plain address
    QString subject;
    QString body;            // plain text, lines ended by CR LF
    QStringList attachments; // absolute paths, in order
    QDateTime date;
};

class SmtpClient {
public:
    explicit SmtpClient(SmtpServer server, SmtpTimeouts timeouts = {});

    // The refusal of an address, subject or file name holding a line break (it would inject
    // headers); a Dutch source text for Translate.
    static constexpr const char* kLineBreakRefused =
        "Een adres, het onderwerp of een bestandsnaam bevat een regeleinde; de mail is niet verstuurd";
    // The refusal of an address that is not one plain address; the address follows.
    static constexpr const char* kNotAnAddress = "Geen geldig e-mailadres:";

    // Sends the message. Throws SmtpError carrying libcurl's text and, where the server refused
    // something, the server's own reply; KVError for a message that may not be sent at all.
    void Send(const MailMessage& message) const;
    // Told how many bytes of the message have gone out of about how many, every 64 KiB or so,
    // and the exact size once the server has taken the message; for a progress indicator.
    using ProgressFn = std::function<void(qint64 sent, qint64 total)>;
    void SetProgress(ProgressFn progress) { m_progress = std::move(progress); }

    // One address and nothing else: local part, "@", domain, with no spaces, control characters,
    // angle brackets, quotes, commas or the like, so that it cannot carry a second address, a
    // display name or SMTP parameters. Letters beyond ASCII are allowed.
    static bool IsPlainAddress(const QString& address);
    // A header value as it may be written: unchanged when it is printable ASCII, else RFC 2047
    // encoded words in UTF-8.
    static QByteArray EncodeHeaderText(const QString& text);

private:
    SmtpServer m_server;
    SmtpTimeouts m_timeouts;
    ProgressFn m_progress;
};
