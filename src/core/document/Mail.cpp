#include "Mail.h"
#include "app/Log.h"

#include "ticket/Photos.h"

#include "app/Edition.h"
#include "app/KVError.h"
#include "app/KVGlobal.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QObject>
#include <QProcess>

#include <optional>

const char* const kMailAppProgram = "xdg-email";

namespace {

// Fixed Dutch text in every language and edition, never translated.
const QString kMailAppFailed = QStringLiteral("Outlook kan niet gestart worden!");

bool HasLineBreak(const QString& s)
{
    return s.contains(QLatin1Char('\r')) || s.contains(QLatin1Char('\n')) || s.contains(QChar(0));
}

// The first of the addresses that is not one plain address, or none.
std::optional<QString> NotPlain(const QStringList& addresses)
{
    for (const QString& a : addresses) {
        if (!SmtpClient::IsPlainAddress(a))
            return a;
    }
    return std::nullopt;
}

// The recipients that are set: the office, then the client. Either field may hold a list
// separated by "," or ";"; each of its parts must then be one plain address.
QStringList Recipients(const KVGlobal& g)
{
    static const QRegularExpression separator(QStringLiteral("[,;]"));
    QStringList to;
    for (const QString& field : {g.settings.inst.email, g.bon.email}) {
        for (const QString& part : field.split(separator)) {
            const QString a = part.trimmed();
            if (!a.isEmpty())
                to << a;
        }
    }
    return to;
}

// Refuses a message whose addresses or subject would be more than they seem: a line break
// starts a header, anything but one plain address another address or SMTP parameters.
bool RefuseAddresses(KVGlobal& g, const QStringList& addresses, const QString& subject)
{
    bool lineBreak = HasLineBreak(subject);
    for (const QString& a : addresses)
        lineBreak = lineBreak || HasLineBreak(a);
    if (lineBreak) {
        qCWarning(logMail) << "mail refused: a line break in an address or the subject";
        g.seams.ShowMessage(g.Translate(QString::fromUtf8(SmtpClient::kLineBreakRefused)));
        return true;
    }
    if (const auto bad = NotPlain(addresses)) {
        qCWarning(logMail).noquote() << "mail refused: not one plain address:" << *bad;
        g.seams.ShowMessage(g.Translate(QString::fromUtf8(SmtpClient::kNotAnAddress)) + QLatin1Char(' ') + *bad);
        return true;
    }
    return false;
}

int PhotoCount(const TBon& bon)
{
    return qBound(0, bon.numfoto, int(bon.foto.size()) - 1);
}

// Runs the blocking part with the busy hook on, and always turns it off again.
class BusyScope {
public:
    explicit BusyScope(const BusyFn& busy) : m_busy(busy) { if (m_busy) m_busy(true); }
    ~BusyScope() { if (m_busy) m_busy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    const BusyFn& m_busy;
};

} // namespace

QString PhotoListText(const TBon& bon)
{
    const int n = PhotoCount(bon);
    QString text;
    if (n > 0)
        text = QStringLiteral("Bijgesloten afbeeldingen:\r\n"); // fixed Dutch in every language
    for (int i = 1; i <= n; ++i)
        text += QString::number(i) + QStringLiteral(". ") + bon.foto[i] + QStringLiteral(": ") + bon.desc[i]
            + QStringLiteral("\r\n");
    return text;
}

QString MailSubject(const KVGlobal& g)
{
    return g.jargon.Caption(QStringLiteral("ListBoxItemKolvarn")) + QLatin1Char(' ') + g.bon.bonnr;
}

QString MailBody(const KVGlobal& g)
{
    return g.settings.mailtekst.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n\r\n") + PhotoListText(g.bon);
}

QStringList MailAttachments(const KVGlobal& g, const QString& pdfPath)
{
    QStringList files{pdfPath};
    for (int i = 1; i <= PhotoCount(g.bon); ++i) {
        const QString& name = g.bon.foto[i];
        const QString path = g.DocumentsFolder() + name;
        if (!Photos::IsPlainFileName(name) || !QFileInfo(path).isFile())
            throw KVError(g.Translate(QStringLiteral("Bestand niet gevonden")) + QStringLiteral(": ") + name);
        files << path;
    }
    return files;
}

SmtpServer MailServer(const KVGlobal& g)
{
    const Settings::Mail& m = g.settings.mail;
    SmtpServer s;
    if (!m.smtp.isEmpty() || !m.user.isEmpty() || !m.ww.isEmpty()) {
        s.host = m.smtp;
        s.port = m.port;
        s.user = m.user;
        s.password = m.ww;
    } else {
        s.host = EditionInfo::RelayHost(g.edition);
        s.port = EditionInfo::RelayPort();
        s.user = EditionInfo::RelayUser(g.edition);
        s.password = EditionInfo::RelayPassword(g.edition);
    }
    s.requireTls = m.tlsRequired;
    return s;
}

MailOutcome SBBekijkMailClick(KVGlobal& g, const ExportPdfFn& exportPdf, const BusyFn& busy,
                              const SendProgressFn& progress)
{
    if (g.settings.mail.std)
        return MailViaMailApp(g, exportPdf);
    return MailViaSmtp(g, exportPdf, busy, {}, progress);
}

MailOutcome MailViaMailApp(KVGlobal& g, const ExportPdfFn& exportPdf)
{
    const QString pdf = exportPdf();
    if (!QFileInfo(pdf).isFile())
        return MailOutcome::NoPdf;

    // The desktop mail program gets what the message would hold: both recipients, the subject,
    // the body and the files. An empty recipient cannot be handed on (the program refuses an
    // empty address), so it is left out.
    const QStringList recipients = Recipients(g);
    const QString subject = MailSubject(g);
    if (RefuseAddresses(g, recipients, subject))
        return MailOutcome::Refused;
    QStringList args{QStringLiteral("--utf8")};
    for (const QString& to : recipients)
        args << QStringLiteral("--to") << to;
    // xdg-email turns every line break of the body into CR LF itself, so it gets plain LF.
    QString body = MailBody(g);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    args << QStringLiteral("--subject") << subject << QStringLiteral("--body") << body;
    for (const QString& file : MailAttachments(g, pdf))
        args << QStringLiteral("--attach") << file;

    const int code = g.seams.runMailApp ? g.seams.runMailApp(QString::fromLatin1(kMailAppProgram), args) : -1;
    if (code != 0) {
        qCWarning(logMail) << "the desktop mail program did not start or failed, exit code" << code;
        g.seams.ShowMessage(kMailAppFailed);
        return MailOutcome::MailAppFailed;
    }
    return MailOutcome::MailAppOpened;
}

MailOutcome MailViaSmtp(KVGlobal& g, const ExportPdfFn& exportPdf, const BusyFn& busy, const SmtpTimeouts& timeouts,
                        const SendProgressFn& progress)
{
    // The PDF is written before any check, so it is there even when the mail is refused.
    const QString pdf = exportPdf();

    const QString& reply = g.settings.mail.reply;
    const QString& office = g.settings.inst.email;
    const QString& client = g.bon.email;
    if (reply.isEmpty()) {
        g.seams.ShowMessage(g.Translate(QStringLiteral("Geef geldig email adres als afzender onder Config")));
        return MailOutcome::NoSender;
    }
    if (office.isEmpty() && client.isEmpty()) {
        g.seams.ShowMessage(g.Translate(QStringLiteral("Geen geadresseerden")));
        return MailOutcome::NoAddressees;
    }
    if (!QFileInfo(pdf).isFile())
        return MailOutcome::NoPdf;

    MailMessage m;
    m.from = reply;
    m.replyTo = reply;
    m.recipients = Recipients(g);
    m.to = m.recipients.join(QLatin1Char(','));
    m.subject = MailSubject(g);
    if (HasLineBreak(reply)) {
        g.seams.ShowMessage(g.Translate(QString::fromUtf8(SmtpClient::kLineBreakRefused)));
        return MailOutcome::Refused;
    }
    if (!SmtpClient::IsPlainAddress(reply)) {
        g.seams.ShowMessage(g.Translate(QStringLiteral("Geef geldig email adres als afzender onder Config")));
        return MailOutcome::NoSender;
    }
    if (RefuseAddresses(g, m.recipients, m.subject))
        return MailOutcome::Refused;
    m.body = MailBody(g);
    m.attachments = MailAttachments(g, pdf);
    m.date = g.seams.Now();

    try {
        BusyScope scope(busy);
        SmtpClient client(MailServer(g), timeouts);
        client.SetProgress(progress);
        client.Send(m); // throws with the server's or curl's text
    } catch (const SmtpError& e) {
        qCWarning(logMail).noquote() << "mail of" << g.bon.bonnr << "to" << m.recipients.join(QLatin1Char(','))
                                     << "not sent:" << e.text();
        // Refused on this side before anything was sent: said in the user's language.
        if (e.kind() == SmtpError::Kind::NoStartTls)
            throw KVError(g.Translate(QStringLiteral("De mailserver biedt geen versleutelde verbinding (STARTTLS) aan; "
                                                     "er is niets verstuurd.")));
        if (e.kind() == SmtpError::Kind::Certificate)
            throw KVError(g.Translate(QStringLiteral("Het certificaat van de mailserver wordt niet vertrouwd of hoort niet "
                                                     "bij deze server; er is niets verstuurd.")) +
                          QLatin1Char('\n') + e.text());
        throw;
    }
    qCInfo(logMail).noquote() << "mail of" << g.bon.bonnr << "sent to" << m.recipients.join(QLatin1Char(','));
    g.PlaySound(QStringLiteral("woosh.mp3"));
    g.seams.ShowMessage(g.Translate(QStringLiteral("Mail succesvol verstuurd")));
    return MailOutcome::Sent;
}

int RunDesktopMailApp(const QString& program, const QStringList& args)
{
    auto* p = new QProcess;
    p->setProgram(program);
    p->setArguments(args);
    p->setProcessChannelMode(QProcess::ForwardedChannels);
    p->start();
    if (!p->waitForStarted(5000)) {
        delete p;
        return -1;
    }
    if (p->waitForFinished(10000)) {
        const int code = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
        delete p;
        return code;
    }
    QObject::connect(p, &QProcess::finished, p, &QObject::deleteLater);
    return 0;
}
