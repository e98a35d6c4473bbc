#include "CloudColumns.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <limits>

namespace CloudColumns {

namespace {

constexpr double Int32Min = std::numeric_limits<qint32>::min();
constexpr double Int32Max = std::numeric_limits<qint32>::max();
// BLOB_TEXT columns have no declared length; a work description of this size is already absurd.
constexpr int LongText = 65535;

Column text(const QString& name, int length)
{
    Column c{name, ValueKind::Text};
    c.maxLength = length;
    return c;
}
Column boolean(const QString& name) { return Column{name, ValueKind::Boolean}; }
Column integer(const QString& name, double low = Int32Min, double high = Int32Max)
{
    Column c{name, ValueKind::Integer};
    c.low = low;
    c.high = high;
    return c;
}
Column decimal(const QString& name)
{
    Column c{name, ValueKind::Decimal};
    c.low = -MaxDecimal;
    c.high = MaxDecimal;
    return c;
}
Column image(const QString& name) { return Column{name, ValueKind::Image}; }

QString numbered(const char* stem, int n) { return QLatin1String(stem) + QString::number(n); }

std::vector<Column> ticketColumns()
{
    std::vector<Column> c;
    c.push_back(text(QStringLiteral("id"), 15));
    Column bonnr = text(QStringLiteral("bonnr"), 20);
    bonnr.fileNamePart = true; // the PDF and the photos are named after it
    c.push_back(bonnr);
    c.push_back(image(QStringLiteral("handtekening")));
    for (const char* n : {"projectnr", "werklocatie", "contactpers", "opdrachtgever", "email", "opdrachtnr"})
        c.push_back(text(QLatin1String(n), 100));
    c.push_back(text(QStringLiteral("datum"), 10));
    c.push_back(text(QStringLiteral("werkzh1"), 100));
    c.push_back(text(QStringLiteral("werkzh2"), 100));
    for (int i = 1; i <= 10; ++i)
        c.push_back(boolean(numbered("tw", i)));
    for (int i = 7; i <= 10; ++i)
        c.push_back(text(numbered("twd", i), 30));
    for (int i = 1; i <= 7; ++i)
        c.push_back(text(numbered("dag", i), 10));
    for (const char* stem : {"werk", "over", "reis"})
        for (int i = 1; i <= 7; ++i)
            c.push_back(decimal(numbered(stem, i)));
    for (int i = 1; i <= 7; ++i)
        c.push_back(integer(numbered("km", i)));
    for (int i = 1; i <= 13; ++i)
        c.push_back(text(numbered("bestelnr", i), 30));
    for (int i = 1; i <= 13; ++i)
        c.push_back(integer(numbered("aantal", i)));
    for (int i = 1; i <= 13; ++i)
        c.push_back(text(numbered("omschr", i), 100));
    for (int i = 1; i <= 13; ++i)
        c.push_back(decimal(numbered("prijs", i)));
    c.push_back(integer(QStringLiteral("numodd"), 0, 13));
    // The photo files stay where they were taken: their names travel, but the download keeps
    // the local ones.
    for (int i = 1; i <= 4; ++i) {
        Column foto = text(numbered("foto", i), 50);
        foto.takenOver = false;
        c.push_back(foto);
    }
    Column numfoto = integer(QStringLiteral("numfoto"), 0, 4);
    numfoto.takenOver = false;
    c.push_back(numfoto);
    c.push_back(boolean(QStringLiteral("ondertekend")));
    c.push_back(text(QStringLiteral("code"), 15));
    for (const char* n : {"werkzh", "opm"}) {
        Column lines = text(QLatin1String(n), LongText);
        lines.multiLine = true;
        c.push_back(lines);
    }
    c.push_back(text(QStringLiteral("adres"), 50));
    c.push_back(text(QStringLiteral("pcplaats"), 50));
    for (const char* n : {"uurprijswerk", "uurprijsover", "uurprijsreis", "kmprijs", "percob"})
        c.push_back(decimal(QLatin1String(n)));
    c.push_back(boolean(QStringLiteral("autocomp")));
    c.push_back(boolean(QStringLiteral("prijsinc")));
    c.push_back(text(QStringLiteral("monteur"), 50));
    c.push_back(image(QStringLiteral("handtekening2")));
    c.push_back(integer(QStringLiteral("numnodig"), 0, 13));
    return c;
}

std::vector<Column> clientColumns()
{
    std::vector<Column> c;
    c.push_back(text(QStringLiteral("id"), 15));
    for (const char* n : {"naam", "contactpers", "email"})
        c.push_back(text(QLatin1String(n), 100));
    for (const char* n : {"adres", "pc", "plaats", "land"})
        c.push_back(text(QLatin1String(n), 50));
    for (const char* n : {"btwnr", "debnr", "telnr", "mobnr"})
        c.push_back(text(QLatin1String(n), 15));
    for (const char* n : {"uurprijswerk", "uurprijsover", "uurprijsreis", "kmprijs", "percob"})
        c.push_back(decimal(QLatin1String(n)));
    c.push_back(boolean(QStringLiteral("autocomp")));
    c.push_back(boolean(QStringLiteral("prijsinc")));
    return c;
}

std::vector<Column> partColumns()
{
    return {text(QStringLiteral("id"), 15), text(QStringLiteral("bestelnr"), 30), text(QStringLiteral("omschr"), 100),
            decimal(QStringLiteral("prijs"))};
}

// A number written as text; false when it is none.
bool parseNumber(const QByteArray& bytes, double* out)
{
    bool ok = false;
    const double d = bytes.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return false;
    *out = d;
    return true;
}

bool parseBoolean(const QByteArray& bytes)
{
    double d = 0;
    if (parseNumber(bytes, &d))
        return d != 0;
    return bytes.trimmed().compare("true", Qt::CaseInsensitive) == 0;
}

double clamp(double v, const Column& c) { return std::min(std::max(v, c.low), c.high); }

qint64 toInteger(double v, const Column& c) { return static_cast<qint64>(std::trunc(clamp(v, c))); }

QString cleanText(const QString& raw, const Column& c)
{
    // Most texts hold nothing to clean: then they are only cut.
    const bool clean = std::none_of(raw.cbegin(), raw.cend(), [&c](QChar ch) {
        const char16_t u = ch.unicode();
        return u < 0x20 || u == 0x7F || (c.fileNamePart && (u == u'/' || u == u'\\'));
    });
    if (clean)
        return CutText(raw, c.maxLength);
    QString out;
    out.reserve(std::min<qsizetype>(raw.size(), c.maxLength));
    for (QChar ch : raw) {
        const char16_t u = ch.unicode();
        if (u == u'\r' || u == u'\n' || u == u'\t') {
            // A one-line text gets a space for a line break (CR LF counts once) or a tab.
            if (c.multiLine)
                out += ch;
            else if (u != u'\r')
                out += QLatin1Char(' ');
            continue;
        }
        if (u < 0x20 || u == 0x7F)
            continue;
        if (c.fileNamePart && (u == u'/' || u == u'\\'))
            out += QLatin1Char('_');
        else
            out += ch;
        if (out.size() > c.maxLength + 1)
            break;
    }
    return CutText(out, c.maxLength);
}

// A number of the local row: stored as a number, or as text by an older version.
double localNumber(const QVariant& v, bool isText)
{
    double d = 0;
    if (isText)
        return parseNumber(v.toString().toUtf8(), &d) ? d : 0;
    d = v.toDouble();
    return std::isfinite(d) ? d : 0;
}

// A picture by its header: a format Qt reads, with a size it states and that is not absurd.
// The pixels are not decoded here (a thousand signatures would take seconds); a picture that is
// damaged further on fails to load where it is shown, which leaves the pad blank as well.
bool isPicture(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // The formats a pad or a camera writes are known by their first bytes, which spares asking
    // every image plugin in turn; anything else is left to them.
    QByteArray format;
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        format = "png";
    else if (bytes.startsWith("\xFF\xD8\xFF"))
        format = "jpeg";
    QImageReader reader(&buffer, format);
    if (!reader.canRead())
        return false;
    const QSize size = reader.size();
    return size.isValid() && !size.isEmpty() && size.width() <= MaxImageSide && size.height() <= MaxImageSide;
}

} // namespace

QString Code(CloudKind kind)
{
    switch (kind) {
    case CloudKind::Tickets: return QStringLiteral("kv");
    case CloudKind::Clients: return QStringLiteral("og");
    case CloudKind::Parts: return QStringLiteral("od");
    }
    return {};
}

bool KindOfCode(const QString& code, CloudKind* kind)
{
    for (CloudKind k : {CloudKind::Tickets, CloudKind::Clients, CloudKind::Parts}) {
        if (code == Code(k)) {
            *kind = k;
            return true;
        }
    }
    return false;
}

QString TableName(CloudKind kind, int unit) { return Code(kind) + QString::number(unit); }

QString LocalTable(CloudKind kind)
{
    switch (kind) {
    case CloudKind::Tickets: return QStringLiteral("bon");
    case CloudKind::Clients: return QStringLiteral("opdrachtgever");
    case CloudKind::Parts: return QStringLiteral("onderdeel");
    }
    return {};
}

const std::vector<Column>& Columns(CloudKind kind)
{
    static const std::vector<Column> tickets = ticketColumns(), clients = clientColumns(), parts = partColumns();
    switch (kind) {
    case CloudKind::Tickets: return tickets;
    case CloudKind::Clients: return clients;
    case CloudKind::Parts: break;
    }
    return parts;
}

QString Quoted(const QString& name) { return QLatin1Char('`') + name + QLatin1Char('`'); }

QString SelectList(CloudKind kind)
{
    QStringList names;
    for (const Column& c : Columns(kind))
        names << Quoted(c.name);
    return names.join(QLatin1Char(','));
}

QString DownloadSelectList(CloudKind kind)
{
    QStringList exprs;
    for (const Column& c : Columns(kind)) {
        const QString q = Quoted(c.name);
        if (c.name == QLatin1String("id") || c.kind == ValueKind::Boolean || c.kind == ValueKind::Integer ||
            c.kind == ValueKind::Decimal)
            exprs << q;
        else if (c.kind == ValueKind::Text)
            // One character more than fits, so that cutting still happens here, on whole text.
            exprs << QStringLiteral("LEFT(%1,%2)").arg(q).arg(c.maxLength + 1);
        else
            exprs << QStringLiteral("IF(LENGTH(%1)<=%2,%1,NULL)").arg(q).arg(MaxImageBytes);
    }
    return exprs.join(QLatin1Char(','));
}

QString CutText(const QString& text, int n)
{
    if (text.size() <= n)
        return text;
    qsizetype cut = n;
    if (cut > 0 && text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut);
}

QVariant ToCloud(const Column& c, const QVariant& local)
{
    const bool isText = local.typeId() == QMetaType::QString || local.typeId() == QMetaType::QByteArray;
    switch (c.kind) {
    case ValueKind::Text:
        return CutText(local.toString(), c.maxLength);
    case ValueKind::Boolean:
        return isText ? parseBoolean(local.toString().toUtf8()) : local.toBool();
    case ValueKind::Integer:
        return toInteger(localNumber(local, isText), c);
    case ValueKind::Decimal:
        return clamp(localNumber(local, isText), c);
    case ValueKind::Image: {
        const QByteArray bytes = local.toByteArray();
        return bytes.isEmpty() ? QVariant() : QVariant(bytes);
    }
    }
    return {};
}

QVariant FromCloud(const Column& c, const CloudValue& value)
{
    switch (c.kind) {
    case ValueKind::Text:
        return value ? cleanText(QString::fromUtf8(*value), c) : QString();
    case ValueKind::Boolean:
        return value ? parseBoolean(*value) : false;
    case ValueKind::Integer: {
        double d = 0;
        return value && parseNumber(*value, &d) ? toInteger(d, c) : qint64(0);
    }
    case ValueKind::Decimal: {
        double d = 0;
        return value && parseNumber(*value, &d) ? clamp(d, c) : 0.0;
    }
    case ValueKind::Image:
        return value && !value->isEmpty() && value->size() <= MaxImageBytes && isPicture(*value) ? QVariant(*value)
                                                                                                 : QVariant();
    }
    return {};
}

bool IsRecordId(const QString& id)
{
    if (id.size() != 15)
        return false;
    for (QChar ch : id) {
        const char16_t u = ch.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z')))
            return false;
    }
    return true;
}

} // namespace CloudColumns
