#include "TestSupport.h"
#include "document/Amounts.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {
TOnderdeel line(int aantal, double prijs)
{
    return {QStringLiteral("X"), aantal, QStringLiteral("part"), prijs, aantal * prijs};
}
}

// The examples of the amounts, as the sheet shows them.
TEST(Amounts, TicketTotals)
{
    struct Case {
        const char* name;
        std::function<void(KVGlobal&)> setup;
        const char *ex, *vat, *inc;
    };
    const Case cases[] = {
        {"prices include VAT, one used line 2 x 60.50",
         [](KVGlobal& g) { g.bon.prijsinc = true; g.bon.numodd = 1; g.bon.gebruikt[1] = line(2, 60.50); },
         "100,00", "21,00", "121,00"},
        {"prices exclude VAT, 8 work hours at 45.00",
         [](KVGlobal& g) { g.bon.werk[3] = 8; g.bon.uurprijswerk = 45; },
         "360,00", "75,60", "435,60"},
        {"a needed line never counts",
         [](KVGlobal& g) { g.MaxNeededRows() = 2; g.bon.numnodig = 1; g.bon.benodigd[1] = line(3, 100); },
         "0,00", "0,00", "0,00"},
        {"used lines count only while the sheet has a used section",
         [](KVGlobal& g) { g.MaxUsedRows() = 0; g.bon.numodd = 1; g.bon.gebruikt[1] = line(1, 50); },
         "0,00", "0,00", "0,00"},
        {"all four rates and two lines",
         [](KVGlobal& g) {
             for (int d = 1; d <= 7; ++d) { g.bon.werk[d] = 1.5; g.bon.over[d] = 0.25; g.bon.reis[d] = 0.5; g.bon.km[d] = 10; }
             g.bon.uurprijswerk = 40; g.bon.uurprijsover = 60; g.bon.uurprijsreis = 30; g.bon.kmprijs = 0.25;
             g.bon.numodd = 2; g.bon.gebruikt[1] = line(3, 1.99); g.bon.gebruikt[2] = line(1, 10);
         },
         "663,47", "139,33", "802,80"},
    };
    for (const Case& c : cases) {
        TestApp app(Edition::Dutch, false);
        KVGlobal& g = *app.g;
        g.bon.percob = 21;
        c.setup(g);
        ComputeTicketTotals(g);
        EXPECT_EQ(AmountText(g.TotalEx), QString::fromUtf8(c.ex)) << c.name;
        EXPECT_EQ(AmountText(g.VatAmount), QString::fromUtf8(c.vat)) << c.name;
        EXPECT_EQ(AmountText(g.TotalInc), QString::fromUtf8(c.inc)) << c.name;
    }
}

TEST(Amounts, WeekTotalsAndAmounts)
{
    TestApp app(Edition::Dutch, false);
    KVGlobal& g = *app.g;
    g.bon.werk = {0, 8, 8, 8, 8, 8, 1.75, 0};
    g.bon.over[2] = 2.5;
    g.bon.reis[1] = 0.25;
    g.bon.km = {0, 10, 20, 0, 0, 0, 0, 5};
    g.bon.uurprijswerk = 50;
    g.bon.uurprijsover = 75;
    g.bon.uurprijsreis = 40;
    g.bon.kmprijs = 0.5;
    g.WeekAmounts.fill(99); // a previous fill
    ComputeTicketTotals(g);
    EXPECT_DOUBLE_EQ(g.WeekTotals[1], 41.75);
    EXPECT_DOUBLE_EQ(g.WeekTotals[2], 2.5);
    EXPECT_DOUBLE_EQ(g.WeekTotals[3], 0.25);
    EXPECT_DOUBLE_EQ(g.WeekTotals[4], 35);
    EXPECT_DOUBLE_EQ(g.WeekAmounts[1], 2087.5);
    EXPECT_DOUBLE_EQ(g.WeekAmounts[2], 187.5);
    EXPECT_DOUBLE_EQ(g.WeekAmounts[3], 10);
    EXPECT_DOUBLE_EQ(g.WeekAmounts[4], 17.5);
    EXPECT_DOUBLE_EQ(g.TotalEx, 2302.5);
    EXPECT_EQ(TimeText(g.WeekTotals[1]), QStringLiteral("41:45"));
}

TEST(Amounts, TimeText)
{
    const std::pair<double, const char*> cases[] = {
        {0, "00:00"}, {0.25, "00:15"}, {7.5, "07:30"}, {23.75, "23:45"}, {24, "24:00"}, {41.75, "41:45"},
        {40.5, "40:30"}, {24.1, "24:06"}, {100 + 59.0 / 60, "100:59"},
        {0.1 + 0.2, "00:18"},             // floating-point noise does not show
        {23.9999, "24:00"}, {9.995, "10:00"}, {47.999, "48:00"}, // 60 minutes carry into the hour
        {-1.5, "-01:30"},
    };
    for (const auto& [hours, text] : cases)
        EXPECT_EQ(TimeText(hours), QString::fromUtf8(text)) << hours;
}

TEST(Amounts, AmountText)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0,00"}, {360, "360,00"}, {75.6, "75,60"}, {435.6, "435,60"}, {1234.5, "1234,50"},
        {0.125, "0,13"}, {2.675, "2,68"}, {1.005, "1,01"}, // decimal halves round up, as on paper
        {0.004, "0,00"}, {0.006, "0,01"}, {-3.5, "-3,50"}, {-0.001, "0,00"}, {99.999, "100,00"},
        {1234567.891, "1234567,90"}, {12345678.9, "12345679,00"}, // eight significant digits
        {100.0 / 121 * 21, "17,36"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(AmountText(value), QString::fromUtf8(text)) << value;
    for (double big : {1e8, 123456789.0, 99999999.5, -2.5e9}) {
        const QString t = AmountText(big);
        EXPECT_TRUE(t.contains(QLatin1Char('e'))) << big << " " << t.toStdString();
        EXPECT_FALSE(t.contains(QLatin1Char('.'))) << t.toStdString();
    }
}

TEST(Amounts, TheLocaleGivesTheSeparator)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(AmountText(1234.5), QStringLiteral("1234.50"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(AmountText(1234.5), QStringLiteral("1234,50"));
    QLocale::setDefault(saved);
}
