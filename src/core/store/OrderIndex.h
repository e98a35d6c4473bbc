#pragma once
// Private to the store: the order of a table's rows under one sort column, held in memory as
// (key, rowid) pairs so that a cursor knows a row's position, the row count and the row at a
// position without asking SQLite to count or to skip rows.
#include <QString>
#include <QVariant>
#include <memory>
#include <string>
#include <vector>

// The rows of one table in the order (sort key, rowid), as SQLite orders them: null first,
// then numbers by value, then text byte by byte (UTF-8, the BINARY collation), then blobs.
// Without a sort column the order is by rowid alone. Only keys are held, never rows.
class OrderIndex {
public:
    explicit OrderIndex(QString column) : m_column(std::move(column)) {}

    // The sort column in lower case; empty for the rowid order.
    const QString& column() const { return m_column; }
    int size() const { return int(m_entries.size()); }

    // The number of entries that come before (key, rowid): the position of that row when it is
    // in the index, or the position it would take.
    int rank(const QVariant& key, qint64 rowid) const;
    qint64 rowidAt(int position) const { return m_entries[size_t(position)].rowid; }
    QVariant keyAt(int position) const;

    // Adds an entry after the last one; the caller supplies them in order (a scan of the table).
    void append(const QVariant& key, qint64 rowid);
    // The same for a key as SQLite hands it over: its storage class (SQLITE_INTEGER ..
    // SQLITE_NULL) and value, text as its UTF-8 bytes.
    void appendStored(int storageClass, qint64 integer, double real, const char* bytes, size_t size, qint64 rowid);
    void insert(const QVariant& key, qint64 rowid);
    // Removes the row's entry; false when it is not in the index.
    bool erase(const QVariant& key, qint64 rowid);

private:
    struct Entry {
        qint64 rowid;
        quint32 offset; // of the encoded key in m_keys
        quint32 length; // 0: null
    };
    struct Key {
        const char* data = nullptr;
        quint32 length = 0;
    };
    static std::string encode(const QVariant& key);
    static int compare(Key a, Key b);
    Key keyOf(const Entry& e) const { return {m_keys.data() + e.offset, e.length}; }
    // The first entry not less than (key, rowid).
    std::vector<Entry>::const_iterator lowerBound(Key key, qint64 rowid) const;
    Entry store(const std::string& encoded, qint64 rowid);
    void compact();

    QString m_column;
    std::vector<Entry> m_entries;
    std::string m_keys;     // the encoded keys, one after the other
    size_t m_unused = 0;    // bytes of m_keys no entry refers to any more
};

// What the cursors over one table of a connection share: the row count once it is known and
// the order indexes built so far. Reset whenever the table may have changed behind them.
struct SharedTableState {
    int count = -1;
    std::vector<std::unique_ptr<OrderIndex>> orders;

    OrderIndex* order(const QString& lowerColumn) const
    {
        for (const auto& o : orders)
            if (o->column() == lowerColumn)
                return o.get();
        return nullptr;
    }
    void reset()
    {
        count = -1;
        orders.clear();
    }
};
