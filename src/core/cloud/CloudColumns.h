#pragma once
#include "CloudConnection.h"

#include <QString>
#include <QVariant>
#include <vector>

// The three kinds of record that travel between units, each with its inbox table code:
// "kv" tickets, "og" clients, "od" parts.
enum class CloudKind { Tickets, Clients, Parts };

namespace CloudColumns {

enum class ValueKind { Text, Boolean, Integer, Decimal, Image };

struct Column {
    QString name;
    ValueKind kind;
    int maxLength = 0;      // texts: the length of the local column, in characters
    double low = 0, high = 0; // numbers: the range the local code can hold
    bool takenOver = true;  // copied into the local row by the download
    bool multiLine = false; // texts that keep their line breaks
    bool fileNamePart = false; // texts that end up in file names: no path separators
};

// "kv", "og", "od".
QString Code(CloudKind kind);
// The kind of a table code; false when the code is none of the three.
bool KindOfCode(const QString& code, CloudKind* kind);
// The inbox table of a kind for a unit: the code followed by the unit number, in decimal.
// The only way a table name is ever made.
QString TableName(CloudKind kind, int unit);
// The local table of a kind: "bon", "opdrachtgever", "onderdeel".
QString LocalTable(CloudKind kind);

// The columns of a kind's cloud table in their order; id first.
const std::vector<Column>& Columns(CloudKind kind);

// A table or column name quoted for SQL; names are only ever the fixed ones of this file.
QString Quoted(const QString& name);
// Column lists for SQL, each name quoted: `id`, `naam`, ...
QString SelectList(CloudKind kind);
// The same for reading an inbox: the server already cuts texts to the local column and leaves
// out images larger than MaxImageBytes, so no row can make this device hold more than a few
// megabytes. The identifier comes as stored, to delete the row by it.
QString DownloadSelectList(CloudKind kind);

// ---- values going up: a local value made fit for the cloud column ----
QVariant ToCloud(const Column& column, const QVariant& local);

// ---- values coming down: what another unit wrote, made safe for the local column ----
// Texts: decoded as UTF-8, control characters other than tab, CR and LF removed, cut to the
// local column's length. Integers: parsed, clamped to the column's range. Decimals: parsed,
// finite, clamped. Booleans: a non-zero number or "true". Images: kept only when they decode
// as a picture of a sane size, otherwise null.
QVariant FromCloud(const Column& column, const CloudValue& value);

// A record identifier as the local store accepts it: 15 characters of the base-62 alphabet.
bool IsRecordId(const QString& id);

// Cuts a text to at most n characters without splitting a surrogate pair.
QString CutText(const QString& text, int n);

// The largest picture (width or height, in pixels) taken over from another unit.
constexpr int MaxImageSide = 4096;
// The largest picture taken over, in bytes (a signature is a few kilobytes).
constexpr int MaxImageBytes = 1024 * 1024;
// The largest magnitude of a decimal taken over.
constexpr double MaxDecimal = 1e12;

} // namespace CloudColumns
