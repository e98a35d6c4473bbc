#include "TestSupport.h"
#include "app/KVError.h"
#include "store/Database.h"
#include "store/Table.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <algorithm>
#include <optional>
#include <random>
#include <gtest/gtest.h>

namespace {

// A scratch database file made through a connection of its own, then opened as the program
// opens its file.
class TableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Create({QStringLiteral("CREATE TABLE t (id VARCHAR(15), naam VARCHAR(100), n INTEGER, x FLOAT, b BOOLEAN, img BLOB)")});
        db.Open(docs.file(QStringLiteral("kolvarn.db3")));
    }

    void Create(const QStringList& statements)
    {
        const QString name = QUuid::createUuid().toString();
        {
            QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            raw.setDatabaseName(docs.file(QStringLiteral("kolvarn.db3")));
            ASSERT_TRUE(raw.open());
            for (const QString& s : statements) {
                QSqlQuery q(raw);
                ASSERT_TRUE(q.exec(s)) << q.lastError().text().toStdString();
            }
        }
        QSqlDatabase::removeDatabase(name);
    }

    // Rows straight into the file, bypassing the cursor.
    void Insert(const QString& id, const QVariant& naam, const QVariant& n = {})
    {
        QSqlQuery q(db.connection());
        q.prepare(QStringLiteral("INSERT INTO t (id, naam, n) VALUES (?, ?, ?)"));
        q.addBindValue(id);
        q.addBindValue(naam);
        q.addBindValue(n);
        ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    }

    static QStringList Walk(Table& t, const char* column = "id")
    {
        QStringList seen;
        for (t.First(); !t.Eof(); t.Next())
            seen << t.AsString(QLatin1String(column));
        return seen;
    }

    TempDocs docs;
    Database db;
};

TEST_F(TableTest, OrdersBySortColumnThenRowidWithNullsFirstAndResortsAtRunTime)
{
    Insert("r1", "b", 3);
    Insert("r2", {}, 1);
    Insert("r3", "a", 2);
    Insert("r4", "b", 1);
    Insert("r5", "B", {});
    Table t(db, "t", "naam");
    t.Open();
    EXPECT_EQ(t.RecordCount(), 5);
    EXPECT_EQ(Walk(t), QStringList({"r2", "r5", "r3", "r1", "r4"})); // binary: "B" < "a"
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(t.AsString("id"), "r4") << "past the end the last row stays current";

    // Re-sorting keeps the current row current, now at its place in the new order.
    ASSERT_TRUE(t.Locate("id", "r3"));
    t.SetSortColumn("N"); // names compare without regard to case
    EXPECT_EQ(t.SortColumn(), "n");
    EXPECT_EQ(t.AsString("id"), "r3");
    EXPECT_EQ(t.RecNo(), 3);
    EXPECT_EQ(Walk(t), QStringList({"r5", "r2", "r4", "r3", "r1"}));

    QStringList back;
    for (t.Last(); !t.Bof(); t.Prior())
        back << t.AsString("id");
    EXPECT_EQ(back, QStringList({"r1", "r3", "r4", "r2", "r5"}));

    t.SetSortColumn(QString());
    EXPECT_EQ(Walk(t), QStringList({"r1", "r2", "r3", "r4", "r5"}));
}

TEST_F(TableTest, LocateIsExactAndFindNearestTakesTheFirstKeyNotSmaller)
{
    Insert("LMKVL2FDjU63001", "Bakker");
    Insert("lmkvl2fdju63001", "Jansen");
    Insert("LMKVL2FDjU63003", "Jansen");
    Insert("LMKVL2FDjU63004", "Pieters");
    Table t(db, "t", "naam");
    t.Open();

    ASSERT_TRUE(t.Locate("id", "lmkvl2fdju63001"));
    EXPECT_EQ(t.AsString("naam"), "Jansen");
    ASSERT_TRUE(t.Locate("ID", "LMKVL2FDjU63001"));
    EXPECT_EQ(t.AsString("naam"), "Bakker");
    EXPECT_FALSE(t.Locate("id", "LMKVL2FDJU63001"));
    EXPECT_EQ(t.AsString("naam"), "Bakker") << "a failed locate leaves the current row";

    struct Case {
        const char* text;
        const char* id;
        int position;
    };
    const Case cases[] = {
        {"Jansen", "lmkvl2fdju63001", 1}, // equal key: the first of the equal rows
        {"Jan", "lmkvl2fdju63001", 1},
        {"C", "lmkvl2fdju63001", 1},
        {"A", "LMKVL2FDjU63001", 0},
        {"Zwart", "LMKVL2FDjU63004", 3}, // every key smaller: the last row
        {"", "LMKVL2FDjU63001", 0},       // empty text: the first row
    };
    for (const Case& c : cases) {
        t.FindNearest(QLatin1String(c.text));
        EXPECT_EQ(t.AsString("id"), QLatin1String(c.id)) << c.text;
        EXPECT_EQ(t.RecNo(), c.position) << c.text;
        EXPECT_FALSE(t.Eof()) << c.text;
    }
}

TEST_F(TableTest, TypedReadingAndWritingRoundTrip)
{
    Table t(db, "t", "naam");
    t.Open();
    // Never in SQL text: quotes, semicolons and comment marks are plain data.
    const QString nasty = QStringLiteral("O'Brien \"quoted\"; DROP TABLE t; -- ë ü € ß");
    const QString longText = QString(1 << 20, QLatin1Char('x')) + QStringLiteral("end");
    QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    t.Append();
    t.SetString("id", "a");
    t.SetString("naam", nasty);
    t.SetInteger("n", 9007199254740993LL);
    t.SetFloat("x", 1.5);
    t.SetBoolean("b", true);
    t.SetBytes("img", png);
    t.Post();
    t.Append();
    t.SetString("id", "b");
    t.SetString("naam", longText);
    t.Post();

    ASSERT_TRUE(t.Locate("naam", nasty));
    EXPECT_EQ(t.AsString("naam"), nasty);
    EXPECT_EQ(t.AsInteger("n"), 9007199254740993LL);
    EXPECT_DOUBLE_EQ(t.AsFloat("x"), 1.5);
    EXPECT_TRUE(t.AsBoolean("b"));
    EXPECT_EQ(t.AsBytes("img"), png);
    EXPECT_EQ(t.AsString("n"), "9007199254740993");
    EXPECT_EQ(t.AsInteger("x"), 2);

    ASSERT_TRUE(t.Locate("id", "b"));
    EXPECT_EQ(t.AsString("naam"), longText);
    // Nulls read as empty text, 0 and false.
    EXPECT_TRUE(t.IsNull("n"));
    EXPECT_EQ(t.AsString("n"), "");
    EXPECT_EQ(t.AsInteger("n"), 0);
    EXPECT_EQ(t.AsFloat("x"), 0.0);
    EXPECT_FALSE(t.AsBoolean("b"));
    EXPECT_TRUE(t.AsBytes("img").isEmpty());
    EXPECT_EQ(t.RecordCount(), 2);
}

TEST_F(TableTest, TextInNumberColumnsConvertsOrFailsClearly)
{
    Table t(db, "t", "naam");
    t.Open();
    t.Append();
    t.SetString("naam", " 12 "); // text affinity keeps it as text
    t.SetString("img", "true");  // no affinity: stays text
    t.Post();
    EXPECT_EQ(t.AsInteger("naam"), 12);
    EXPECT_DOUBLE_EQ(t.AsFloat("naam"), 12.0);
    EXPECT_TRUE(t.AsBoolean("naam"));
    EXPECT_TRUE(t.AsBoolean("img"));
    t.Edit();
    t.SetString("naam", "abc");
    t.SetString("n", "7"); // integer affinity makes it a number
    t.Post();
    EXPECT_EQ(t.Value("n").typeId(), QMetaType::LongLong);
    EXPECT_THROW(t.AsInteger("naam"), KVError);
    EXPECT_THROW(t.AsFloat("naam"), KVError);
    EXPECT_THROW(t.AsBoolean("naam"), KVError);
    EXPECT_THROW(t.AsString("nope"), KVError);
}

TEST_F(TableTest, RowEventsRunInOrderAndTheirValuesArePosted)
{
    Table t(db, "t", "naam");
    t.Open();
    QStringList log;
    t.OnNewRecord = [&](Table& r) {
        log << QStringLiteral("new");
        r.SetString("id", "NEW");
    };
    t.AfterEdit = [&](Table& r) {
        log << QStringLiteral("edit");
        r.SetBoolean("b", false); // as a catalogue clears its synced flag
    };
    t.AfterPost = [&](Table& r) { log << QStringLiteral("post ") + r.AsString("id") + QLatin1Char(' ') + r.AsString("naam"); };

    t.Append();
    EXPECT_EQ(t.state(), Table::State::Insert);
    t.SetString("naam", "a");
    t.Post();
    EXPECT_EQ(t.state(), Table::State::Browse);
    t.Edit();
    t.SetString("naam", "b");
    t.Post();
    EXPECT_EQ(log, QStringList({"new", "post NEW a", "edit", "post NEW b"}));
    EXPECT_TRUE(t.IsNull("n"));
    EXPECT_FALSE(t.IsNull("b"));

    // A failing new-row handler ends the insertion: nothing is added, the old row is current.
    t.OnNewRecord = [](Table&) { throw KVError(QStringLiteral("ID overflow 65535 ")); };
    EXPECT_THROW(t.Append(), KVError);
    EXPECT_EQ(t.state(), Table::State::Browse);
    EXPECT_EQ(t.RecordCount(), 1);
    EXPECT_EQ(t.AsString("naam"), "b");
}

TEST_F(TableTest, EditCancelDeleteAndPendingChangesOnMoving)
{
    for (const char* k : {"a", "b", "c", "d"})
        Insert(QLatin1String(k), QLatin1String(k));
    Table t(db, "t", "naam");
    t.Open();
    EXPECT_THROW(t.SetString("naam", "x"), KVError) << "writing needs edit mode";

    t.MoveTo(1);
    t.Edit();
    t.SetString("naam", "zz");
    t.Cancel();
    EXPECT_EQ(t.AsString("naam"), "b");

    // Moving away from a modified row posts it; from an untouched new row cancels it.
    t.Edit();
    t.SetString("naam", "bb");
    t.Next();
    t.OnNewRecord = [](Table& r) { r.SetString("id", "untouched"); };
    t.Append();
    t.First();
    EXPECT_EQ(Walk(t, "naam"), QStringList({"a", "bb", "c", "d"}));

    // Delete makes the following row current; after the last, the new last one.
    t.MoveTo(1);
    t.Delete();
    EXPECT_EQ(t.AsString("naam"), "c");
    EXPECT_EQ(t.RecNo(), 1);
    t.Last();
    t.Delete();
    EXPECT_EQ(t.AsString("naam"), "c");
    t.Delete();
    t.Delete();
    EXPECT_EQ(t.RecordCount(), 0);
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(t.RecNo(), -1);
    EXPECT_EQ(t.AsString("naam"), "");
    EXPECT_THROW(t.Delete(), KVError);
}

TEST_F(TableTest, ClosedStoreAndBadNamesFailWithClearErrors)
{
    Table t(db, "t", "naam");
    EXPECT_THROW(t.First(), KVError) << "not yet open";
    Table missing(db, "geen", "naam");
    EXPECT_THROW(missing.Open(), KVError);
    Table badSort(db, "t", "nope");
    EXPECT_THROW(badSort.Open(), KVError);
    Table injected(db, "t; DROP TABLE t", QString());
    EXPECT_THROW(injected.Open(), KVError);

    t.Open();
    EXPECT_THROW(t.SetSortColumn("naam DESC"), KVError);
    EXPECT_THROW(t.Locate("naam = naam --", "x"), KVError);
    db.Close(); // closing the connection closes its cursors
    EXPECT_FALSE(t.IsOpen());
    for (const auto& op : std::vector<std::function<void()>>{
             [&] { t.First(); }, [&] { t.Open(); }, [&] { t.Append(); }, [&] { t.Locate("id", "a"); },
             [&] { t.RecordCount(); }, [&] { t.AsString("id"); }, [&] { t.ExecSQL("SELECT 1"); }}) {
        try {
            op();
            ADD_FAILURE() << "no error";
        } catch (const KVError& e) {
            EXPECT_TRUE(e.text().contains("not open")) << e.text().toStdString();
        }
    }
    EXPECT_EQ(t.ValueAt(0, "id"), QVariant());
}

TEST_F(TableTest, CursorsOverOneTableSeeEachOthersChangesAndRollback)
{
    Insert("a", "a");
    Table grid(db, "t", "naam");
    Table second(db, "t", QString());
    grid.Open();
    second.Open();
    int changes = 0;
    QObject::connect(&grid, &Table::RowsChanged, [&] { ++changes; });
    EXPECT_EQ(grid.RecordCount(), 1);

    second.Append();
    second.SetString("naam", "0");
    second.Post();
    EXPECT_GE(changes, 1);
    EXPECT_EQ(grid.RecordCount(), 2);
    EXPECT_EQ(grid.ValueAt(0, "naam").toString(), "0");
    EXPECT_EQ(grid.AsString("naam"), "a");
    EXPECT_EQ(grid.RecNo(), 1);

    EXPECT_THROW(db.InTransaction([&] {
        grid.Edit();
        grid.SetString("naam", "changed");
        grid.Post();
        throw KVError(QStringLiteral("later step failed"));
    }),
                 KVError);
    EXPECT_EQ(grid.AsString("naam"), "a") << "the cursor re-reads the rolled-back row";
    EXPECT_EQ(Walk(second, "naam"), QStringList({"a", "0"}));

    // The row under one cursor deleted through the other: moving on finds its neighbours.
    second.Append();
    second.SetString("naam", "b");
    second.Post();
    ASSERT_TRUE(grid.Locate("naam", "a"));
    ASSERT_TRUE(second.Locate("naam", "a"));
    second.Delete();
    grid.Next();
    EXPECT_EQ(grid.AsString("naam"), "b");
    grid.Prior();
    EXPECT_EQ(grid.AsString("naam"), "0");

    // A statement that changes the schema reaches open cursors.
    second.ExecSQL("ALTER TABLE t ADD extra CHAR(50)");
    EXPECT_TRUE(grid.HasColumn("EXTRA"));
}

TEST_F(TableTest, InsideATransactionOtherCursorsSeeChangesAtOnceAndReportOnceAtCommit)
{
    Insert("a", "a");
    Insert("c", "c");
    Table grid(db, "t", "naam");
    Table writer(db, "t", QString());
    grid.Open();
    writer.Open();
    ASSERT_TRUE(grid.Locate("naam", "c"));
    ASSERT_EQ(grid.RecNo(), 1);
    int rows = 0, moves = 0;
    QObject::connect(&grid, &Table::RowsChanged, [&] { ++rows; });
    QObject::connect(&grid, &Table::CurrentChanged, [&] { ++moves; });

    db.InTransaction([&] {
        for (const char* naam : {"b", "0", "d"}) {
            writer.Append();
            writer.SetString("naam", QLatin1String(naam));
            writer.Post();
        }
        ASSERT_TRUE(writer.Locate("naam", "a"));
        writer.Edit();
        writer.SetString("naam", "e");
        writer.Post();
        // The grid's cursor stays on its row and knows where that row now is.
        EXPECT_EQ(grid.AsString("naam"), "c");
        EXPECT_EQ(grid.RecNo(), 2);
        EXPECT_EQ(grid.RecordCount(), 5);
        EXPECT_EQ(grid.ValueAt(4, "naam").toString(), "e");
        EXPECT_EQ(rows + moves, 0) << "nothing is reported before the commit";
    });
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(moves, 0);

    // Outside a transaction each change is reported as it happens.
    writer.Append();
    writer.SetString("naam", "f");
    writer.Post();
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(grid.RecordCount(), 6);
}

// The window cache and the order index against a plain model of the table: random moves,
// searches, reads by position and changes, through the cursor and through a second one, over
// several hundred rows with duplicate and null keys.
TEST_F(TableTest, MatchesAModelUnderRandomOperations)
{
    struct Ref {
        qint64 rowid;
        QString id;
        std::optional<QString> naam;
        std::optional<qint64> n;
    };
    std::mt19937 rng(20210215);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    auto randomKey = [&] {
        QString s;
        for (int i = 0, len = 1 + pick(3); i < len; ++i)
            s += QLatin1Char(char('a' + pick(5)));
        return s;
    };
    std::vector<Ref> ref;
    db.InTransaction([&] {
        for (int i = 0; i < 600; ++i) {
            const QVariant naam = pick(10) == 0 ? QVariant() : QVariant(randomKey());
            const QVariant n = pick(10) == 0 ? QVariant() : QVariant(qint64(pick(50)));
            Insert(QStringLiteral("r%1").arg(i), naam, n);
            ref.push_back({i + 1, QStringLiteral("r%1").arg(i), naam.isNull() ? std::nullopt : std::optional(naam.toString()),
                           n.isNull() ? std::nullopt : std::optional(n.toLongLong())});
        }
    });
    int mode = 0; // 0 naam, 1 n, 2 rowid
    auto less = [&](const Ref& a, const Ref& b) {
        if (mode == 0 && a.naam != b.naam)
            return !a.naam || (b.naam && *a.naam < *b.naam);
        if (mode == 1 && a.n != b.n)
            return !a.n || (b.n && *a.n < *b.n);
        return a.rowid < b.rowid;
    };
    auto resort = [&] { std::sort(ref.begin(), ref.end(), less); };
    auto indexOf = [&](qint64 rowid) {
        return int(std::find_if(ref.begin(), ref.end(), [&](const Ref& r) { return r.rowid == rowid; }) - ref.begin());
    };
    resort();
    Table t(db, "t", "naam");
    t.Open();
    // A second cursor over the table, as the download has: its changes reach t's positions.
    Table other(db, "t", QString());
    other.Open();
    int next = 600;
    // One transaction, so that the test spends its time in the cursor, not in disk syncs.
    db.InTransaction([&] {
        for (int step = 0; step < 3000; ++step) {
            const int n = int(ref.size());
            const int op = pick(16);
            SCOPED_TRACE(testing::Message() << "step " << step << " op " << op);
            if (op == 0) {
                mode = pick(3);
                t.SetSortColumn(mode == 0 ? "naam" : mode == 1 ? "n" : "");
                resort();
            } else if (op <= 2) {
                t.MoveTo(pick(n));
            } else if (op == 3) {
                t.Next();
            } else if (op == 4) {
                t.Prior();
            } else if (op == 5 && mode != 2) {
                const QString text = mode == 0 ? randomKey() : QString::number(pick(55));
                t.FindNearest(text);
                auto it = std::find_if(ref.begin(), ref.end(), [&](const Ref& r) {
                    return mode == 0 ? (r.naam && *r.naam >= text) : (r.n && *r.n >= text.toLongLong());
                });
                ASSERT_EQ(t.RecNo(), it == ref.end() ? n - 1 : int(it - ref.begin()));
            } else if (op == 6) {
                const int p = pick(n + 2);
                const QVariant v = t.ValueAt(p, "id");
                ASSERT_EQ(v.toString(), p < n ? ref[p].id : QString());
            } else if (op == 7) {
                const int p = pick(n);
                ASSERT_TRUE(t.Locate("id", ref[p].id));
            } else if (op == 8) {
                t.Append();
                const QString id = QStringLiteral("r%1").arg(next++);
                const QString naam = randomKey();
                t.SetString("id", id);
                t.SetString("naam", naam);
                t.Post();
                ref.push_back({t.CurrentRowId(), id, naam, std::nullopt});
                resort();
            } else if (op == 9) {
                t.Edit();
                const QString naam = randomKey();
                const qint64 v = pick(50);
                t.SetString("naam", naam);
                t.SetInteger("n", v);
                t.Post();
                Ref& r = ref[indexOf(t.CurrentRowId())];
                r.naam = naam;
                r.n = v;
                resort();
            } else if (op == 10 && n > 1) {
                const int p = t.RecNo();
                t.Delete();
                ref.erase(ref.begin() + p);
                ASSERT_EQ(t.RecNo(), std::min(p, n - 2));
            } else if (op == 12) {
                other.Append();
                const QString id = QStringLiteral("r%1").arg(next++);
                const QString naam = randomKey();
                other.SetString("id", id);
                other.SetString("naam", naam);
                other.Post();
                ref.push_back({other.CurrentRowId(), id, naam, std::nullopt});
                resort();
            } else if (op == 13) {
                const int p = pick(n);
                ASSERT_TRUE(other.Locate("id", ref[p].id));
                other.Edit();
                const QString naam = randomKey();
                const qint64 v = pick(50);
                other.SetString("naam", naam);
                other.SetInteger("n", v);
                other.Post();
                ref[p].naam = naam;
                ref[p].n = v;
                resort();
            } else if (op == 15) {
                t.Refresh(); // forgets what the cursors share: positions are found afresh
            } else if (op == 14 && n > 1) {
                const int p = pick(n);
                ASSERT_TRUE(other.Locate("id", ref[p].id));
                other.Delete();
                ref.erase(ref.begin() + p);
            } else {
                ASSERT_EQ(t.RecordCount(), n);
            }
            ASSERT_EQ(int(ref.size()), t.RecordCount());
            const int p = t.RecNo();
            ASSERT_GE(p, 0);
            ASSERT_EQ(p, indexOf(t.CurrentRowId()));
            ASSERT_EQ(t.AsString("id"), ref[p].id);
        }
    });
}

}
