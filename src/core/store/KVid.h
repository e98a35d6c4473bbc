#pragma once
#include <QChar>
#include <QDateTime>
#include <QString>

class KVGlobal;
struct IdState;

// Record identifiers: 15 characters made on the device itself, unique across the devices of a
// company. Layout: location (1), machine (1), user (2), then base-62 digits of year - 2000,
// month, day, hour, minute, second, millisecond div 20, millisecond mod 20 and three digits of
// the per-run counter.

// 0-9 -> '0'-'9', 10-35 -> 'A'-'Z', 36-61 -> 'a'-'z'; throws KVError("ID overflow <v> ") above.
QChar IdDigit(quint16 value);

// Advances ids.IdCounter (1 for the first identifier of a run, 0 after 238327) and composes the
// identifier for this moment. Throws KVError when a code has the wrong length or a part of the
// moment does not fit one digit; the counter keeps its new value either way.
QString NewRecordId(IdState& ids, const QString& location, const QString& machine, const QString& user, const QDateTime& moment);

// The identifier for now: the device codes and counter of g.ids and the clock of g.seams.
QString NewRecordId(KVGlobal& g);
