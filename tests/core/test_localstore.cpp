#include "TestSupport.h"
#include "app/KVError.h"
#include "store/Database.h"
#include "store/LocalStore.h"
#include "store/Table.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

// Statements run on the database file through a connection of their own, as another program
// (or an older version) would have left it.
void ExecOnFile(const QString& path, const QStringList& statements)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        raw.setDatabaseName(path);
        ASSERT_TRUE(raw.open());
        for (const QString& s : statements) {
            QSqlQuery q(raw);
            ASSERT_TRUE(q.exec(s)) << s.toStdString() << ": " << q.lastError().text().toStdString();
        }
    }
    QSqlDatabase::removeDatabase(name);
}

// "name TYPE" of every column, in table order.
QStringList ColumnsOf(Database& db, const QString& table)
{
    QSqlQuery q(db.connection());
    q.prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?)"));
    q.addBindValue(table);
    EXPECT_TRUE(q.exec());
    QStringList out;
    while (q.next())
        out << q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString();
    return out;
}

QVariant ScalarOn(Database& db, const QString& sql, const QVariantList& binds = {})
{
    QSqlQuery q(db.connection());
    q.prepare(sql);
    for (const QVariant& b : binds)
        q.addBindValue(b);
    EXPECT_TRUE(q.exec()) << q.lastError().text().toStdString();
    return q.next() ? q.value(0) : QVariant();
}

class LocalStoreTest : public ::testing::Test {
protected:
    LocalStoreTest()
    {
        app.g->ids.IdLocation = "L";
        app.g->ids.IdMachine = "M";
        app.g->ids.IdUser = "KV";
    }
    KVGlobal& g() { return *app.g; }
    QString dbPath() { return g().DatabasePath(); }
    void Prepare(const QStringList& statements) { ExecOnFile(dbPath(), statements); }
    TestApp app;
};

TEST_F(LocalStoreTest, OldestFormGainsExactlyTheAddedColumnsOnceAndSortIndexes)
{
    QStringList bon, client, part;
    {
        Database probe;
        probe.Open(dbPath());
        bon = ColumnsOf(probe, "bon");
        client = ColumnsOf(probe, "opdrachtgever");
        part = ColumnsOf(probe, "onderdeel");
    }
    ASSERT_TRUE(OpenDatabase(g()));
    EXPECT_TRUE(app.rec.messages.isEmpty());

    const QStringList bonAdded = QString("foto1 CHAR(50)|foto2 CHAR(50)|foto3 CHAR(50)|foto4 CHAR(50)|numfoto INT(2)|"
                                         "ondertekend BOOLEAN|code CHAR(15)|werkzh BLOB_TEXT|opm BLOB_TEXT|adres CHAR(50)|"
                                         "pcplaats CHAR(50)|uurprijswerk FLOAT(10,2)|uurprijsover FLOAT(10,2)|"
                                         "uurprijsreis FLOAT(10,2)|kmprijs FLOAT(10,2)|percob FLOAT(10,2)|autocomp BOOLEAN|"
                                         "prijsinc BOOLEAN|monteur CHAR(50)|handtekening2 BLOB|numnodig INT(2)|"
                                         "desc1 CHAR(100)|desc2 CHAR(100)|desc3 CHAR(100)|desc4 CHAR(100)|synced BOOLEAN")
                                     .split('|');
    const QStringList clientAdded = QString("adres CHAR(50)|pc CHAR(50)|plaats CHAR(50)|land CHAR(50)|btwnr CHAR(15)|"
                                            "debnr CHAR(15)|telnr CHAR(15)|mobnr CHAR(15)|uurprijswerk FLOAT(10,2)|"
                                            "uurprijsover FLOAT(10,2)|uurprijsreis FLOAT(10,2)|kmprijs FLOAT(10,2)|"
                                            "percob FLOAT(10,2)|autocomp BOOLEAN|prijsinc BOOLEAN|synced BOOLEAN")
                                        .split('|');
    EXPECT_EQ(bonAdded.size() + clientAdded.size() + 1, 43);
    EXPECT_EQ(ColumnsOf(g().db(), "bon"), bon + bonAdded);
    EXPECT_EQ(ColumnsOf(g().db(), "opdrachtgever"), client + clientAdded);
    EXPECT_EQ(ColumnsOf(g().db(), "onderdeel"), part + QStringList{"synced BOOLEAN"});

    QStringList indexed;
    QSqlQuery q(g().db().connection());
    ASSERT_TRUE(q.exec("SELECT m.tbl_name, i.name FROM sqlite_master m, pragma_index_info(m.name) i WHERE m.type = 'index' ORDER BY 1, 2"));
    while (q.next())
        indexed << q.value(0).toString() + '.' + q.value(1).toString();
    // The sort indexes, the partial indexes of the rows the start-up repairs look at, the index
    // on the date key (an expression: no column name), the keys of the outbox and the conflict
    // copies, and those of the local template table.
    EXPECT_EQ(indexed, QString("bon. bon.bonnr bon.datum bon.id bon.id bon.opdrachtgever bon.werkzh1 conflicts.copy "
                               "onderdeel.bestelnr onderdeel.id onderdeel.id onderdeel.omschr opdrachtgever.contactpers "
                               "opdrachtgever.id opdrachtgever.id opdrachtgever.naam outbox.rec sjabloon.id sjabloon.naam")
                           .split(' '));
    q.finish();

    // The next start adds nothing.
    const QStringList after = ColumnsOf(g().db(), "bon");
    // A second run of the program on the same documents folder.
    KVGlobal second(Edition::Dutch, app.docs.path());
    app.rec.Attach(second);
    ASSERT_TRUE(OpenDatabase(second));
    EXPECT_EQ(ColumnsOf(second.db(), "bon"), after);
    EXPECT_EQ(ColumnsOf(second.db(), "opdrachtgever").size(), client.size() + 16);
    EXPECT_EQ(ColumnsOf(second.db(), "onderdeel").size(), part.size() + 1);
}

TEST_F(LocalStoreTest, RepairIdsKeepsFifteenCharacterIdsAndReplacesTheOthers)
{
    Prepare({"INSERT INTO bon (id, bonnr) VALUES (17, '1-1')",
             "INSERT INTO bon (id, bonnr) VALUES (NULL, '1-2')",
             "INSERT INTO bon (id, bonnr) VALUES ('LMKVL2FDjU6300', '1-3')",   // 14
             "INSERT INTO bon (id, bonnr) VALUES ('LMKVL2FDjU630011', '1-4')", // 16
             "INSERT INTO bon (id, bonnr) VALUES ('ABCDEFGHIJKLMNO', '1-5')",
             "INSERT INTO bon (id, bonnr) VALUES ('ÀBCDEFGHIJKLMNÖ', '1-6')",  // 15 characters, 17 bytes
             "INSERT INTO bon (id, bonnr) VALUES (123456789012345, '1-7')",    // a number of 15 digits
             "INSERT INTO bon (id, bonnr) VALUES ('ÀBCDEFGHIJKLM', '1-8')",    // 13 characters, 15 bytes
             "INSERT INTO opdrachtgever (id, naam) VALUES (5, 'Bakker')",
             "INSERT INTO opdrachtgever (id, naam) VALUES ('zzzzzzzzzzzzzzz', 'Aalders')",
             "INSERT INTO onderdeel (id, omschr) VALUES ('', 'buis')"});
    ASSERT_TRUE(OpenDatabase(g()));
    auto idOf = [&](const char* table, const char* column, const char* value) {
        return ScalarOn(g().db(), QStringLiteral("SELECT id FROM %1 WHERE %2 = ?").arg(table, column), {value}).toString();
    };
    // bon, then clients, then parts, each in the order the rows were stored; one counter for the run.
    EXPECT_EQ(idOf("bon", "bonnr", "1-1"), "LMKVL2FDjU63001");
    EXPECT_EQ(idOf("bon", "bonnr", "1-2"), "LMKVL2FDjU63002");
    EXPECT_EQ(idOf("bon", "bonnr", "1-3"), "LMKVL2FDjU63003");
    EXPECT_EQ(idOf("bon", "bonnr", "1-4"), "LMKVL2FDjU63004");
    EXPECT_EQ(idOf("bon", "bonnr", "1-5"), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(idOf("bon", "bonnr", "1-6"), "ÀBCDEFGHIJKLMNÖ");
    EXPECT_EQ(idOf("bon", "bonnr", "1-7"), "123456789012345");
    EXPECT_EQ(idOf("bon", "bonnr", "1-8"), "LMKVL2FDjU63005");
    EXPECT_EQ(idOf("opdrachtgever", "naam", "Aalders"), "zzzzzzzzzzzzzzz");
    EXPECT_EQ(idOf("opdrachtgever", "naam", "Bakker"), "LMKVL2FDjU63006");
    EXPECT_EQ(idOf("onderdeel", "omschr", "buis"), "LMKVL2FDjU63007");
    EXPECT_EQ(ScalarOn(g().db(), "SELECT COUNT(*) FROM bon").toInt(), 8);

    // Rows an older version adds later are found at the next start, old descriptions too.
    g().db().Close();
    Prepare({"INSERT INTO opdrachtgever (id, naam) VALUES (NULL, 'Claes')",
             "INSERT INTO bon (id, bonnr, werkzh1) VALUES ('ABCDEFGHIJKLMN2', '1-9', 'oud')"});
    KVGlobal next(Edition::Dutch, app.docs.path());
    app.rec.Attach(next);
    next.ids = IdState{"L", "M", "KV", 0};
    ASSERT_TRUE(OpenDatabase(next));
    EXPECT_EQ(ScalarOn(next.db(), "SELECT id FROM opdrachtgever WHERE naam = 'Claes'").toString(), "LMKVL2FDjU63001");
    EXPECT_EQ(ScalarOn(next.db(), "SELECT werkzh FROM bon WHERE bonnr = '1-9'").toString(), "oud\r\n\r\n");
}

TEST_F(LocalStoreTest, MigrateWorkDescriptionMovesTheTwoOldLines)
{
    Prepare({"INSERT INTO bon (id, bonnr, werkzh1, werkzh2) VALUES ('AAAAAAAAAAAAAA1', '1-1', 'a', NULL)",
             "INSERT INTO bon (id, bonnr, werkzh1, werkzh2) VALUES ('AAAAAAAAAAAAAA2', '1-2', '', 'b')",
             "INSERT INTO bon (id, bonnr, werkzh1, werkzh2) VALUES ('AAAAAAAAAAAAAA3', '1-3', 'x', 'y')",
             "INSERT INTO bon (id, bonnr, werkzh1, werkzh2) VALUES ('AAAAAAAAAAAAAA4', '1-4', '', NULL)"});
    // A later version wrote werkzh on rows 3 and 4 already.
    {
        Database db;
        db.Open(dbPath());
        Table hulp(db, "bon");
        hulp.ExecSQL("ALTER TABLE bon ADD werkzh BLOB_TEXT");
        hulp.ExecSQL("UPDATE bon SET werkzh = 'old' WHERE bonnr IN ('1-3', '1-4')");
    }
    ASSERT_TRUE(OpenDatabase(g()));
    Table& bon = g().BonTable();
    struct Case {
        const char* bonnr;
        const char* werkzh;
    };
    for (const Case& c : {Case{"1-1", "a\r\n\r\n"}, Case{"1-2", "\r\nb\r\n"}, Case{"1-3", "x\r\ny\r\n"}, Case{"1-4", "old"}}) {
        ASSERT_TRUE(bon.Locate("bonnr", c.bonnr));
        EXPECT_EQ(bon.AsString("werkzh"), c.werkzh) << c.bonnr;
        EXPECT_EQ(bon.AsString("werkzh1"), "") << c.bonnr;
        EXPECT_EQ(bon.AsString("werkzh2"), "") << c.bonnr;
    }
}

TEST(Renumber, TicketNumbers)
{
    struct Case {
        const char* bonnr;
        const char* datum;
        const char* result;
    };
    const Case cases[] = {
        {"1-7", "15-02-2021", "1-20210007"},
        {"3-12", "01-01-2020", "3-20200012"},
        {"3-1234", "01-01-2020", "3-20201234"},
        {"1-20210007", "15-02-2021", "1-20210007"}, // already converted
        {"3-12345", "01-01-2020", "3-12345"},       // five-character tail
        {"17", "15-02-2021", "17"},                 // no hyphen
        {"", "15-02-2021", ""},
        {"-5", "15-02-2021", "-20210005"},
        {"1-", "15-02-2021", "1-20210000"},
        {"1-1-1", "15-02-2021", "1-202101-1"},
        {"1-7", "", "1-7"},           // no year to put in: left for a later start
        {"1-7", "2021-02-15", "1-7"}, // not a DD-MM-YYYY date
    };
    for (const Case& c : cases)
        EXPECT_EQ(RenumberedBonnr(c.bonnr, c.datum), QLatin1String(c.result)) << c.bonnr << " " << c.datum;
}

TEST_F(LocalStoreTest, RenumberTicketsRunsOnlyWithCorrectieAndConvertsEveryOldNumberAtOnce)
{
    QStringList inserts;
    for (int n = 1; n <= 30; ++n)
        inserts << QStringLiteral("INSERT INTO bon (id, bonnr, datum) VALUES ('AAAAAAAAAAAA%1', '2-%2', '15-02-2021')").arg(n, 3, 10, QLatin1Char('0')).arg(n);
    Prepare(inserts);
    {
        KVGlobal off(Edition::Dutch, app.docs.path());
        app.rec.Attach(off);
        ASSERT_TRUE(OpenDatabase(off));
        EXPECT_EQ(ScalarOn(off.db(), "SELECT COUNT(*) FROM bon WHERE bonnr LIKE '2-2021%'").toInt(), 0);
    }
    g().settings.inst.correctie = true;
    ASSERT_TRUE(OpenDatabase(g()));
    EXPECT_EQ(ScalarOn(g().db(), "SELECT COUNT(*) FROM bon WHERE length(bonnr) = 10 AND bonnr LIKE '2-2021%'").toInt(), 30);
    EXPECT_EQ(ScalarOn(g().db(), "SELECT bonnr FROM bon WHERE id = 'AAAAAAAAAAAA012'").toString(), "2-20210012");
}

TEST_F(LocalStoreTest, NewRowsGetIdentifiersFromTheRowEvents)
{
    ASSERT_TRUE(OpenDatabase(g()));
    Table& bon = g().BonTable();
    bon.Append();
    EXPECT_EQ(bon.AsString("id"), "LMKVL2FDjU63001");
    EXPECT_TRUE(bon.IsNull("handtekening"));
    EXPECT_TRUE(bon.IsNull("handtekening2"));
    bon.SetString("bonnr", "1-20200001");
    bon.Post();
    for (Table* t : {&g().OpdrachtgeverTable(), &g().OnderdeelTable()}) {
        t->Append();
        t->Post();
        EXPECT_EQ(t->AsString("id").length(), 15);
    }
    EXPECT_EQ(g().OnderdeelTable().AsString("id"), "LMKVL2FDjU63003");
    // A clock before 2000 makes every new row fail, and nothing is added.
    app.rec.clock = QDateTime(QDate(1999, 12, 31), QTime(12, 0));
    try {
        g().OnderdeelTable().Append();
        ADD_FAILURE() << "no error";
    } catch (const KVError& e) {
        EXPECT_EQ(e.text(), "ID overflow 65535 ");
    }
    EXPECT_EQ(g().OnderdeelTable().RecordCount(), 1);
}

TEST_F(LocalStoreTest, AFolderNameWithUriCharactersOpens)
{
    const QString folder = app.docs.file("100% mijn #docs?");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(dbPath(), folder + "/kolvarn.db3"));
    KVGlobal other(Edition::Dutch, folder);
    app.rec.Attach(other);
    EXPECT_TRUE(OpenDatabase(other));
    EXPECT_TRUE(app.rec.messages.isEmpty()) << app.rec.messages.join('\n').toStdString();
    EXPECT_FALSE(QFile::exists(app.docs.file("100% mijn ")));
}

// ------------------------------------------------------------------ failures

TEST(LocalStoreFailure, MissingFileIsReportedAndNotCreatedAndTheStoresStayClosed)
{
    TestApp app(Edition::Dutch, false);
    KVGlobal& g = *app.g;
    EXPECT_FALSE(OpenDatabase(g));
    EXPECT_EQ(app.rec.messages, QStringList{g.DatabasePath() + " opent niet. ontbrekend"});
    EXPECT_FALSE(QFile::exists(g.DatabasePath()));
    EXPECT_FALSE(g.BonTable().IsOpen());
    EXPECT_THROW(g.BonTable().First(), KVError);
    EXPECT_THROW(g.OpdrachtgeverTable().Append(), KVError);
    EXPECT_THROW(g.OnderdeelTable().Locate("id", "x"), KVError);
    EXPECT_THROW(g.HulpTable().Open(), KVError);
}

TEST(LocalStoreFailure, PresentButUnusableFilesAreReportedAndLeftAsTheyWere)
{
    struct Case {
        const char* name;
        QStringList damage;     // statements on the installed file
        const char* replacement; // or a file of this content instead
    };
    const Case cases[] = {
        {"not a database", {}, "SQLite format 2? no, just a text file\n"},
        {"empty file", {}, ""},
        {"table missing", {"DROP TABLE onderdeel"}, nullptr},
        {"sort column missing", {"ALTER TABLE opdrachtgever DROP COLUMN naam"}, nullptr},
        {"id column missing", {"ALTER TABLE onderdeel DROP COLUMN id"}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestApp app;
        KVGlobal& g = *app.g;
        ExecOnFile(g.DatabasePath(), QStringList{"INSERT INTO bon (id, bonnr) VALUES ('17', '1-7')"} + c.damage);
        if (c.replacement)
            app.docs.WriteFile("kolvarn.db3", c.replacement);
        const QByteArray before = app.docs.ReadFile("kolvarn.db3");

        EXPECT_FALSE(OpenDatabase(g));
        EXPECT_EQ(app.rec.messages, QStringList{g.DatabasePath() + " opent niet. aanwezig"});
        EXPECT_FALSE(g.db().IsOpen());
        EXPECT_THROW(g.BonTable().Locate("id", "17"), KVError);
        if (c.replacement)
            EXPECT_EQ(app.docs.ReadFile("kolvarn.db3"), before);
    }
}

TEST(LocalStoreFailure, AFailingStepKeepsWhatWasStored)
{
    // A missing table ends the upgrade: the columns added before it are rolled back.
    TestApp missing;
    ExecOnFile(missing.g->DatabasePath(), {"DROP TABLE onderdeel", "INSERT INTO bon (id, bonnr) VALUES ('ABCDEFGHIJKLMNO', '1-1')"});
    EXPECT_FALSE(OpenDatabase(*missing.g));
    {
        Database db;
        db.Open(missing.g->DatabasePath());
        EXPECT_EQ(ColumnsOf(db, "bon").filter(QRegularExpression("^foto1 ")).size(), 0);
        EXPECT_EQ(ScalarOn(db, "SELECT id FROM bon").toString(), "ABCDEFGHIJKLMNO");
    }

    // A clock before 2000 ends the identifier repair: no id is half-repaired.
    TestApp app;
    app.g->ids = IdState{"L", "M", "KV", 0};
    app.rec.clock = QDateTime(QDate(1999, 1, 1), QTime(0, 0));
    ExecOnFile(app.g->DatabasePath(), {"INSERT INTO bon (id, bonnr) VALUES ('ABCDEFGHIJKLMNO', '1-1')", "INSERT INTO bon (id, bonnr) VALUES (17, '1-2')"});
    EXPECT_FALSE(OpenDatabase(*app.g));
    EXPECT_EQ(app.rec.messages, QStringList{app.g->DatabasePath() + " opent niet. aanwezig"});
    Database db;
    db.Open(app.g->DatabasePath());
    EXPECT_EQ(ScalarOn(db, "SELECT id FROM bon WHERE bonnr = '1-2'").toString(), "17");
    EXPECT_EQ(ScalarOn(db, "SELECT COUNT(*) FROM bon").toInt(), 2);
}

TEST(LocalStoreFailure, ATicketTableLackingAPlainBaseColumnOpensAndFailsOnThatColumnOnly)
{
    TestApp app;
    app.g->ids = IdState{"L", "M", "KV", 0};
    ExecOnFile(app.g->DatabasePath(), {"ALTER TABLE bon DROP COLUMN km7", "INSERT INTO bon (id, bonnr) VALUES ('ABCDEFGHIJKLMNO', '1-1')"});
    ASSERT_TRUE(OpenDatabase(*app.g));
    Table& bon = app.g->BonTable();
    ASSERT_TRUE(bon.Locate("id", "ABCDEFGHIJKLMNO"));
    EXPECT_THROW(bon.AsInteger("km7"), KVError);
    bon.Edit();
    bon.SetString("projectnr", "P1");
    EXPECT_THROW(bon.SetInteger("km7", 12), KVError);
    bon.Cancel();
    EXPECT_EQ(bon.AsString("projectnr"), "");
}

}
