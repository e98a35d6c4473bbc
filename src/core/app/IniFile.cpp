#include "IniFile.h"

#include "KVError.h"

#include <QFile>
#include <QLocale>
#include <QSaveFile>

// Debian's SimpleIni.h keeps its template bodies behind SI_IMPLEMENTATION (its library is built
// for ICU); this file is the one place that instantiates them, without any text conversion.
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <cmath>
#include <limits>

namespace {
// A read gives at most this many characters of a text value.
constexpr int kMaxTextRead = 2047;

// Fills ini from the file. A file that is not there is an empty document (true); a file that
// is there but cannot be read gives false.
bool loadInto(const QString& path, CSimpleIniA& ini)
{
    QFile f(path);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    return ini.LoadData(data.constData(), size_t(data.size())) >= 0;
}

QString oneLine(QString value)
{
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}
} // namespace

struct IniFile::Doc {
    CSimpleIniA ini{/*utf8*/ true, /*multiKey*/ false, /*multiLine*/ false};
    Doc() { ini.SetSpaces(false); } // "key=value", as classic INI files are written
};

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

IniFile::~IniFile() = default;

const IniFile::Doc& IniFile::doc() const
{
    if (!m_doc) {
        m_doc = std::make_shared<Doc>();
        if (!loadInto(m_path, m_doc->ini))
            m_doc->ini.Reset(); // unreadable: every key reads as its default
    }
    return *m_doc;
}

bool IniFile::raw(const QString& section, const QString& key, QString& value) const
{
    const char* v = doc().ini.GetValue(section.toUtf8().constData(), key.toUtf8().constData(), nullptr);
    if (!v)
        return false;
    value = QString::fromUtf8(v);
    return true;
}

bool IniFile::ParseInteger(const QString& text, int& value)
{
    const int n = int(text.size());
    if (n > 2 && text[0] == QLatin1Char('0') && (text[1] == QLatin1Char('x') || text[1] == QLatin1Char('X'))) {
        // Hexadecimal: up to 32 bits, taken as the two's complement integer they spell.
        quint64 v = 0;
        for (int i = 2; i < n; ++i) {
            const int d = hexValue(text[i]);
            if (d < 0)
                return false;
            v = v * 16 + quint64(d);
            if (v > 0xFFFFFFFFull)
                return false;
        }
        value = int(qint32(quint32(v)));
        return true;
    }
    int i = 0;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == n)
        return false;
    qint64 v = 0;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        v = v * 10 + (c.unicode() - '0');
        if (v > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    value = int(v);
    return true;
}

bool IniFile::ParseFloat(const QString& text, double& value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double v = locale.toDouble(text, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

QString IniFile::FormatFloat(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}

QStringList IniFile::Keys(const QString& section) const
{
    CSimpleIniA::TNamesDepend keys;
    doc().ini.GetAllKeys(section.toUtf8().constData(), keys);
    keys.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList result;
    for (const CSimpleIniA::Entry& e : keys)
        result << QString::fromUtf8(e.pItem);
    return result;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    QString v;
    if (!raw(section, key, v))
        return def;
    if (v.size() > kMaxTextRead) {
        v.truncate(kMaxTextRead);
        if (v.back().isHighSurrogate())
            v.chop(1); // never hand on half a character
    }
    return v;
}

int IniFile::ReadInteger(const QString& section, const QString& key, int def) const
{
    QString text;
    int v = 0;
    return raw(section, key, text) && ParseInteger(text, v) ? v : def;
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool def) const
{
    QString text;
    int v = 0;
    return raw(section, key, text) && ParseInteger(text, v) ? v != 0 : def;
}

double IniFile::ReadFloat(const QString& section, const QString& key, double def) const
{
    QString text;
    double v = 0;
    return raw(section, key, text) && ParseFloat(text, v) ? v : def;
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    const QString failure = QStringLiteral("Unable to write to ") + m_path;

    // Start from the file as it is now, so that nothing but this key changes.
    auto fresh = std::make_shared<Doc>();
    if (!loadInto(m_path, fresh->ini))
        throw KVError(failure); // writing now would lose the keys we could not read
    if (fresh->ini.SetValue(section.toUtf8().constData(), key.toUtf8().constData(),
                            oneLine(value).toUtf8().constData()) < 0)
        throw KVError(failure);
    std::string text;
    if (fresh->ini.Save(text, /*addSignature*/ false) < 0)
        throw KVError(failure);

    // Written beside the file and renamed over it, so a crash leaves the old file or the new
    // one; the file holds passwords, so only its owner may read it.
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly))
        throw KVError(failure);
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (f.write(text.data(), qint64(text.size())) != qint64(text.size())) {
        f.cancelWriting();
        throw KVError(failure);
    }
    if (!f.commit())
        throw KVError(failure);
    m_doc = std::move(fresh);
}

void IniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::WriteFloat(const QString& section, const QString& key, double value)
{
    WriteString(section, key, FormatFloat(value));
}
