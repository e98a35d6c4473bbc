#pragma once
#include "CloudColumns.h"

#include <QList>
#include <QString>
#include <functional>
#include <map>
#include <memory>

class Database;
class KVCloud;
class KVGlobal;
class Table;

// A cursor of the outbox's or the conflicts' own over a local table, made and opened on first
// use: the rows they look up never move the row a page or a list is on.
Table& OwnCursor(std::unique_ptr<Table>& cursor, Database& db, const QString& table);

// The records of this device that other units have not received yet: every automatic push goes
// through here. A record is written down (local table outbox) with the units it is meant for
// before anything is sent, and each unit is crossed off once its inbox holds the record; what
// cannot be sent (no connection, a lost session, a server error) waits for the next periodic
// check or download button. Oldest first, each target unit once, with the values the record holds
// when it is finally sent; a record stored again while waiting keeps its place.
//
// A record that had to wait stays open to conflicts for a while after it was sent (settling): a
// unit that comes back at about the same time with its own offline version of the same record
// then finds a conflict on both sides instead of silently swapping versions.
class CloudOutbox {
public:
    CloudOutbox(KVGlobal& g, KVCloud& cloud);
    ~CloudOutbox();
    CloudOutbox(const CloudOutbox&) = delete;
    CloudOutbox& operator=(const CloudOutbox&) = delete;

    // The automatic push of a record just stored here: written down for every target unit, and
    // sent at once while the connection is open (the push never connects). A conflict copy is not
    // sent. True when no target unit waits for the record any more.
    bool Send(CloudKind kind, const QString& id);
    // Writes the record down for every target unit. One already waiting keeps its place, takes
    // the units it lacks, and is sent with its own values again (no longer a copy's). settle: keep
    // it open to conflicts for a while after it was sent.
    void Queue(CloudKind kind, const QString& id, bool settle);
    // Sends what waits, oldest first, while the connection is open. A server error on one unit
    // leaves that unit waiting and goes on; a lost session stops. Returns the number of records
    // that reached their last unit.
    int Deliver();
    // Sends this one record now when the connection is open; true when no unit waits for it.
    bool DeliverNow(CloudKind kind, const QString& id);

    // Records that some target unit still waits for.
    int Waiting();
    // Whether the record holds a change of this device that another unit may not have seen: it
    // waits, or it was sent late less than settleSeconds ago.
    bool HoldsChange(CloudKind kind, const QString& id);
    // After a conflict the record holds the other unit's version and copy this device's own:
    // what still waits goes out with the copy's values, under the record's id.
    void HandOver(CloudKind kind, const QString& id, const QString& copy);
    // The source of a waiting record: its own id, or the conflict copy handed over; empty when
    // nothing is written down for it.
    QString SourceOf(CloudKind kind, const QString& id);

    // The units a record is meant for now: the active slots 0..SyncUnits (all eleven while the
    // units have not been counted), without the own unit.
    QList<int> Targets();

    // Seconds that a record sent late stays open to conflicts.
    int settleSeconds = 600;
    // Called when the number of waiting records may have changed.
    std::function<void()> Changed;
    // Called after the record reached the inbox of this unit.
    std::function<void(CloudKind kind, const QString& id, int unit)> Delivered;

private:
    struct Entry;
    Table& entries();
    Table& records(CloudKind kind);
    bool readEntry(const QString& rec, Entry* e);
    void queue(CloudKind kind, const QString& id, bool settle, const QString& error);
    bool online() const;
    // Sends one entry to the units it still waits for; true when none is left.
    bool deliver(const QString& rec);
    void purgeSettled();
    void changed() const;

    KVGlobal& g;
    KVCloud& cloud;
    std::unique_ptr<Table> m_entries;
    std::map<CloudKind, std::unique_ptr<Table>> m_records;
};
