#include "IniFile.h"

#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

// The file is held as the bytes it has on disk, with an index of its sections and key lines
// into them. The index is a pair of open-addressing tables of small integers, so a damaged file
// of a million keys costs a few bytes per key rather than an allocation each.

namespace {
using Offset = qint32;

// A read gives at most this many characters of a text value.
constexpr int kMaxTextRead = 2047;
// A larger file is no settings file any more; it is treated as one that cannot be read whole,
// which keeps every write from replacing it.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

struct Span {
    Offset begin = 0, end = 0;
    Offset size() const { return end - begin; }
    bool empty() const { return end <= begin; }
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\0' || c == '\r' || c == '\v' || c == '\f'; }
char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c; }

Span trimmed(const char* p, Offset b, Offset e)
{
    while (b < e && isBlank(p[b]))
        ++b;
    while (e > b && isBlank(p[e - 1]))
        --e;
    return {b, e};
}

quint32 hashNoCase(quint32 h, const char* p, Span s)
{
    for (Offset i = s.begin; i < s.end; ++i) {
        h ^= quint8(lowerAscii(p[i]));
        h *= 16777619u;
    }
    return h;
}
constexpr quint32 kHashSeed = 2166136261u;

bool equalNoCase(const char* a, Span sa, const char* b, Span sb)
{
    if (sa.size() != sb.size())
        return false;
    for (Offset i = 0; i < sa.size(); ++i)
        if (lowerAscii(a[sa.begin + i]) != lowerAscii(b[sb.begin + i]))
            return false;
    return true;
}

// An open-addressing table of indices with their hashes; the caller's eq tells whether the
// index it is shown is the one looked for.
class SlotTable {
public:
    template <class Eq> int* Find(quint32 hash, Eq&& eq)
    {
        if (m_slots.empty())
            return nullptr;
        const size_t mask = m_slots.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& s = m_slots[i];
            if (s.index < 0)
                return nullptr;
            if (s.hash == hash && eq(s.index))
                return &s.index;
        }
    }
    template <class Eq> const int* Find(quint32 hash, Eq&& eq) const
    {
        return const_cast<SlotTable*>(this)->Find(hash, std::forward<Eq>(eq));
    }
    // Room for n indices without growing.
    void Reserve(size_t n)
    {
        size_t size = 16;
        while (size < n * 2)
            size *= 2;
        if (size > m_slots.size()) {
            std::vector<Slot> old(size);
            old.swap(m_slots);
            for (const Slot& s : old)
                if (s.index >= 0)
                    place(s.hash, s.index);
        }
    }
    // The index must not be in the table yet.
    void Insert(quint32 hash, int index)
    {
        if ((m_count + 1) * 2 > m_slots.size())
            grow();
        place(hash, index);
        ++m_count;
    }

private:
    struct Slot {
        quint32 hash = 0;
        int index = -1;
    };
    void place(quint32 hash, int index)
    {
        const size_t mask = m_slots.size() - 1;
        size_t i = hash & mask;
        while (m_slots[i].index >= 0)
            i = (i + 1) & mask;
        m_slots[i] = {hash, index};
    }
    void grow()
    {
        std::vector<Slot> old(std::max<size_t>(16, m_slots.size() * 2));
        old.swap(m_slots);
        for (const Slot& s : old)
            if (s.index >= 0)
                place(s.hash, s.index);
    }
    std::vector<Slot> m_slots;
    size_t m_count = 0;
};

// Splits a line (without its line break) into key and value; false for a line that holds no
// key: a blank line, a comment, a section header, or text without "=".
bool splitKeyLine(const char* p, Offset b, Offset e, Span& key, Span& value)
{
    const Span line = trimmed(p, b, e);
    if (line.empty() || p[line.begin] == ';' || p[line.begin] == '#' || p[line.begin] == '[')
        return false;
    const void* eq = std::memchr(p + line.begin, '=', size_t(line.size()));
    if (!eq)
        return false;
    const Offset at = Offset(static_cast<const char*>(eq) - p);
    key = trimmed(p, line.begin, at);
    value = trimmed(p, at + 1, line.end);
    return !key.empty();
}

bool wrappedInQuotes(const char* p, Offset size)
{
    return size >= 2 && p[0] == '"' && p[size - 1] == '"';
}

bool blankAtAnEnd(const char* p, Offset size) { return size > 0 && (isBlank(p[0]) || isBlank(p[size - 1])); }

// A value in quotes stands for what is between them when that is what the writer puts in
// quotes: a text with blanks at an end, or a text that is in quotes itself. Any other quoted
// value is taken as it is, as earlier versions of the file read it.
Span unquoted(const char* p, Span v)
{
    if (!wrappedInQuotes(p + v.begin, v.size()))
        return v;
    const Span inner{v.begin + 1, v.end - 1};
    if (blankAtAnEnd(p + inner.begin, inner.size()) || wrappedInQuotes(p + inner.begin, inner.size()))
        return inner;
    return v;
}

QByteArray quotedIfNeeded(QByteArray v)
{
    if (blankAtAnEnd(v.constData(), Offset(v.size())) || wrappedInQuotes(v.constData(), Offset(v.size())))
        return '"' + v + '"';
    return v;
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
    QByteArray data;
    bool whole = true; // false: the file is there but could not be read whole
    QByteArray newline = "\n";

    // The file as parsed: its header lines and its key lines, in file order. A section that
    // comes back later in the file is one section; that is worked out when it is asked for.
    struct Block {
        Span name;            // of the header; empty for the keys before any header
        Offset headerEnd = 0;
        int firstKey = 0, endKey = 0;
    };
    struct Key {
        Offset lineBegin = 0, lineEnd = 0; // without the line break
        Span key;
        int block = 0;
    };
    std::vector<Block> blocks;
    std::vector<Key> keys;
    std::vector<Offset> keyLengths; // of each key's name: what a scan compares first

    // A section as the readers and writers see it: every block of its name.
    struct Section {
        std::vector<int> blocks;
        int keyCount = 0;
        Offset insertAt = 0; // new keys go in here: the end of its last key line or of its header
    };

    const char* bytes() const { return data.constData(); }

    // Null when the file has no such section.
    const Section* FindSection(const QByteArray& name) const
    {
        const QByteArray lower = name.toLower();
        auto it = m_sections.constFind(lower);
        if (it == m_sections.constEnd()) {
            Section s;
            const Span wanted{0, Offset(name.size())};
            for (int b = 0; b < int(blocks.size()); ++b)
                if (equalNoCase(bytes(), blocks[size_t(b)].name, name.constData(), wanted)) {
                    const Block& block = blocks[size_t(b)];
                    s.blocks.push_back(b);
                    s.keyCount += block.endKey - block.firstKey;
                    s.insertAt = block.endKey > block.firstKey ? keys[size_t(block.endKey - 1)].lineEnd : block.headerEnd;
                }
            it = m_sections.insert(lower, std::move(s));
        }
        return it->blocks.empty() ? nullptr : &*it;
    }

    // The key line that reads for (section, key): its last one, or -1. A few look-ups scan the
    // section; once the scans have cost as much as an index of every key would, the index is
    // built and answers the rest.
    int FindKey(const QByteArray& section, const QByteArray& key) const
    {
        const Span wanted{0, Offset(key.size())};
        if (m_indexed || m_scanned > kScanBudget * qint64(keys.size()) + kScanBudget) {
            if (!m_indexed)
                buildIndex();
            const int* at = m_keyTable.Find(keyHash(section.constData(), {0, Offset(section.size())}, key.constData(), wanted),
                                            [&](int i) { return isKey(i, section, key); });
            return at ? *at : -1;
        }
        const Section* s = FindSection(section);
        if (!s)
            return -1;
        m_scanned += s->keyCount;
        const Offset length = wanted.size();
        for (auto b = s->blocks.rbegin(); b != s->blocks.rend(); ++b)
            for (int k = blocks[size_t(*b)].endKey - 1; k >= blocks[size_t(*b)].firstKey; --k)
                if (keyLengths[size_t(k)] == length && equalNoCase(bytes(), keys[size_t(k)].key, key.constData(), wanted))
                    return k;
        return -1;
    }

    bool Split(const Key& k, Span& key, Span& value) const
    {
        return splitKeyLine(bytes(), k.lineBegin, k.lineEnd, key, value);
    }

    QString Value(int keyIndex) const
    {
        Span key, value;
        Split(keys[size_t(keyIndex)], key, value);
        const Span v = unquoted(bytes(), value);
        return QString::fromUtf8(bytes() + v.begin, v.size());
    }

    void Parse();

private:
    // Scanning sequentially costs a fraction of filling a hash table at random: this many
    // scans of the whole file before an index pays.
    static constexpr qint64 kScanBudget = 16;

    static quint32 keyHash(const char* sp, Span section, const char* kp, Span key)
    {
        return hashNoCase(hashNoCase(kHashSeed, sp, section) * 2654435761u, kp, key);
    }
    bool isKey(int k, const QByteArray& section, const QByteArray& key) const
    {
        const Key& entry = keys[size_t(k)];
        return equalNoCase(bytes(), entry.key, key.constData(), {0, Offset(key.size())})
            && equalNoCase(bytes(), blocks[size_t(entry.block)].name, section.constData(), {0, Offset(section.size())});
    }
    void buildIndex() const
    {
        m_keyTable.Reserve(keys.size());
        const char* p = bytes();
        for (int k = 0; k < int(keys.size()); ++k) {
            const Key& entry = keys[size_t(k)];
            const Span section = blocks[size_t(entry.block)].name;
            const quint32 h = keyHash(p, section, p, entry.key);
            int* earlier = m_keyTable.Find(h, [&](int i) {
                return equalNoCase(p, keys[size_t(i)].key, p, entry.key)
                    && equalNoCase(p, blocks[size_t(keys[size_t(i)].block)].name, p, section);
            });
            if (earlier)
                *earlier = k; // the last line of a key is the one that reads
            else
                m_keyTable.Insert(h, k);
        }
        m_indexed = true;
    }

    mutable QHash<QByteArray, Section> m_sections; // lower-case name -> its blocks
    mutable qint64 m_scanned = 0; // keys compared by scans so far
    mutable bool m_indexed = false;
    mutable SlotTable m_keyTable;
};

void IniFile::Doc::Parse()
{
    const char* p = data.constData();
    const Offset n = Offset(data.size());
    Offset pos = n >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
    if (const void* nl = std::memchr(p, '\n', size_t(n)); nl && nl != p && static_cast<const char*>(nl)[-1] == '\r')
        newline = "\r\n";

    // Room for a key or a header on every line, so the arrays are filled without moving; the
    // pages that stay unused are never touched.
    size_t lines = 1;
    for (const char* at = p; (at = static_cast<const char*>(std::memchr(at, '\n', size_t(p + n - at)))); ++at)
        ++lines;
    keys.reserve(lines);
    keyLengths.reserve(lines);
    blocks.reserve(lines + 1);

    blocks.push_back({}); // the keys before any header
    while (pos < n) {
        const void* found = std::memchr(p + pos, '\n', size_t(n - pos));
        const Offset next = found ? Offset(static_cast<const char*>(found) - p) : n;
        Offset end = next;
        if (end > pos && p[end - 1] == '\r')
            --end;

        Span key, value;
        const Span line = trimmed(p, pos, end);
        if (!line.empty() && p[line.begin] == '[') {
            if (const void* close = std::memchr(p + line.begin, ']', size_t(line.size()))) {
                const Span name = trimmed(p, line.begin + 1, Offset(static_cast<const char*>(close) - p));
                const int first = int(keys.size());
                blocks.push_back({name, end, first, first});
            }
        } else if (splitKeyLine(p, pos, end, key, value)) {
            keys.push_back({pos, end, key, int(blocks.size()) - 1});
            keyLengths.push_back(key.size());
            blocks.back().endKey = int(keys.size());
        }
        pos = next + 1;
    }
}

namespace {
std::shared_ptr<IniFile::Doc> loadDoc(const QString& path)
{
    auto doc = std::make_shared<IniFile::Doc>();
    QFile f(path);
    if (!f.exists())
        return doc;
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxFileSize) {
        doc->whole = false;
        return doc;
    }
    doc->data = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        doc->data.clear();
        doc->whole = false;
        return doc;
    }
    doc->Parse();
    return doc;
}
} // namespace

// ---- reading ----------------------------------------------------------------------------------

IniFile::IniFile(QString path, FileCalls calls) : m_path(std::move(path)), m_calls(std::move(calls)) {}

IniFile::~IniFile() = default;

const IniFile::Doc& IniFile::doc() const
{
    if (!m_doc)
        m_doc = loadDoc(m_path);
    return *m_doc;
}

bool IniFile::raw(const QString& section, const QString& key, QString& value) const
{
    const int k = doc().FindKey(section.toUtf8(), key.toUtf8());
    if (k < 0)
        return false;
    value = doc().Value(k);
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

void IniFile::ForEachKey(const QString& section, const std::function<void(const QString&, const QString&)>& fn) const
{
    const Doc& d = doc();
    const Doc::Section* s = d.FindSection(section.toUtf8());
    if (!s)
        return;
    for (int b : s->blocks)
        for (int k = d.blocks[size_t(b)].firstKey; k < d.blocks[size_t(b)].endKey; ++k) {
            const Span key = d.keys[size_t(k)].key;
            QString text = d.Value(k);
            if (text.size() > kMaxTextRead)
                text = text.left(text[kMaxTextRead - 1].isHighSurrogate() ? kMaxTextRead - 1 : kMaxTextRead);
            fn(QString::fromUtf8(d.bytes() + key.begin, key.size()), text);
        }
}

int IniFile::KeyCount(const QString& section) const
{
    const Doc::Section* s = doc().FindSection(section.toUtf8());
    return s ? s->keyCount : 0;
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

// ---- writing ----------------------------------------------------------------------------------

void IniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    IniEdit edit(m_path, m_calls);
    edit.WriteString(section, key, value);
    m_doc = edit.Save();
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

IniEdit::IniEdit(QString path, FileCalls calls) : m_path(std::move(path)), m_calls(std::move(calls)) {}

void IniEdit::WriteString(const QString& section, const QString& key, const QString& value)
{
    if (section != m_section) { // a run of keys of one section shares its name
        m_section = section;
        m_sectionBytes = section.toUtf8();
    }
    m_changes.push_back({m_sectionBytes, key.toUtf8(), quotedIfNeeded(oneLine(value).toUtf8())});
}

void IniEdit::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void IniEdit::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniEdit::WriteFloat(const QString& section, const QString& key, double value)
{
    WriteString(section, key, IniFile::FormatFloat(value));
}

std::shared_ptr<const IniFile::Doc> IniEdit::Save() const
{
    using Doc = IniFile::Doc;
    // Start from the file as it is now, so that nothing but these keys changes.
    const std::shared_ptr<Doc> disk = loadDoc(m_path);
    if (!disk->whole)
        throw FileWriteError(m_path, QStringLiteral("the file cannot be read in full"));
    const char* p = disk->bytes();
    const QByteArray& nl = disk->newline;

    // Keys the file has: their line is rewritten with the last value given.
    std::vector<int> rewrite(disk->keys.size(), -1);
    // The sections written to: of the file, or new ones, added at the end in the order given.
    struct Target {
        bool inFile;
        Offset insertAt;
        QByteArray name;
    };
    std::vector<Target> targets;
    QHash<QByteArray, int> targetOf; // lower-case name -> target
    // Keys the file has not: added in the order they were first given, with the last value given.
    struct Added {
        int first, last;
        int target;
    };
    std::vector<Added> added;
    SlotTable addedTable;

    const auto span = [](const QByteArray& b) { return Span{0, Offset(b.size())}; };
    int target = -1;
    for (int i = 0; i < int(m_changes.size()); ++i) {
        const Change& c = m_changes[size_t(i)];
        if (target < 0 || c.section != targets[size_t(target)].name) {
            const QByteArray lower = c.section.toLower();
            if (const auto it = targetOf.constFind(lower); it != targetOf.constEnd())
                target = *it;
            else {
                const Doc::Section* s = disk->FindSection(c.section);
                target = int(targets.size());
                targets.push_back({s != nullptr, s ? s->insertAt : 0, c.section});
                targetOf.insert(lower, target);
            }
        }
        if (targets[size_t(target)].inFile) {
            const int k = disk->FindKey(c.section, c.key);
            if (k >= 0) {
                rewrite[size_t(k)] = i;
                continue;
            }
        }
        const quint32 h = hashNoCase(kHashSeed ^ quint32(target) * 2654435761u, c.key.constData(), span(c.key));
        const auto same = [&](int a) {
            const Change& o = m_changes[size_t(added[size_t(a)].first)];
            return added[size_t(a)].target == target && equalNoCase(o.key.constData(), span(o.key), c.key.constData(), span(c.key));
        };
        if (int* at = addedTable.Find(h, same))
            added[size_t(*at)].last = i;
        else {
            addedTable.Insert(h, int(added.size()));
            added.push_back({i, i, target});
        }
    }

    // The edits in file order: a rewritten line is replaced, added keys are inserted at the end
    // of their section's last key line (before its line break).
    struct Edit {
        Offset at, end;
        int order;
        QByteArray text;
    };
    std::vector<Edit> edits;
    for (size_t k = 0; k < rewrite.size(); ++k) {
        if (rewrite[k] < 0)
            continue;
        const Doc::Key& key = disk->keys[k];
        edits.push_back({key.lineBegin, key.lineEnd, -1,
                         QByteArray(p + key.key.begin, key.key.size()) + '=' + m_changes[size_t(rewrite[k])].value});
    }
    for (const Added& a : added)
        if (const Target& t = targets[size_t(a.target)]; t.inFile)
            edits.push_back({t.insertAt, t.insertAt, a.first,
                             nl + m_changes[size_t(a.first)].key + '=' + m_changes[size_t(a.last)].value});
    std::sort(edits.begin(), edits.end(), [](const Edit& x, const Edit& y) {
        return x.at != y.at ? x.at < y.at : x.order < y.order;
    });

    QByteArray out;
    out.reserve(disk->data.size() + 64);
    Offset pos = 0;
    for (const Edit& e : edits) {
        out.append(p + pos, e.at - pos);
        out.append(e.text);
        pos = e.end;
    }
    out.append(p + pos, Offset(disk->data.size()) - pos);
    std::vector<std::vector<int>> addedTo(targets.size());
    for (int a = 0; a < int(added.size()); ++a)
        addedTo[size_t(added[size_t(a)].target)].push_back(a);
    for (int t = 0; t < int(targets.size()); ++t) {
        if (targets[size_t(t)].inFile)
            continue;
        if (!out.isEmpty() && !out.endsWith('\n'))
            out.append(nl);
        if (!out.isEmpty())
            out.append(nl);
        out.append('[' + targets[size_t(t)].name + ']' + nl);
        for (int a : addedTo[size_t(t)])
            out.append(m_changes[size_t(added[size_t(a)].first)].key + '=' + m_changes[size_t(added[size_t(a)].last)].value + nl);
    }

    WriteFileDurably(m_path, out, m_calls);
    auto written = std::make_shared<Doc>();
    written->data = out;
    written->Parse();
    return written;
}
