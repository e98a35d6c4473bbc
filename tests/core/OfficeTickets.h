#pragma once
// Stored tickets for the tests of the export and the report, and the independent reader.
#include "TestSupport.h"
#include "app/SettingsStore.h"
#include "document/Amounts.h"
#include "store/LocalStore.h"
#include "store/Table.h"
#include "ticket/TicketOps.h"

#include <QJsonDocument>
#include <QJsonValue>
#include <QProcess>
#include <QTemporaryFile>
#include <gtest/gtest.h>
#include <initializer_list>

namespace office {

// A state with the installed database opened and the document built, as after start-up.
struct StoreApp : TestApp {
    explicit StoreApp(Edition edition = Edition::Dutch) : TestApp(edition)
    {
        ReadSettings(*g);
        EXPECT_TRUE(OpenDatabase(*g));
    }
};

// What a test ticket holds; everything else stays as "+" leaves it.
struct TicketSpec {
    QString datum, client, location;
    double work = 0, overtime = 0, travel = 0; // per day, on Monday and Tuesday
    int km = 0;                                // per day, on Monday and Tuesday
    QList<TOnderdeel> used, needed;
    double rate = 45, overtimeRate = 60, travelRate = 40, kmRate = 0.35, vat = 21;
    bool prijsinc = false, autocomp = true, signed_ = false;
};

inline TOnderdeel Part(const QString& nr, int aantal, double prijs, const QString& omschr = {})
{
    TOnderdeel l;
    l.bestelnr = nr;
    l.aantal = aantal;
    l.omschr = omschr.isEmpty() ? QStringLiteral("Onderdeel ") + nr : omschr;
    l.prijs = prijs;
    l.bedrag = aantal * prijs;
    return l;
}

// Starts, fills and stores a ticket; returns its id.
inline QString StoreTicket(KVGlobal& g, const TicketSpec& s)
{
    NewBon(g);
    TBon& b = g.bon;
    b.datum = s.datum;
    b.opdrachtgever = s.client;
    b.werklocatie = s.location;
    for (int d : {1, 2}) {
        b.werk[d] = s.work;
        b.over[d] = s.overtime;
        b.reis[d] = s.travel;
        b.km[d] = s.km;
    }
    b.numodd = int(s.used.size());
    for (int k = 0; k < s.used.size(); ++k)
        b.gebruikt[k + 1] = s.used[k];
    b.numnodig = int(s.needed.size());
    for (int k = 0; k < s.needed.size(); ++k)
        b.benodigd[k + 1] = s.needed[k];
    b.uurprijswerk = s.rate;
    b.uurprijsover = s.overtimeRate;
    b.uurprijsreis = s.travelRate;
    b.kmprijs = s.kmRate;
    b.percob = s.vat;
    b.prijsinc = s.prijsinc;
    b.autocomp = s.autocomp;
    b.ondertekend = s.signed_;
    StoreBon(g);
    return b.id;
}

// The totals the ticket's own document shows, from the stored row.
struct DocumentTotals {
    double ex = 0, vat = 0, inc = 0, work = 0, overtime = 0, travel = 0, km = 0;
};
inline DocumentTotals TotalsOf(KVGlobal& g, const QString& id)
{
    EXPECT_TRUE(LoadBon(g, id).found);
    ComputeTicketTotals(g);
    return {g.TotalEx, g.VatAmount, g.TotalInc, g.WeekTotals[1], g.WeekTotals[2], g.WeekTotals[3], g.WeekTotals[4]};
}

// Runs a Python program with Debian's own interpreter (which has csv and openpyxl) on a file
// (its arguments after the program) and returns what it prints as JSON.
inline QJsonDocument ReadWithPython(const char* program, const QStringList& args)
{
    QTemporaryFile script;
    EXPECT_TRUE(script.open());
    script.write(program);
    script.flush();
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), QStringList{script.fileName()} + args);
    EXPECT_TRUE(p.waitForFinished(60000));
    const QByteArray err = p.readAllStandardError();
    EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
    QJsonParseError e;
    const QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput(), &e);
    EXPECT_EQ(e.error, QJsonParseError::NoError) << err.toStdString();
    return doc;
}

} // namespace office
