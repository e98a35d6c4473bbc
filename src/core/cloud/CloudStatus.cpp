#include "CloudStatus.h"

#include "app/KVGlobal.h"
#include "app/Log.h"
#include "store/Database.h"
#include "store/Table.h"

#include <errmsg.h>
#include <mysqld_error.h>

namespace {
const QString kOk = QStringLiteral("ok");
const QString kError = QStringLiteral("error");
const QString kTable = QStringLiteral("syncstatus");
} // namespace

CloudStatus::CloudStatus(KVGlobal& global) : g(global) {}

void CloudStatus::NoteExchange() { write(kOk, {g.seams.Now(), {}}); }

void CloudStatus::NoteError(int code, const QString& text) { write(kError, {g.seams.Now(), InWords(code, text)}); }

void CloudStatus::NoteUnreachable()
{
    write(kError, {g.seams.Now(), g.Translate(QStringLiteral("Geen internetverbinding."))});
}

CloudStatus::Event CloudStatus::LastExchange() { return read(kOk); }

CloudStatus::Event CloudStatus::LastError() { return read(kError); }

QString CloudStatus::InWords(int code, const QString& text) const
{
    QString words;
    switch (code) {
    case CR_CONNECTION_ERROR:
    case CR_CONN_HOST_ERROR:
    case CR_UNKNOWN_HOST:
    case CR_SSL_CONNECTION_ERROR:
        words = QStringLiteral("Geen verbinding met server.");
        break;
    case CR_SERVER_GONE_ERROR:
    case CR_SERVER_LOST:
    case CR_SERVER_LOST_EXTENDED:
    case ER_CONNECTION_KILLED:
        words = QStringLiteral("De verbinding met de server is verbroken.");
        break;
    case ER_ACCESS_DENIED_ERROR:
    case ER_DBACCESS_DENIED_ERROR:
    case ER_TABLEACCESS_DENIED_ERROR:
    case ER_COLUMNACCESS_DENIED_ERROR:
        words = QStringLiteral("De server weigert deze gebruiker of dit wachtwoord.");
        break;
    case ER_NO_SUCH_TABLE:
        words = QStringLiteral("Een inbox ontbreekt op de server.");
        break;
    case ER_LOCK_WAIT_TIMEOUT:
    case ER_LOCK_DEADLOCK:
        words = QStringLiteral("De server was te lang bezet.");
        break;
    default:
        words = QStringLiteral("De server meldt een fout.");
        break;
    }
    return g.Translate(words) + QStringLiteral(" (") + QString::number(code) + QStringLiteral(": ") + text + QLatin1Char(')');
}

void CloudStatus::write(const QString& item, const Event& e)
{
    if (!g.db().IsOpen())
        return;
    try {
        Table t(g.db(), kTable);
        t.Open();
        if (t.Locate(QStringLiteral("item"), item)) {
            t.Edit();
        } else {
            t.Append();
            t.SetString(QStringLiteral("item"), item);
        }
        t.SetString(QStringLiteral("moment"), e.at.toString(Qt::ISODateWithMs));
        t.SetString(QStringLiteral("detail"), e.detail.left(500));
        t.Post();
    } catch (const KVError& err) {
        // The status is a courtesy; a store that cannot take it loses only the line shown.
        qCWarning(logCloud).noquote() << "sync status not stored:" << err.text();
    }
}

CloudStatus::Event CloudStatus::read(const QString& item)
{
    if (!g.db().IsOpen())
        return {};
    try {
        Table t(g.db(), kTable);
        t.Open();
        if (!t.Locate(QStringLiteral("item"), item))
            return {};
        return {QDateTime::fromString(t.AsString(QStringLiteral("moment")), Qt::ISODateWithMs), t.AsString(QStringLiteral("detail"))};
    } catch (const KVError&) {
        return {};
    }
}
