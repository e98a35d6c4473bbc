#include "SmtpClient.h"

#include "app/KVError.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>
#include <QUrl>
#include <QUuid>

#include <curl/curl.h>

#include <algorithm>
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

// What the server said, kept so that a refusal can be reported in the server's own words and
// the login chosen from what it offers.
struct Transcript {
    QStringList current;     // the lines of the reply being read
    QString refusal;         // the last whole 4xx or 5xx reply, its lines joined by line breaks
    QStringList offeredAuth; // the login mechanisms of the last EHLO reply
    bool ehloSent = false;   // the next whole reply answers an EHLO
    bool authSent = false;   // an AUTH command went out

    void ReplyLine(const QByteArray& line)
    {
        current << QString::fromUtf8(line);
        if (line.size() >= 4 && line[3] == '-')
            return; // more lines follow
        // Not simply the last reply: after a refusal curl still says QUIT, and hears "221 Bye".
        if (line.startsWith('4') || line.startsWith('5'))
            refusal = current.join(QLatin1Char('\n'));
        if (ehloSent) {
            offeredAuth.clear();
            for (const QString& l : current) {
                const QString keyword = l.mid(4);
                if (keyword.startsWith(QLatin1String("AUTH"), Qt::CaseInsensitive) && keyword.size() > 4
                    && (keyword[4] == QLatin1Char(' ') || keyword[4] == QLatin1Char('=')))
                    offeredAuth += keyword.mid(5).toUpper().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            }
            ehloSent = false;
        }
        current.clear();
    }
};

int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* user)
{
    auto* t = static_cast<Transcript*>(user);
    const QByteArray text(data, qsizetype(size));
    if (type == CURLINFO_HEADER_OUT) {
        t->ehloSent = t->ehloSent || text.startsWith("EHLO ");
        t->authSent = t->authSent || text.startsWith("AUTH ");
    } else if (type == CURLINFO_HEADER_IN) {
        for (const QByteArray& raw : text.split('\n')) {
            const QByteArray line = raw.trimmed();
            if (!line.isEmpty())
                t->ReplyLine(line);
        }
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

bool SmtpClient::IsPlainAddress(const QString& address)
{
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    if (at <= 0 || at != address.lastIndexOf(QLatin1Char('@')) || at == address.size() - 1 || address.size() > 254)
        return false;
    static const QString specials = QStringLiteral("<>()[],;:\"\\");
    for (QChar c : address) {
        const char16_t u = c.unicode();
        if (u < 0x21 || (u >= 0x7F && u < 0xA0) || c.isSpace() || specials.contains(c))
            return false;
    }
    const QString domain = address.mid(at + 1);
    return !domain.startsWith(QLatin1Char('.')) && !domain.endsWith(QLatin1Char('.')) &&
           !domain.contains(QLatin1String(".."));
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

namespace {

enum class Login { Login, Plain, None };

// The upload's progress, handed on in steps of 64 KiB and at the last byte.
// libcurl does not know the size of a MIME message it sends over SMTP, so the total is estimated
// from the parts (base64 in lines of 76 characters), and the last report gives the exact size.
struct ProgressReport {
    const SmtpClient::ProgressFn* report = nullptr;
    qint64 estimate = 0;
    curl_off_t told = -1;
};

qint64 EstimatedSize(const MailMessage& m)
{
    qint64 bytes = 4096 + m.body.toUtf8().size() * 3 / 2; // headers, boundaries, quoted-printable
    for (const QString& path : m.attachments)
        bytes += QFileInfo(path).size() * 4 / 3 * 78 / 76 + 256;
    return bytes;
}

int OnProgress(void* data, curl_off_t, curl_off_t, curl_off_t ultotal, curl_off_t ulnow)
{
    auto* p = static_cast<ProgressReport*>(data);
    if (ulnow != p->told && (ulnow - p->told >= 64 * 1024 || p->told < 0)) {
        p->told = ulnow;
        const qint64 total = ultotal > 0 ? qint64(ultotal) : std::max(p->estimate, qint64(ulnow));
        (*p->report)(qint64(ulnow), total);
    }
    return 0; // never aborts the transfer
}

// One connection: from the greeting to the end of the message or the first refusal.
CURLcode Attempt(const SmtpServer& server, const SmtpTimeouts& timeouts, const MailMessage& m, Login login,
                 Transcript& transcript, QString* curlText, const SmtpClient::ProgressFn& progress)
{
    ProgressReport report{&progress, EstimatedSize(m)};
    QUrl url;
    url.setScheme(QStringLiteral("smtp"));
    url.setHost(server.host);
    if (server.port > 0)
        url.setPort(server.port);
    QString helo = server.heloName.isEmpty() ? QSysInfo::machineHostName() : server.heloName;
    if (helo.isEmpty())
        helo = QStringLiteral("localhost");
    url.setPath(QLatin1Char('/') + helo);
    if (!url.isValid())
        throw KVError(QString::fromUtf8(curl_easy_strerror(CURLE_URL_MALFORMAT)) + QStringLiteral(": ") + server.host);
    const QByteArray urlText = url.toEncoded();

    // Declared before the handle, so the handle (which refers to them) goes first.
    MimePtr mime;
    ListPtr headers, rcpt;
    char errorText[CURL_ERROR_SIZE] = {};

    EasyPtr h(curl_easy_init());
    if (!h)
        throw KVError(QString::fromUtf8(curl_easy_strerror(CURLE_FAILED_INIT)));
    CURL* c = h.get();

    Check(curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText));
    Check(curl_easy_setopt(c, CURLOPT_URL, urlText.constData()));
    Check(curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp"));
    Check(curl_easy_setopt(c, CURLOPT_PROXY, ""));
    Check(curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L));
    Check(curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L));
    Check(curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(timeouts.connectMs)));
    Check(curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(timeouts.responseSec)));
    Check(curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L));
    Check(curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, long(timeouts.stallSec)));
    Check(curl_easy_setopt(c, CURLOPT_TIMEOUT, long(timeouts.totalSec)));
    Check(curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, OnDebug));
    Check(curl_easy_setopt(c, CURLOPT_DEBUGDATA, &transcript));
    Check(curl_easy_setopt(c, CURLOPT_VERBOSE, 1L)); // feeds OnDebug; nothing is printed
    if (progress) {
        Check(curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress));
        Check(curl_easy_setopt(c, CURLOPT_XFERINFODATA, &report));
        Check(curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L));
    }

    // STARTTLS whenever offered. Only a required one is also a proof of the server's identity:
    // an unverified one still keeps the password and the message from the wire.
    const QByteArray ca = QFile::encodeName(server.caFile);
    Check(curl_easy_setopt(c, CURLOPT_USE_SSL, long(server.requireTls ? CURLUSESSL_ALL : CURLUSESSL_TRY)));
    Check(curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, server.requireTls ? 1L : 0L));
    Check(curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, server.requireTls ? 2L : 0L));
    if (server.requireTls && !ca.isEmpty())
        Check(curl_easy_setopt(c, CURLOPT_CAINFO, ca.constData()));

    const QByteArray user = server.user.toUtf8();
    const QByteArray password = server.password.toUtf8();
    if (login != Login::None) {
        Check(curl_easy_setopt(c, CURLOPT_USERNAME, user.constData()));
        Check(curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData()));
        Check(curl_easy_setopt(c, CURLOPT_LOGIN_OPTIONS, login == Login::Login ? "AUTH=LOGIN" : "AUTH=PLAIN"));
    }

    // Envelope.
    const QByteArray mailFrom = '<' + m.from.toUtf8() + '>';
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
    Append(headers, "Subject: " + SmtpClient::EncodeHeaderText(m.subject));
    Append(headers, "Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + '@'
                        + Domain(m.from).toLatin1() + '>');
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
    curl_off_t sent = 0;
    if (progress && result == CURLE_OK && curl_easy_getinfo(c, CURLINFO_SIZE_UPLOAD_T, &sent) == CURLE_OK && sent > 0)
        progress(qint64(sent), qint64(sent));
    h.reset(); // closes the connection before anything is reported
    *curlText = QString::fromUtf8(errorText).trimmed();
    if (curlText->isEmpty())
        *curlText = QString::fromUtf8(curl_easy_strerror(result));
    return result;
}

} // namespace

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
    // Anything but one plain address could carry a second one, or parameters of the command.
    for (const QString& a : QStringList{m.from, m.replyTo} + m.recipients) {
        if (!IsPlainAddress(a))
            throw KVError(QString::fromUtf8(SmtpClient::kNotAnAddress) + QLatin1Char(' ') + a);
    }

    // A server that offers AUTH, but not the mechanism asked for, is left before anything is
    // sent: then the next one it offers is tried, and in the end none.
    Login login = m_server.user.isEmpty() ? Login::None : Login::Login;
    for (;;) {
        Transcript transcript;
        QString curlText;
        const CURLcode result = Attempt(m_server, m_timeouts, m, login, transcript, &curlText, m_progress);
        if (result == CURLE_OK)
            return;
        if (result == CURLE_LOGIN_DENIED && !transcript.authSent && login != Login::None) {
            login = login == Login::Login && transcript.offeredAuth.contains(QLatin1String("PLAIN")) ? Login::Plain
                                                                                                  : Login::None;
            continue;
        }
        QString message = curlText;
        if (!transcript.refusal.isEmpty() && !message.contains(transcript.refusal))
            message += QLatin1Char('\n') + transcript.refusal;
        SmtpError::Kind kind = SmtpError::Kind::Other;
        if (result == CURLE_USE_SSL_FAILED)
            kind = SmtpError::Kind::NoStartTls;
        else if (result == CURLE_PEER_FAILED_VERIFICATION)
            kind = SmtpError::Kind::Certificate;
        throw SmtpError(kind, message);
    }
}

