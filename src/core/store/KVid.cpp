#include "KVid.h"

#include "app/KVError.h"
#include "app/KVGlobal.h"

QChar IdDigit(quint16 value)
{
    if (value < 10)
        return QLatin1Char(char('0' + value));
    if (value < 36)
        return QLatin1Char(char('A' + value - 10));
    if (value < 62)
        return QLatin1Char(char('a' + value - 36));
    throw KVError(QStringLiteral("ID overflow %1 ").arg(value));
}

QString NewRecordId(IdState& ids, const QString& location, const QString& machine, const QString& user, const QDateTime& moment)
{
    // 238327 is 62^3 - 1, the largest counter three digits hold.
    ids.IdCounter = ids.IdCounter >= 238327 ? 0 : ids.IdCounter + 1;
    if (location.length() != 1 || machine.length() != 1 || user.length() != 2)
        throw KVError(QStringLiteral("lengte locatie, machine of gebruikerstring niet voldoende \"%1\" \"%2\" \"%3\" ").arg(location, machine, user));

    const QDate date = moment.date();
    const QTime time = moment.time();
    const int ms = time.msec();
    const int counter = ids.IdCounter;
    const quint16 parts[] = {
        quint16(date.year() - 2000), // a year before 2000 wraps to a large value
        quint16(date.month()),
        quint16(date.day()),
        quint16(time.hour()),
        quint16(time.minute()),
        quint16(time.second()),
        quint16(ms / 20),
        quint16(ms % 20),
        quint16(counter / 3844),
        quint16((counter % 3844) / 62),
        quint16(counter % 62),
    };
    QString id = location + machine + user;
    id.reserve(15);
    for (quint16 v : parts)
        id += IdDigit(v);
    return id;
}

QString NewRecordId(KVGlobal& g)
{
    return NewRecordId(g.ids, g.ids.IdLocation, g.ids.IdMachine, g.ids.IdUser, g.seams.Now());
}
