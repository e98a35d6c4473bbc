#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

// A plain SMTP submission through libcurl: EHLO, AUTH LOGIN when a user name is given (no AUTH
// at all otherwise), no TLS, one multipart/mixed message. Every send opens its own connection
// and closes it again before Send returns, whether it succeeded or not.

struct SmtpServer {
    QString host;
    int port = 0;       // 0: the SMTP default port (25)
    QString user;       // empty: no authentication
    QString password;
    QString heloName;   // empty: this machine's host name
};

// Bounds on a send, so a dead or stalled server cannot hang the caller.
struct SmtpTimeouts {
    int connectMs = 10000;   // TCP connect
    int responseSec = 30;    // each reply of the server (greeting, EHLO, AUTH, MAIL, RCPT, DATA)
    int stallSec = 30;       // the upload makes no progress (under 1 byte/s) for this long
    int totalSec = 600;      // the whole send
};

struct MailMessage {
    QString from;            // header text as typed; the envelope sender is its address part
    QString replyTo;
    QString to;              // the To header as it is shown
    QStringList recipients;  // envelope recipients (bare addresses)
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

    // Sends the message. Throws KVError carrying libcurl's text and, where the server refused
    // something, the server's own reply line.
    void Send(const MailMessage& message) const;

    // The bare address of "Name <a@b>" or of "a@b".
    static QString AddressPart(const QString& text);
    // The addresses of a comma or semicolon separated list, each reduced to its address part.
    static QStringList SplitAddresses(const QString& list);
    // A header value as it may be written: unchanged when it is printable ASCII, else RFC 2047
    // encoded words in UTF-8.
    static QByteArray EncodeHeaderText(const QString& text);

private:
    SmtpServer m_server;
    SmtpTimeouts m_timeouts;
};
