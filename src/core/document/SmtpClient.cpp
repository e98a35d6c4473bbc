#include "SmtpClient.h"

#include "app/KVError.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>
#include <QUrl>
#include <QUuid>

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace {

struct EasyDeleter { void operator()(CURL* h) const { curl_easy_cleanup(h); } };
struct MimeDeleter { void operator()(curl_mime* m) const { curl_mime_free(m); } };
struct ListDeleter { void operator()(curl_slist* l) const { curl_slist_free_all(l); } };
using EasyPtr = std::unique_ptr<CURL, EasyDeleter>;
using MimePtr = std::unique_ptr<curl_mime, MimeDeleter>;
using ListPtr = std::unique_ptr<curl_slist, ListDeleter>;

void GlobalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void Append(ListPtr& list, const QByteArray& line)
{
    curl_slist* grown = curl_slist_append(list.get(), line.constData());
    if (!grown)
        throw KVError(QString::fromUtf8(curl_easy_strerror(CURLE_OUT_OF_MEMORY)));
    list.release();
    list.reset(grown);
}

// What the server said last; kept so that a refusal can be reported in the server's words.
struct Transcript {
    QByteArray lastReply;
};

int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* user)
{
    if (type == CURLINFO_HEADER_IN) {
        const QByteArray line = QByteArray(data, qsizetype(size)).trimmed();
        if (!line.isEmpty())
            static_cast<Transcript*>(user)->lastReply = line;
    }
    return 0;
}

bool HasLineBreak(const QString& s)
{
    return s.contains(QLatin1Char('\r')) || s.contains(QLatin1Char('\n')) || s.contains(QChar(0));
}

void Check(CURLcode code)
{
    if (code != CURLE_OK)
        throw KVError(QString::fromUtf8(curl_easy_strerror(code)));
}

QString Domain(const QString& address)
{
    const qsizetype at = address.lastIndexOf(QLatin1Char('@'));
    const QString d = at >= 0 ? address.mid(at + 1) : QString();
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9.-]+$"));
    return plain.match(d).hasMatch() ? d : QStringLiteral("localhost");
}

} // namespace

SmtpClient::SmtpClient(SmtpServer server, SmtpTimeouts timeouts)
    : m_server(std::move(server)), m_timeouts(timeouts)
{
}

QString SmtpClient::AddressPart(const QString& text)
{
    const qsizetype open = text.lastIndexOf(QLatin1Char('<'));
    const qsizetype close = text.lastIndexOf(QLatin1Char('>'));
    if (open >= 0 && close > open)
        return text.mid(open + 1, close - open - 1).trimmed();
    return text.trimmed();
}

QStringList SmtpClient::SplitAddresses(const QString& list)
{
    static const QRegularExpression separators(QStringLiteral("[,;]"));
    QStringList out;
    for (const QString& piece : list.split(separators)) {
        const QString a = AddressPart(piece);
        if (!a.isEmpty())
            out << a;
    }
    return out;
}

QByteArray SmtpClient::EncodeHeaderText(const QString& text)
{
    bool plain = true;
    for (QChar c : text)
        plain = plain && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    if (plain)
        return text.toLatin1();

    // Encoded words of at most 45 bytes of UTF-8 each (60 base64 characters), never splitting
    // a character, separated by spaces, which a reader drops between encoded words.
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    qsizetype start = 0;
    while (start < utf8.size()) {
        qsizetype end = qMin(start + 45, utf8.size());
        while (end < utf8.size() && end > start && (uchar(utf8[end]) & 0xC0) == 0x80)
            --end;
        if (!out.isEmpty())
            out += ' ';
        out += "=?UTF-8?B?" + utf8.mid(start, end - start).toBase64() + "?=";
        start = end;
    }
    return out;
}

void SmtpClient::Send(const MailMessage& m) const
{
    GlobalInit();

    // A line break in a header value would start a header of its own.
    bool unsafe = HasLineBreak(m.from) || HasLineBreak(m.replyTo) || HasLineBreak(m.to) || HasLineBreak(m.subject);
    for (const QString& r : m.recipients)
        unsafe = unsafe || HasLineBreak(r);
    for (const QString& path : m.attachments)
        unsafe = unsafe || HasLineBreak(QFileInfo(path).fileName());
    if (unsafe)
        throw KVError(QString::fromUtf8(SmtpClient::kLineBreakRefused));

    QUrl url;
    url.setScheme(QStringLiteral("smtp"));
    url.setHost(m_server.host);
    if (m_server.port > 0)
        url.setPort(m_server.port);
    QString helo = m_server.heloName.isEmpty() ? QSysInfo::machineHostName() : m_server.heloName;
    if (helo.isEmpty())
        helo = QStringLiteral("localhost");
    url.setPath(QLatin1Char('/') + helo);
    if (!url.isValid())
        throw KVError(QString::fromUtf8(curl_easy_strerror(CURLE_URL_MALFORMAT)) + QStringLiteral(": ") + m_server.host);
    const QByteArray urlText = url.toEncoded();

    // Declared before the handle, so the handle (which refers to them) goes first.
    MimePtr mime;
    ListPtr headers, rcpt;
    Transcript transcript;
    char errorText[CURL_ERROR_SIZE] = {};

    EasyPtr h(curl_easy_init());
    if (!h)
        throw KVError(QString::fromUtf8(curl_easy_strerror(CURLE_FAILED_INIT)));
    CURL* c = h.get();

    Check(curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText));
    Check(curl_easy_setopt(c, CURLOPT_URL, urlText.constData()));
    Check(curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp"));
    Check(curl_easy_setopt(c, CURLOPT_USE_SSL, long(CURLUSESSL_NONE)));
    Check(curl_easy_setopt(c, CURLOPT_PROXY, ""));
    Check(curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L));
    Check(curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L));
    Check(curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(m_timeouts.connectMs)));
    Check(curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(m_timeouts.responseSec)));
    Check(curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L));
    Check(curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, long(m_timeouts.stallSec)));
    Check(curl_easy_setopt(c, CURLOPT_TIMEOUT, long(m_timeouts.totalSec)));
    Check(curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, OnDebug));
    Check(curl_easy_setopt(c, CURLOPT_DEBUGDATA, &transcript));
    Check(curl_easy_setopt(c, CURLOPT_VERBOSE, 1L)); // feeds OnDebug; nothing is printed

    const QByteArray user = m_server.user.toUtf8();
    const QByteArray password = m_server.password.toUtf8();
    if (!m_server.user.isEmpty()) {
        Check(curl_easy_setopt(c, CURLOPT_USERNAME, user.constData()));
        Check(curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData()));
        Check(curl_easy_setopt(c, CURLOPT_LOGIN_OPTIONS, "AUTH=LOGIN"));
    }

    // Envelope.
    const QByteArray mailFrom = '<' + AddressPart(m.from).toUtf8() + '>';
    Check(curl_easy_setopt(c, CURLOPT_MAIL_FROM, mailFrom.constData()));
    for (const QString& r : m.recipients)
        Append(rcpt, '<' + r.toUtf8() + '>');
    Check(curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt.get()));

    // Message headers; curl adds MIME-Version and the multipart/mixed Content-Type.
    const QDateTime date = m.date.isValid() ? m.date : QDateTime::currentDateTime();
    Append(headers, "Date: " + date.toString(Qt::RFC2822Date).toLatin1());
    Append(headers, "From: " + m.from.toUtf8());
    Append(headers, "Reply-To: " + m.replyTo.toUtf8());
    Append(headers, "To: " + m.to.toUtf8());
    Append(headers, "Subject: " + EncodeHeaderText(m.subject));
    Append(headers, "Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + '@'
                        + Domain(AddressPart(m.from)).toLatin1() + '>');
    Check(curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get()));

    // Body: the text first, then each file.
    mime.reset(curl_mime_init(c));
    if (!mime)
        throw KVError(QString::fromUtf8(curl_easy_strerror(CURLE_OUT_OF_MEMORY)));
    const QByteArray body = m.body.toUtf8();
    curl_mimepart* text = curl_mime_addpart(mime.get());
    Check(curl_mime_data(text, body.constData(), size_t(body.size())));
    Check(curl_mime_type(text, "text/plain; charset=utf-8"));
    Check(curl_mime_encoder(text, "quoted-printable"));
    for (const QString& path : m.attachments) {
        curl_mimepart* part = curl_mime_addpart(mime.get());
        if (curl_mime_filedata(part, QFile::encodeName(path).constData()) != CURLE_OK)
            throw KVError(QString::fromUtf8(curl_easy_strerror(CURLE_READ_ERROR)) + QStringLiteral(": ") + path);
        // Only the file's name travels, never the folder it lies in.
        Check(curl_mime_filename(part, QFileInfo(path).fileName().toUtf8().constData()));
        Check(curl_mime_encoder(part, "base64"));
    }
    Check(curl_easy_setopt(c, CURLOPT_MIMEPOST, mime.get()));

    const CURLcode result = curl_easy_perform(c);
    h.reset(); // closes the connection before anything is reported
    if (result != CURLE_OK) {
        QString message = QString::fromUtf8(errorText).trimmed();
        if (message.isEmpty())
            message = QString::fromUtf8(curl_easy_strerror(result));
        const QString reply = QString::fromUtf8(transcript.lastReply);
        if (!reply.isEmpty() && (reply.startsWith(QLatin1Char('4')) || reply.startsWith(QLatin1Char('5')))
            && !message.contains(reply))
            message += QLatin1Char('\n') + reply;
        throw KVError(message);
    }
}
