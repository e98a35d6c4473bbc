#include "document/Mail.h"

#include "TestSupport.h"
#include "app/Edition.h"
#include "app/KVError.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const QString kSenderMsg = QStringLiteral("Geef geldig email adres als afzender onder Config");
const QString kNoAddresseesMsg = QStringLiteral("Geen geadresseerden");
const QString kSentMsg = QStringLiteral("Mail succesvol verstuurd");
const QString kMailAppMsg = QStringLiteral("Outlook kan niet gestart worden!");

// A port on 127.0.0.1 that nothing listens on.
int DeadPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

QString Sha256(const QByteArray& data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

// A TestApp with a ticket of its own number (unique per process, so parallel tests can find
// their own message in the shared spool) and a stand-in for the PDF export.
class MailTest : public ::testing::Test {
public:
    explicit MailTest(Edition edition = Edition::Dutch) : app(edition, false), g(*app.g)
    {
        static int serial = 0;
        g.bon.bonnr = QStringLiteral("1-%1%2").arg(QCoreApplication::applicationPid()).arg(++serial);
        g.bon.email = QStringLiteral("klant@example.com");
        g.settings.inst.email = QStringLiteral("kantoor@example.nl");
        g.settings.mail.reply = QStringLiteral("monteur@example.nl");
        g.settings.mailtekst = QStringList{QStringLiteral("Geachte klant,"), QStringLiteral("Met vriendelijke groet")};
    }

    QString PdfName() const { return EditionInfo::PdfFileWord(g.edition) + g.bon.bonnr + QStringLiteral(".pdf"); }
    QByteArray PdfContent() const { return "%PDF-1.4\n% " + g.bon.bonnr.toUtf8() + "\n%%EOF\n"; }
    ExportPdfFn Export()
    {
        return [this] {
            app.docs.WriteFile(PdfName(), PdfContent());
            return app.docs.file(PdfName());
        };
    }
    // An export that writes nothing where it says.
    ExportPdfFn ExportNothing() { return [this] { return app.docs.file(PdfName()); }; }

    void AddPhoto(const QString& name, const QString& desc, const QByteArray& content)
    {
        const int i = ++g.bon.numfoto;
        g.bon.foto[i] = name;
        g.bon.desc[i] = desc;
        app.docs.WriteFile(name, content);
    }

    void UseOwnServer(const QString& user = {}, const QString& password = {})
    {
        g.settings.mail.std = false;
        g.settings.mail.smtp = RequiredEnv("KV_TEST_SMTP_HOST");
        g.settings.mail.port = RequiredEnv("KV_TEST_SMTP_PORT").toInt();
        g.settings.mail.user = user;
        g.settings.mail.ww = password;
    }
    // An own server where nobody answers: any attempt to send fails loudly.
    void UseDeadServer()
    {
        g.settings.mail.std = false;
        g.settings.mail.smtp = QStringLiteral("127.0.0.1");
        g.settings.mail.port = DeadPort();
    }

    // The messages of the capture server's spool whose subject ends with this ticket's number.
    QList<QJsonObject> Spooled() const
    {
        QList<QJsonObject> found;
        const QDir spool(RequiredEnv("KV_TEST_SMTP_SPOOL"));
        for (const QString& f : spool.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
            QFile file(spool.filePath(f));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
            if (o.value("subject_decoded").toString().endsWith(QLatin1Char(' ') + g.bon.bonnr))
                found << o;
        }
        return found;
    }
    QJsonObject OnlySpooled() const
    {
        const QList<QJsonObject> all = Spooled();
        EXPECT_EQ(all.size(), 1) << "messages in the spool for " << g.bon.bonnr.toStdString();
        return all.value(0);
    }

    static QStringList Headers(const QJsonObject& msg, const QString& name)
    {
        QStringList values;
        for (const QJsonValue& h : msg.value("headers").toArray())
            if (h.toArray().at(0).toString().compare(name, Qt::CaseInsensitive) == 0)
                values << h.toArray().at(1).toString();
        return values;
    }
    static QStringList Strings(const QJsonValue& v)
    {
        QStringList out;
        for (const QJsonValue& e : v.toArray())
            out << e.toString();
        return out;
    }

    TestApp app;
    KVGlobal& g;
};

} // namespace

// ---- message content ----

TEST(PhotoListText, NoneTwoAndTooMany)
{
    TBon bon;
    EXPECT_EQ(PhotoListText(bon), QString());

    bon.numfoto = 2;
    bon.foto[1] = "foto-1-20200001-134530.jpg";
    bon.desc[1] = "Voor";
    bon.foto[2] = "foto-1-20200001-134612.jpg";
    bon.desc[2] = "Ná";
    EXPECT_EQ(PhotoListText(bon), QStringLiteral("Bijgesloten afbeeldingen:\r\n"
                                                 "1. foto-1-20200001-134530.jpg: Voor\r\n"
                                                 "2. foto-1-20200001-134612.jpg: Ná\r\n"));

    // A count beyond the four slots (a damaged or foreign record) lists the four there are.
    bon.numfoto = 9;
    EXPECT_EQ(PhotoListText(bon).count(QStringLiteral("\r\n")), 5);
}

TEST_F(MailTest, BodyWithoutPhotosIsTextAndTwoLineBreaks)
{
    EXPECT_EQ(MailBody(g), QStringLiteral("Geachte klant,\r\nMet vriendelijke groet\r\n\r\n"));
    EXPECT_EQ(MailSubject(g), QStringLiteral("Kolvarn ") + g.bon.bonnr);
}

// The whole message as the server received it: envelope, headers, parts, encodings, names.
TEST_F(MailTest, SmtpMessageAsReceived)
{
    UseOwnServer(RequiredEnv("KV_TEST_SMTP_USER"), RequiredEnv("KV_TEST_SMTP_PASSWORD"));
    g.jargon.SetCaption(QStringLiteral("ListBoxItemKolvarn"), QStringLiteral("Werkbön"));
    g.settings.mailtekst = QStringList{
        QStringLiteral("Geachte heer Müller,"),
        QStringLiteral("."), // a lone dot would end the SMTP data if it were not escaped
        QStringLiteral("Kosten € 12,50 — ") + QString(120, QLatin1Char('x')), // longer than a QP line
        QStringLiteral("=3D stays =3D"),
    };
    QByteArray jpeg1, jpeg2;
    for (int i = 0; i < 3000; ++i) {
        jpeg1 += char(i % 256);
        jpeg2 += char((i * 7) % 256);
    }
    AddPhoto(QStringLiteral("foto-a.jpg"), QStringLiteral("Voor"), jpeg1);
    AddPhoto(QStringLiteral("foto-b.jpg"), QStringLiteral("Na"), jpeg2);
    QList<bool> busy;

    EXPECT_EQ(SBBekijkMailClick(g, Export(), [&](bool b) { busy << b; }), MailOutcome::Sent);
    EXPECT_EQ(app.rec.messages, QStringList{kSentMsg});
    EXPECT_EQ(app.rec.sounds, QStringList{QStringLiteral("woosh.mp3")});
    EXPECT_EQ(busy, (QList<bool>{true, false}));

    const QJsonObject msg = OnlySpooled();
    EXPECT_EQ(msg.value("port").toInt(), g.settings.mail.port);
    EXPECT_EQ(msg.value("auth_user").toString(), RequiredEnv("KV_TEST_SMTP_USER"));
    EXPECT_EQ(msg.value("auth_mechanism").toString(), "LOGIN");
    EXPECT_TRUE(msg.value("esmtp").toBool()) << "greeted with HELO, not EHLO";
    EXPECT_FALSE(msg.value("ehlo").toString().isEmpty());
    EXPECT_EQ(msg.value("mail_from").toString(), "monteur@example.nl");
    EXPECT_EQ(Strings(msg.value("rcpt_tos")), (QStringList{"kantoor@example.nl", "klant@example.com"}));
    EXPECT_EQ(Headers(msg, "From"), QStringList{"monteur@example.nl"});
    EXPECT_EQ(Headers(msg, "Reply-To"), QStringList{"monteur@example.nl"});
    EXPECT_EQ(Headers(msg, "To"), QStringList{"kantoor@example.nl,klant@example.com"});
    EXPECT_TRUE(Headers(msg, "Cc").isEmpty());
    EXPECT_EQ(Headers(msg, "Date").size(), 1);
    EXPECT_EQ(msg.value("subject_decoded").toString(), QStringLiteral("Werkbön ") + g.bon.bonnr);
    EXPECT_EQ(msg.value("content_type").toString(), "multipart/mixed");

    const QJsonArray parts = msg.value("parts").toArray();
    ASSERT_EQ(parts.size(), 4);
    const QJsonObject text = parts[0].toObject();
    EXPECT_EQ(text.value("content_type").toString(), "text/plain");
    EXPECT_EQ(text.value("encoding").toString(), "quoted-printable");
    EXPECT_TRUE(text.value("filename").isNull());
    EXPECT_EQ(text.value("text").toString(), MailBody(g));
    EXPECT_TRUE(MailBody(g).endsWith(QStringLiteral("\r\n\r\nBijgesloten afbeeldingen:\r\n1. foto-a.jpg: Voor\r\n2. foto-b.jpg: Na\r\n")));

    const struct { QString type, name; QByteArray content; } files[] = {
        {"application/pdf", PdfName(), PdfContent()},
        {"image/jpeg", "foto-a.jpg", jpeg1},
        {"image/jpeg", "foto-b.jpg", jpeg2},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(files[i].name.toStdString());
        const QJsonObject p = parts[i + 1].toObject();
        EXPECT_EQ(p.value("content_type").toString(), files[i].type);
        EXPECT_EQ(p.value("encoding").toString(), "base64");
        EXPECT_EQ(p.value("filename").toString(), files[i].name);
        EXPECT_EQ(p.value("sha256").toString(), Sha256(files[i].content));
    }
}

// A mail with a large attachment reports the bytes sent as it goes, the last report at the end.
TEST_F(MailTest, LargeAttachmentsReportTheBytesSent)
{
    QByteArray photo(600 * 1024, Qt::Uninitialized);
    for (int i = 0; i < photo.size(); ++i)
        photo[i] = char(quint64(i) * 7919 % 251);
    AddPhoto(QStringLiteral("foto-groot.jpg"), QStringLiteral("Groot"), photo);
    UseOwnServer();
    QList<std::pair<qint64, qint64>> reports;
    ASSERT_EQ(MailViaSmtp(g, Export(), {}, {}, [&](qint64 sent, qint64 total) { reports.append({sent, total}); }),
              MailOutcome::Sent);
    ASSERT_GE(reports.size(), 3);
    for (int i = 1; i < reports.size(); ++i)
        EXPECT_GT(reports[i].first, reports[i - 1].first);
    EXPECT_GT(reports.last().first, 800 * 1024); // base64 of the photo and the PDF
    EXPECT_EQ(reports.last().first, reports.last().second);
}

// ---- own server or relay, and the To header ----

struct ServerCase {
    const char* name;
    Edition edition;
    bool smtp, user, ww;          // which of MAIL/smtp, user, ww are set
    const char* office;
    const char* client;
    bool relay;
    const char* to;
};

void PrintTo(const ServerCase& c, std::ostream* os) { *os << c.name; }

class ServerChoice : public ::testing::TestWithParam<ServerCase> {};

TEST_P(ServerChoice, SendsWhereTheSettingsSay)
{
    const ServerCase& c = GetParam();
    struct Fixture : MailTest {
        explicit Fixture(Edition e) : MailTest(e) {}
        void TestBody() override {}
    } t(c.edition);
    KVGlobal& g = t.g;
    t.UseOwnServer(c.user ? RequiredEnv("KV_TEST_SMTP_USER") : QString(),
                   c.ww ? RequiredEnv("KV_TEST_SMTP_PASSWORD") : QString());
    if (!c.smtp)
        g.settings.mail.smtp.clear();
    g.settings.inst.email = QString::fromUtf8(c.office);
    g.bon.email = QString::fromUtf8(c.client);

    ASSERT_EQ(MailViaSmtp(g, t.Export()), MailOutcome::Sent);
    const QJsonObject msg = t.OnlySpooled();
    if (c.relay) {
        EXPECT_EQ(msg.value("port").toInt(), EditionInfo::RelayPort());
        EXPECT_EQ(msg.value("port").toInt(), RequiredEnv("KV_TEST_RELAY_PORT").toInt());
        EXPECT_EQ(msg.value("auth_user").toString(), EditionInfo::RelayUser(c.edition));
        EXPECT_EQ(msg.value("auth_mechanism").toString(), "LOGIN");
    } else {
        EXPECT_EQ(msg.value("port").toInt(), RequiredEnv("KV_TEST_SMTP_PORT").toInt());
        if (c.user)
            EXPECT_EQ(msg.value("auth_user").toString(), RequiredEnv("KV_TEST_SMTP_USER"));
        else
            EXPECT_TRUE(msg.value("auth_user").isNull()) << "logged in without a user name";
    }
    // The sender is the user's own address, also on the relay's account.
    EXPECT_EQ(msg.value("mail_from").toString(), "monteur@example.nl");
    EXPECT_EQ(MailTest::Headers(msg, "From"), QStringList{"monteur@example.nl"});
    EXPECT_EQ(MailTest::Headers(msg, "To"), QStringList{QString::fromUtf8(c.to)});
    EXPECT_EQ(MailTest::Headers(msg, "Subject"), QStringList{QStringLiteral("Kolvarn ") + g.bon.bonnr});
    EXPECT_EQ(MailTest::Strings(msg.value("rcpt_tos")), QString::fromUtf8(c.to).split(','));
}

INSTANTIATE_TEST_SUITE_P(Mail, ServerChoice, ::testing::Values(
    ServerCase{"OwnServerNoLogin", Edition::Dutch, true, false, false, "", "klant@example.com", false, "klant@example.com"},
    ServerCase{"OwnServerLogin", Edition::Dutch, true, true, true, "kantoor@example.nl", "klant@example.com", false,
               "kantoor@example.nl,klant@example.com"},
    ServerCase{"RelayDutch", Edition::Dutch, false, false, false, "kantoor@example.nl", "", true, "kantoor@example.nl"},
    ServerCase{"RelayEnglish", Edition::English, false, false, false, "kantoor@example.nl", "klant@example.com", true,
               "kantoor@example.nl,klant@example.com"},
    // An office field may hold a list; each of its addresses is a recipient of its own.
    ServerCase{"OfficeList", Edition::Dutch, true, false, false, "kantoor@example.nl; chef@example.nl ,", "klant@example.com",
               false, "kantoor@example.nl,chef@example.nl,klant@example.com"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- login and STARTTLS ----

// LOGIN when the server offers it, else PLAIN when it offers that, else no login at all; and
// STARTTLS whenever it is offered.
TEST_F(MailTest, LogsInAsTheServerAllowsAndEncryptsWhenItCan)
{
    const struct {
        const char* name;
        const char* portVariable;
        bool tls;
        const char* mechanism; // null: sent without logging in
    } cases[] = {
        {"login offered", "KV_TEST_SMTP_PORT", false, "LOGIN"},
        {"only plain offered", "KV_TEST_SMTP_PLAIN_PORT", false, "PLAIN"},
        {"neither offered", "KV_TEST_SMTP_FOREIGN_AUTH_PORT", false, nullptr},
        {"starttls offered", "KV_TEST_SMTP_STARTTLS_PORT", true, "LOGIN"},
    };
    const QString bonnr = g.bon.bonnr;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g.bon.bonnr = bonnr + QLatin1Char('-') + QString::number(&c - cases);
        UseOwnServer(RequiredEnv("KV_TEST_SMTP_USER"), RequiredEnv("KV_TEST_SMTP_PASSWORD"));
        g.settings.mail.port = RequiredEnv(c.portVariable).toInt();
        EXPECT_EQ(MailViaSmtp(g, Export()), MailOutcome::Sent);
        const QJsonObject msg = OnlySpooled();
        EXPECT_EQ(msg.value("port").toInt(), g.settings.mail.port);
        EXPECT_EQ(msg.value("tls").toBool(), c.tls);
        if (c.mechanism) {
            EXPECT_EQ(msg.value("auth_mechanism").toString(), c.mechanism);
            EXPECT_EQ(msg.value("auth_user").toString(), RequiredEnv("KV_TEST_SMTP_USER"));
        } else {
            EXPECT_TRUE(msg.value("auth_user").isNull());
        }
    }
}

// With STARTTLS required, a server without it, or with a certificate nobody vouches for, is
// left before the password is sent; the login of a user of this test's own shows whether it was.
TEST_F(MailTest, RequiredStartTlsIsMetBeforeThePasswordGoes)
{
    const QString probe = QStringLiteral("probe-") + g.bon.bonnr;
    auto triedToLogIn = [&] {
        QFile f(RequiredEnv("KV_TEST_SMTP_SPOOL") + QStringLiteral("/auth.jsonl"));
        return f.open(QIODevice::ReadOnly) && f.readAll().contains(probe.toUtf8());
    };
    const QString noStartTls =
        QStringLiteral("De mailserver biedt geen versleutelde verbinding (STARTTLS) aan; er is niets verstuurd.");
    const QString untrusted = QStringLiteral("Het certificaat van de mailserver wordt niet vertrouwd of hoort niet bij "
                                             "deze server; er is niets verstuurd.");
    const struct {
        const char* portVariable;
        QString message;
    } cases[] = {{"KV_TEST_SMTP_PORT", noStartTls}, {"KV_TEST_SMTP_STARTTLS_PORT", untrusted}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.portVariable);
        UseOwnServer(probe, QStringLiteral("wrong"));
        g.settings.mail.port = RequiredEnv(c.portVariable).toInt();
        g.settings.mail.tlsRequired = true;
        try {
            MailViaSmtp(g, Export());
            ADD_FAILURE() << "sent without the TLS the settings require";
        } catch (const KVError& e) {
            EXPECT_TRUE(e.text().startsWith(c.message)) << e.text().toStdString();
        }
        EXPECT_TRUE(app.rec.messages.isEmpty());
        EXPECT_FALSE(triedToLogIn());
    }
    EXPECT_TRUE(Spooled().isEmpty());

    // The same login without the requirement reaches the server (and is refused there).
    g.settings.mail.tlsRequired = false;
    g.settings.mail.port = RequiredEnv("KV_TEST_SMTP_PORT").toInt();
    EXPECT_THROW(MailViaSmtp(g, Export()), KVError);
    EXPECT_TRUE(triedToLogIn());
}

TEST_F(MailTest, RequiredStartTlsSendsToAServerTheAuthorityVouchesFor)
{
    SmtpServer server;
    server.host = RequiredEnv("KV_TEST_SMTP_HOST");
    server.port = RequiredEnv("KV_TEST_SMTP_STARTTLS_PORT").toInt();
    server.user = RequiredEnv("KV_TEST_SMTP_USER");
    server.password = RequiredEnv("KV_TEST_SMTP_PASSWORD");
    server.requireTls = true;
    MailMessage m;
    m.from = m.replyTo = QStringLiteral("monteur@example.nl");
    m.to = QStringLiteral("klant@example.com");
    m.recipients = QStringList{m.to};
    m.subject = MailSubject(g);
    m.body = MailBody(g);

    server.caFile = RequiredEnv("KV_TEST_TLS_OTHER_CA");
    try {
        SmtpClient(server).Send(m);
        ADD_FAILURE() << "sent to a server of another authority";
    } catch (const SmtpError& e) {
        EXPECT_EQ(e.kind(), SmtpError::Kind::Certificate) << e.text().toStdString();
    }
    EXPECT_TRUE(Spooled().isEmpty());

    server.caFile = RequiredEnv("KV_TEST_TLS_CA");
    SmtpClient(server).Send(m);
    const QJsonObject msg = OnlySpooled();
    EXPECT_TRUE(msg.value("tls").toBool());
    EXPECT_EQ(msg.value("auth_mechanism").toString(), "LOGIN");
}

// ---- failures of the connection ----

// The server's own words, all its lines, not only the library's summary.
TEST_F(MailTest, ARefusalShowsTheServersReply)
{
    const struct {
        const char* sender;
        const char* client;
        QStringList reply;
    } cases[] = {
        {"monteur@example.nl", "refused@example.com",
         {"550-5.1.1 The mailbox refused@example.com does not exist here.", "550 5.1.1 Please check the address and try again."}},
        {"refused@example.nl", "klant@example.com", {"554 5.7.1 This message was refused by the test server."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.client);
        UseOwnServer();
        g.settings.mail.reply = QString::fromLatin1(c.sender);
        g.settings.inst.email.clear();
        g.bon.email = QString::fromLatin1(c.client);
        try {
            MailViaSmtp(g, Export());
            ADD_FAILURE() << "a refusal was reported as success";
        } catch (const KVError& e) {
            EXPECT_TRUE(e.text().contains(c.reply.join('\n'))) << e.text().toStdString();
        }
        EXPECT_TRUE(app.rec.messages.isEmpty());
        EXPECT_TRUE(app.rec.sounds.isEmpty());
    }
    EXPECT_TRUE(Spooled().isEmpty());
}

TEST_F(MailTest, RefusedLoginShowsTheErrorAndNoSuccess)
{
    UseOwnServer(RequiredEnv("KV_TEST_SMTP_USER"), QStringLiteral("wrong"));
    QList<bool> busy;
    try {
        MailViaSmtp(g, Export(), [&](bool b) { busy << b; });
        ADD_FAILURE() << "a refused login was reported as success";
    } catch (const KVError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("535"))) << e.text().toStdString();
    }
    EXPECT_TRUE(app.rec.messages.isEmpty());
    EXPECT_TRUE(app.rec.sounds.isEmpty());
    EXPECT_EQ(busy, (QList<bool>{true, false}));
    EXPECT_TRUE(Spooled().isEmpty());
}

TEST_F(MailTest, DeadPortFailsFastWithCurlsText)
{
    UseDeadServer();
    QElapsedTimer clock;
    clock.start();
    try {
        MailViaSmtp(g, Export());
        ADD_FAILURE() << "no server, yet no error";
    } catch (const KVError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("Couldn't connect to server"))) << e.text().toStdString();
    }
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_TRUE(app.rec.messages.isEmpty());
    EXPECT_TRUE(app.rec.sounds.isEmpty());
    EXPECT_TRUE(QFile::exists(app.docs.file(PdfName())));
}

// A server that accepts the connection and then says nothing is given up after the response
// time-out instead of hanging the program.
TEST_F(MailTest, SilentServerTimesOut)
{
    QTcpServer silent; // the kernel completes the handshake; nobody ever greets
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    g.settings.mail.std = false;
    g.settings.mail.smtp = QStringLiteral("127.0.0.1");
    g.settings.mail.port = silent.serverPort();
    SmtpTimeouts t;
    t.responseSec = 1;
    t.totalSec = 5;
    QElapsedTimer clock;
    clock.start();
    try {
        MailViaSmtp(g, Export(), {}, t);
        ADD_FAILURE() << "a server that never answered was reported as success";
    } catch (const KVError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("timeout"))) << e.text().toStdString();
    }
    EXPECT_LT(clock.elapsed(), 4000);
    EXPECT_TRUE(app.rec.messages.isEmpty());
}

// ---- the checks before sending, in their order ----
// Every case points at a dead server, so reaching the send would throw.

struct CheckCase {
    const char* name;
    const char* reply;
    const char* office;
    const char* client;
    bool pdfWritten;
    const char* bonnrSuffix;
    MailOutcome outcome;
    const char* message; // empty: silent
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class CheckOrder : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckOrder, StopsAtTheFirstFailingCheck)
{
    const CheckCase& c = GetParam();
    struct Fixture : MailTest { void TestBody() override {} } t;
    KVGlobal& g = t.g;
    t.UseDeadServer();
    g.settings.mail.reply = QString::fromUtf8(c.reply);
    g.settings.inst.email = QString::fromUtf8(c.office);
    g.bon.email = QString::fromUtf8(c.client);
    g.bon.bonnr += QString::fromUtf8(c.bonnrSuffix);
    const QString pdf = t.app.docs.file(t.PdfName());

    EXPECT_EQ(MailViaSmtp(g, c.pdfWritten ? t.Export() : t.ExportNothing()), c.outcome);
    EXPECT_EQ(t.app.rec.messages, c.message[0] ? QStringList{QString::fromUtf8(c.message)} : QStringList());
    EXPECT_TRUE(t.app.rec.sounds.isEmpty());
    EXPECT_EQ(QFile::exists(pdf), c.pdfWritten);
}

INSTANTIATE_TEST_SUITE_P(Mail, CheckOrder, ::testing::Values(
    // The sender message alone, and the PDF has been written all the same.
    CheckCase{"NoSenderNoAddressees", "", "", "", true, "", MailOutcome::NoSender,
              "Geef geldig email adres als afzender onder Config"},
    CheckCase{"NoSender", "", "kantoor@example.nl", "klant@example.com", true, "", MailOutcome::NoSender,
              "Geef geldig email adres als afzender onder Config"},
    CheckCase{"NoAddressees", "monteur@example.nl", "", "", true, "", MailOutcome::NoAddressees, "Geen geadresseerden"},
    // The recipient checks come before the PDF check.
    CheckCase{"NoAddresseesNoPdf", "monteur@example.nl", "", "", false, "", MailOutcome::NoAddressees,
              "Geen geadresseerden"},
    CheckCase{"NoPdf", "monteur@example.nl", "kantoor@example.nl", "", false, "", MailOutcome::NoPdf, ""},
    // Anything but one plain address could smuggle in parameters or further recipients.
    CheckCase{"ParametersInClient", "monteur@example.nl", "", "a@b.c> NOTIFY=NEVER, <d@e.f", true, "",
              MailOutcome::Refused, "Geen geldig e-mailadres: a@b.c> NOTIFY=NEVER"},
    CheckCase{"DisplayNameInOffice", "monteur@example.nl", "Kantoor <kantoor@example.nl>", "klant@example.com", true, "",
              MailOutcome::Refused, "Geen geldig e-mailadres: Kantoor <kantoor@example.nl>"},
    CheckCase{"HostilePartOfAList", "monteur@example.nl", "a@example.nl, b@example.nl> NOTIFY=NEVER", "", true, "",
              MailOutcome::Refused, "Geen geldig e-mailadres: b@example.nl> NOTIFY=NEVER"},
    CheckCase{"ParametersInSender", "monteur@example.nl> SIZE=1", "kantoor@example.nl", "", true, "", MailOutcome::NoSender,
              "Geef geldig email adres als afzender onder Config"},
    // A line break in an address or the subject would add headers of its own choosing.
    CheckCase{"LineBreakInClient", "monteur@example.nl", "", "klant@example.com\r\nBcc: x@example.org", true, "",
              MailOutcome::Refused, SmtpClient::kLineBreakRefused},
    CheckCase{"LineBreakInSender", "monteur@example.nl\nBcc: x@example.org", "kantoor@example.nl", "", true, "",
              MailOutcome::Refused, SmtpClient::kLineBreakRefused},
    CheckCase{"LineBreakInSubject", "monteur@example.nl", "kantoor@example.nl", "", true, "\r\nBcc: x@example.org",
              MailOutcome::Refused, SmtpClient::kLineBreakRefused}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MailTest, UnreadablePhotoEndsTheActionBeforeSending)
{
    // Missing; in a sub-folder; reached through "..". The last two exist, but not as plain
    // names in the documents folder (a photo name can come from another unit).
    QDir().mkpath(app.docs.file("sub"));
    app.docs.WriteFile("sub/foto.jpg", "jpeg");
    app.docs.WriteFile("secret.txt", "secret");
    const QString viaParent = QStringLiteral("../") + QDir(app.docs.path()).dirName() + QStringLiteral("/secret.txt");
    ASSERT_TRUE(QFile::exists(app.docs.file(viaParent)));
    for (const QString& name : {QStringLiteral("foto-weg.jpg"), QStringLiteral("sub/foto.jpg"), viaParent}) {
        SCOPED_TRACE(name.toStdString());
        app.rec.mailAppCalls.clear();
        g.bon.numfoto = 1;
        g.bon.foto[1] = name;
        g.settings.mail.std = true;
        EXPECT_THROW(SBBekijkMailClick(g, Export()), KVError);
        EXPECT_TRUE(app.rec.mailAppCalls.isEmpty());
        UseDeadServer(); // reaching the connection would throw a different error
        try {
            SBBekijkMailClick(g, Export());
            ADD_FAILURE();
        } catch (const KVError& e) {
            EXPECT_TRUE(e.text().startsWith(QStringLiteral("Bestand niet gevonden"))) << e.text().toStdString();
        }
    }
}

// ---- the mail-app path ----

TEST_F(MailTest, StandardMailAppWinsOverSmtpSettings)
{
    UseOwnServer(RequiredEnv("KV_TEST_SMTP_USER"), RequiredEnv("KV_TEST_SMTP_PASSWORD"));
    g.settings.mail.std = true;
    EXPECT_EQ(SBBekijkMailClick(g, Export()), MailOutcome::MailAppOpened);
    EXPECT_EQ(app.rec.mailAppCalls.size(), 1);
    EXPECT_TRUE(app.rec.messages.isEmpty());
    EXPECT_TRUE(app.rec.sounds.isEmpty());
    EXPECT_TRUE(Spooled().isEmpty());
}

TEST_F(MailTest, MailAppArgumentList)
{
    AddPhoto(QStringLiteral("foto-a.jpg"), QStringLiteral("Voor"), "jpeg");
    const QString body = QStringLiteral("Geachte klant,\nMet vriendelijke groet\n\nBijgesloten afbeeldingen:\n1. foto-a.jpg: Voor\n");
    const QStringList tail{"--subject", QStringLiteral("Kolvarn ") + g.bon.bonnr, "--body", body,
                           "--attach", app.docs.file(PdfName()), "--attach", app.docs.file("foto-a.jpg")};
    const struct { const char* office; const char* client; QStringList to; } cases[] = {
        {"kantoor@example.nl", "klant@example.com", {"--to", "kantoor@example.nl", "--to", "klant@example.com"}},
        {"", "klant@example.com", {"--to", "klant@example.com"}},
        {"kantoor@example.nl; chef@example.nl", "", {"--to", "kantoor@example.nl", "--to", "chef@example.nl"}},
        {"", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.office);
        app.rec.mailAppCalls.clear();
        g.settings.inst.email = QString::fromUtf8(c.office);
        g.bon.email = QString::fromUtf8(c.client);
        EXPECT_EQ(MailViaMailApp(g, Export()), MailOutcome::MailAppOpened);
        ASSERT_EQ(app.rec.mailAppCalls.size(), 1);
        EXPECT_EQ(app.rec.mailAppCalls[0].program, "xdg-email");
        EXPECT_EQ(app.rec.mailAppCalls[0].args, QStringList{"--utf8"} + c.to + tail);
        EXPECT_TRUE(app.rec.messages.isEmpty());
        EXPECT_TRUE(app.rec.sounds.isEmpty());
    }
}

// The desktop mail program is handed nothing the SMTP path would refuse.
TEST_F(MailTest, MailAppRefusesWhatSmtpRefuses)
{
    const QString notAnAddress = QStringLiteral("Geen geldig e-mailadres: ");
    const QString lineBreak = QString::fromUtf8(SmtpClient::kLineBreakRefused);
    const struct {
        QString office, client, subjectTail, message;
    } cases[] = {
        {"", "a@b.c> NOTIFY=NEVER, <d@e.f", "", notAnAddress + "a@b.c> NOTIFY=NEVER"},
        {"--attach=/etc/passwd", "klant@example.com", "", notAnAddress + "--attach=/etc/passwd"},
        {"kantoor@example.nl", "klant@example.com\r\nBcc: x@example.org", "", lineBreak},
        {"kantoor@example.nl", "", "\n", lineBreak},
        {QStringLiteral("kantoor@example.nl") + QChar(0), "", "", lineBreak},
    };
    const QString bonnr = g.bon.bonnr;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.client.toStdString());
        app.rec.messages.clear();
        g.settings.inst.email = c.office;
        g.bon.email = c.client;
        g.bon.bonnr = bonnr + c.subjectTail;
        EXPECT_EQ(MailViaMailApp(g, Export()), MailOutcome::Refused);
        EXPECT_EQ(app.rec.messages, QStringList{c.message});
        EXPECT_TRUE(app.rec.mailAppCalls.isEmpty());
    }
}

TEST(SmtpClient, PlainAddresses)
{
    for (const char* good : {"a@b.c", "klant@example.com", "o'brien@example.ie", "a+tag@example.nl", "j\xC3\xBCrgen@m\xC3\xBCller.de"})
        EXPECT_TRUE(SmtpClient::IsPlainAddress(QString::fromUtf8(good))) << good;
    for (const char* bad : {"", "a", "@b.c", "a@", "a@@b.c", "a@b@c", "a b@c.d", "<a@b.c>", "a@b.c>", "Name <a@b.c>",
                            "a@b.c,d@e.f", "a@b.c;d@e.f", "a@b.c NOTIFY=NEVER", "a@b.c\r\n", "a@b.c\t", "a@.b",
                            "a@b.", "a@b..c", "\"a\"@b.c", "a(b)@c.d", "a@[127.0.0.1]", "a\\b@c.d"})
        EXPECT_FALSE(SmtpClient::IsPlainAddress(QString::fromUtf8(bad))) << bad;
    EXPECT_FALSE(SmtpClient::IsPlainAddress(QStringLiteral("a@b.c") + QChar(0)));
    EXPECT_FALSE(SmtpClient::IsPlainAddress(QStringLiteral("a\u00A0b@c.d")));     // a space of another kind
    EXPECT_FALSE(SmtpClient::IsPlainAddress(QStringLiteral("a@b.c\u2028")));      // a line separator
}

TEST_F(MailTest, MailAppThatCannotStart)
{
    for (int code : {-1, 3}) {
        app.rec.messages.clear();
        app.rec.mailAppResult = code;
        EXPECT_EQ(MailViaMailApp(g, Export()), MailOutcome::MailAppFailed);
        EXPECT_EQ(app.rec.messages, QStringList{kMailAppMsg});
    }
    // No PDF: nothing is started and nothing is said.
    app.rec.mailAppCalls.clear();
    app.rec.messages.clear();
    QFile::remove(app.docs.file(PdfName()));
    EXPECT_EQ(MailViaMailApp(g, ExportNothing()), MailOutcome::NoPdf);
    EXPECT_TRUE(app.rec.mailAppCalls.isEmpty());
    EXPECT_TRUE(app.rec.messages.isEmpty());
}

// The real desktop hand-over: xdg-email with a stand-in mail program (MAILER) that records the
// mailto address it is given. Nothing passes through a shell of ours: quotes, "$(...)" and
// non-ASCII text arrive as typed.
TEST_F(MailTest, XdgEmailHandsEverythingToTheMailProgram)
{
    const QString record = app.docs.file("mailto.txt");
    const QString canary = app.docs.file("canary");
    app.docs.WriteFile("fake-mailer.sh", "#!/bin/sh\nprintf '%s' \"$1\" > '" + record.toUtf8() + "'\n");
    QFile::setPermissions(app.docs.file("fake-mailer.sh"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    app.docs.WriteFile("fail-mailer.sh", "#!/bin/sh\nexit 1\n");
    QFile::setPermissions(app.docs.file("fail-mailer.sh"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QByteArray oldMailer = qgetenv("MAILER");
    g.seams.runMailApp = RunDesktopMailApp;

    qputenv("MAILER", app.docs.file("fake-mailer.sh").toUtf8());
    g.jargon.SetCaption(QStringLiteral("ListBoxItemKolvarn"), QStringLiteral("Werkbön \"$(touch ") + canary + ")\"");
    g.settings.inst.email.clear();
    AddPhoto(QStringLiteral("foto a.jpg"), QStringLiteral("Voor & na"), "jpeg");
    EXPECT_EQ(MailViaMailApp(g, Export()), MailOutcome::MailAppOpened);
    EXPECT_TRUE(app.rec.messages.isEmpty());
    EXPECT_FALSE(QFile::exists(canary));

    const QString mailto = QString::fromUtf8(app.docs.ReadFile("mailto.txt"));
    ASSERT_TRUE(mailto.startsWith(QStringLiteral("mailto:?"))) << mailto.toStdString();
    QMultiMap<QString, QString> fields;
    for (const QString& pair : mailto.mid(8).split('&')) {
        const qsizetype eq = pair.indexOf('=');
        fields.insert(pair.left(eq), QUrl::fromPercentEncoding(pair.mid(eq + 1).toUtf8()));
    }
    EXPECT_EQ(fields.values("to"), QStringList{"klant@example.com"});
    EXPECT_EQ(fields.value("subject"), MailSubject(g));
    // xdg-email ends the lines with CR LF itself (and, being a shell script, drops the last ones).
    EXPECT_EQ(fields.value("body"), MailBody(g).trimmed());
    QStringList attached = fields.values("attach");
    std::reverse(attached.begin(), attached.end()); // QMultiMap gives the latest first
    EXPECT_EQ(attached, (QStringList{app.docs.file(PdfName()), app.docs.file("foto a.jpg")}));

    // A mail program that does not start is the failure message.
    qputenv("MAILER", app.docs.file("fail-mailer.sh").toUtf8());
    EXPECT_EQ(MailViaMailApp(g, Export()), MailOutcome::MailAppFailed);
    EXPECT_EQ(app.rec.messages, QStringList{kMailAppMsg});

    if (oldMailer.isEmpty())
        qunsetenv("MAILER");
    else
        qputenv("MAILER", oldMailer);
}

TEST(RunDesktopMailApp, ExitCodes)
{
    EXPECT_EQ(RunDesktopMailApp("/bin/sh", {"-c", "exit 3"}), 3);
    EXPECT_EQ(RunDesktopMailApp("/bin/sh", {"-c", "exit 0"}), 0);
    EXPECT_EQ(RunDesktopMailApp("/nonexistent/xdg-email", {}), -1);
}
