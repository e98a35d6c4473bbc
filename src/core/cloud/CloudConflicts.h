#pragma once
#include "CloudColumns.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class KVCloud;
class KVGlobal;
class Table;

// A record that another unit changed while this device had a change of its own not yet seen
// there: the record holds the other unit's version (as every download stores it), and a copy
// with a fresh id holds this device's own. Clients and parts show the copy with a mark after
// their name or description, tickets after their number.
struct CloudConflict {
    CloudKind kind = CloudKind::Clients;
    QString copy;   // id of the copy: this device's version
    QString record; // id of the record: the version that came in
    QDateTime created;
    QString title;  // name, description or ticket number, without the mark
};

// One column in which the two versions differ, as text to show.
struct ConflictField {
    QString column;
    QString mine, theirs;
};

enum class ConflictChoice {
    KeepMine,   // the record takes this device's version; the copy goes
    KeepTheirs, // the record keeps the version that came in; the copy goes
    KeepBoth,   // the copy becomes a record of its own, without the mark
};

// The conflict copies of this device (local table conflicts). Nothing of them travels: a copy
// is never sent, and the marks are local. The user's choice is sent as any change is: the
// record that survives (and, keeping both, the former copy) goes to every target unit, so that
// the units settle on it.
class CloudConflicts {
public:
    CloudConflicts(KVGlobal& g, KVCloud& cloud);
    ~CloudConflicts();
    CloudConflicts(const CloudConflicts&) = delete;
    CloudConflicts& operator=(const CloudConflicts&) = delete;

    // Called by the download before a cloud row overwrites the local record with the same id;
    // local is on that record and is left anywhere. incoming holds, per column of the kind, the
    // value about to be stored (invalid where the column is not taken over). When the record
    // holds a change of this device that the other unit cannot have seen and the versions
    // differ, the local version is kept as a copy. An incoming version equal to a copy of this
    // record ends that conflict: the copy is no longer needed.
    void BeforeOverwrite(CloudKind kind, Table& local, const QString& id, const std::vector<QVariant>& incoming);

    bool IsCopy(CloudKind kind, const QString& id);
    int Count();
    // Oldest first. Conflicts whose copy was deleted meanwhile are forgotten.
    QList<CloudConflict> List();
    // The columns that travel and differ between the copy and the record.
    QList<ConflictField> Differences(const CloudConflict& conflict);
    // Carries out the user's choice here, in one local transaction, and sends the outcome.
    void Resolve(const CloudConflict& conflict, ConflictChoice choice);

    // The column that carries the mark: "naam", "omschr", "bonnr".
    static QString MarkedColumn(CloudKind kind);
    // The mark appended to it.
    static QString Mark();
    // The value without the mark where column is the marked one; else the value itself.
    static QVariant Unmarked(CloudKind kind, const QString& column, const QVariant& value);

    // Called when the number of conflicts may have changed.
    std::function<void()> Changed;

private:
    Table& conflicts();
    Table& records(CloudKind kind);
    // The row's values in the columns taken over, brought into the form the download stores.
    bool sameAsIncoming(CloudKind kind, Table& row, bool unmark, const std::vector<QVariant>& incoming);
    QString keepCopy(CloudKind kind, Table& local, const QString& id);
    void forget(const QString& copy);
    void changed() const;

    KVGlobal& g;
    KVCloud& cloud;
    std::unique_ptr<Table> m_conflicts;
    std::map<CloudKind, std::unique_ptr<Table>> m_records;
};
