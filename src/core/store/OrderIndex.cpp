#include "OrderIndex.h"

#include "TableImpl.h"

#include <algorithm>
#include <cstring>
#include <sqlite3.h>

namespace {
// The first byte of an encoded key; a null key is encoded as nothing.
enum KeyType : char { Integer = 1, Real = 2, Text = 3, Blob = 4 };

// Numbers compare with each other whatever their kind; text after numbers, blobs last.
int typeClass(char type) { return type == Integer || type == Real ? 1 : type; }

template <class T> T payload(const char* data)
{
    T v;
    std::memcpy(&v, data + 1, sizeof v);
    return v;
}

template <class T> int threeWay(T a, T b) { return a < b ? -1 : b < a ? 1 : 0; }
} // namespace

std::string OrderIndex::encode(const QVariant& key)
{
    std::string out;
    if (IsSqlNull(key))
        return out;
    auto number = [&out](char type, const auto& v) {
        out.resize(1 + sizeof v);
        out[0] = type;
        std::memcpy(out.data() + 1, &v, sizeof v);
    };
    switch (key.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        number(Integer, key.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        number(Real, key.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray b = key.toByteArray();
        out.reserve(size_t(b.size()) + 1);
        out += char(Blob);
        out.append(b.constData(), size_t(b.size()));
        break;
    }
    default: {
        const QByteArray t = key.toString().toUtf8();
        out.reserve(size_t(t.size()) + 1);
        out += char(Text);
        out.append(t.constData(), size_t(t.size()));
        break;
    }
    }
    return out;
}

int OrderIndex::compare(Key a, Key b)
{
    if (a.length == 0 || b.length == 0)
        return threeWay(a.length != 0, b.length != 0); // null first
    const char ta = a.data[0], tb = b.data[0];
    if (typeClass(ta) != typeClass(tb))
        return threeWay(typeClass(ta), typeClass(tb));
    if (typeClass(ta) == 1) {
        if (ta == Integer && tb == Integer)
            return threeWay(payload<qint64>(a.data), payload<qint64>(b.data));
        // A long double holds every 64-bit integer and every double exactly.
        auto value = [](Key k) {
            return k.data[0] == Integer ? static_cast<long double>(payload<qint64>(k.data))
                                        : static_cast<long double>(payload<double>(k.data));
        };
        return threeWay(value(a), value(b));
    }
    const quint32 n = std::min(a.length, b.length) - 1;
    if (const int c = std::memcmp(a.data + 1, b.data + 1, n))
        return c < 0 ? -1 : 1;
    return threeWay(a.length, b.length);
}

std::vector<OrderIndex::Entry>::const_iterator OrderIndex::lowerBound(Key key, qint64 rowid) const
{
    return std::lower_bound(m_entries.begin(), m_entries.end(), rowid, [&](const Entry& e, qint64 r) {
        const int c = compare(keyOf(e), key);
        return c < 0 || (c == 0 && e.rowid < r);
    });
}

int OrderIndex::rank(const QVariant& key, qint64 rowid) const
{
    const std::string k = encode(key);
    return int(lowerBound({k.data(), quint32(k.size())}, rowid) - m_entries.begin());
}

QVariant OrderIndex::keyAt(int position) const
{
    const Entry& e = m_entries[size_t(position)];
    if (e.length == 0)
        return {};
    const char* d = m_keys.data() + e.offset;
    switch (d[0]) {
    case Integer: return payload<qint64>(d);
    case Real: return payload<double>(d);
    case Blob: return QByteArray(d + 1, qsizetype(e.length - 1));
    default: return QString::fromUtf8(d + 1, qsizetype(e.length - 1));
    }
}

OrderIndex::Entry OrderIndex::store(const std::string& encoded, qint64 rowid)
{
    Entry e{rowid, quint32(m_keys.size()), quint32(encoded.size())};
    m_keys += encoded;
    return e;
}

void OrderIndex::append(const QVariant& key, qint64 rowid) { m_entries.push_back(store(encode(key), rowid)); }

void OrderIndex::appendStored(int storageClass, qint64 integer, double real, const char* bytes, size_t size, qint64 rowid)
{
    Entry e{rowid, quint32(m_keys.size()), 0};
    switch (storageClass) {
    case SQLITE_INTEGER:
        m_keys += char(Integer);
        m_keys.append(reinterpret_cast<const char*>(&integer), sizeof integer);
        break;
    case SQLITE_FLOAT:
        m_keys += char(Real);
        m_keys.append(reinterpret_cast<const char*>(&real), sizeof real);
        break;
    case SQLITE_TEXT:
    case SQLITE_BLOB:
        m_keys += char(storageClass == SQLITE_TEXT ? Text : Blob);
        m_keys.append(bytes, size);
        break;
    default: // null: no bytes
        break;
    }
    e.length = quint32(m_keys.size() - e.offset);
    m_entries.push_back(e);
}

void OrderIndex::insert(const QVariant& key, qint64 rowid)
{
    const std::string k = encode(key);
    const auto at = lowerBound({k.data(), quint32(k.size())}, rowid);
    const size_t index = size_t(at - m_entries.begin());
    m_entries.insert(m_entries.begin() + std::ptrdiff_t(index), store(k, rowid));
}

bool OrderIndex::erase(const QVariant& key, qint64 rowid)
{
    const std::string k = encode(key);
    auto at = m_entries.begin() + (lowerBound({k.data(), quint32(k.size())}, rowid) - m_entries.cbegin());
    if (at == m_entries.end() || at->rowid != rowid) {
        // The key the caller knew is not the stored one: find the row by its rowid.
        at = std::find_if(m_entries.begin(), m_entries.end(), [rowid](const Entry& e) { return e.rowid == rowid; });
        if (at == m_entries.end())
            return false;
    }
    m_unused += at->length;
    m_entries.erase(at);
    if (m_unused > (1u << 16) && m_unused > m_keys.size() / 2)
        compact();
    return true;
}

void OrderIndex::compact()
{
    std::string keys;
    keys.reserve(m_keys.size() - m_unused);
    for (Entry& e : m_entries) {
        const quint32 offset = quint32(keys.size());
        keys.append(m_keys, e.offset, e.length);
        e.offset = offset;
    }
    m_keys.swap(keys);
    m_unused = 0;
}
