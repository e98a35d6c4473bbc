#include "TestSupport.h"
#include "app/KVError.h"
#include "ticket/DayMath.h"
#include "ticket/TicketOps.h"

#include <gtest/gtest.h>

using namespace DayMath;

TEST(DayMath, HoursAndTimesConvertBothWays)
{
    const struct {
        double hours;
        QTime time;
    } cases[] = {
        {0, QTime(0, 0)},   {7.5, QTime(7, 30)},  {1.25, QTime(1, 15)}, {0.1, QTime(0, 6)},
        {23.5, QTime(23, 30)}, {8.75, QTime(8, 45)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TimeOfHours(c.hours), c.time) << c.hours;
        EXPECT_DOUBLE_EQ(HoursOf(c.time), c.hours) << c.time.toString().toStdString();
    }
    // Seconds are ignored; the minutes are rounded to the nearest.
    EXPECT_DOUBLE_EQ(HoursOf(QTime(2, 30, 59)), 2.5);
    EXPECT_EQ(TimeOfHours(1 + 1.4 / 60), QTime(1, 1));
    EXPECT_EQ(TimeOfHours(1 + 1.6 / 60), QTime(1, 2));
    EXPECT_EQ(TimeOfHours(7.9999), QTime(8, 0));         // 60 minutes carry into the hour
    // Stored values outside a day do not make an invalid time.
    EXPECT_EQ(TimeOfHours(30), QTime(23, 59));
    EXPECT_EQ(TimeOfHours(-2), QTime(0, 0));
}

TEST(DayMath, TimeSteppersWrapAndStop)
{
    EXPECT_EQ(StepUp(QTime(23, 30)), QTime(0, 0));
    EXPECT_EQ(StepUp(QTime(23, 45)), QTime(0, 15));
    EXPECT_EQ(StepUp(QTime(7, 0)), QTime(7, 30));
    EXPECT_EQ(StepDown(QTime(0, 20)), QTime(0, 20));
    EXPECT_EQ(StepDown(QTime(0, 45)), QTime(0, 15));
    EXPECT_EQ(StepDown(QTime(0, 30)), QTime(0, 0));
    EXPECT_EQ(StepKilometers(0, -1), 0);
    EXPECT_EQ(StepKilometers(10000, 1), 10000);
    EXPECT_EQ(StepKilometers(12, 1), 13);
}

TEST(DayMath, ProposedDateIsThatWeekdayOfThisWeek)
{
    const QDate wednesday(2021, 3, 3);
    EXPECT_EQ(ProposedDate(wednesday, 5), QDate(2021, 3, 5));
    EXPECT_EQ(ProposedDate(wednesday, 1), QDate(2021, 3, 1));
    EXPECT_EQ(ProposedDate(wednesday, 7), QDate(2021, 3, 7));
    // On a Sunday, Monday is six days back.
    EXPECT_EQ(ProposedDate(QDate(2021, 3, 7), 1), QDate(2021, 3, 1));
}

TEST(ParseDatum, ReadsDayMonthYearAndRefusesOtherForms)
{
    EXPECT_EQ(ParseDatum("05-03-2021"), QDate(2021, 3, 5));
    EXPECT_EQ(ParseDatum("31/12/1999"), QDate(1999, 12, 31)); // only the positions count
    EXPECT_EQ(FormatDatum(QDate(2021, 3, 5)), "05-03-2021");
    for (const char* bad : {"2021-03-05", "5-3-2021", "", "31-02-2021", "ab-cd-efgh", "05-03-21"})
        EXPECT_THROW(ParseDatum(QString::fromLatin1(bad)), KVError) << bad;
}

TEST(TicketText, TypeSummaryFollowsCaptionsAndOwnNames)
{
    TestApp app(Edition::Dutch, false);
    KVGlobal& g = *app.g;
    g.bon.tw[1] = g.bon.tw[4] = true;
    EXPECT_EQ(TypeSummary(g), "Regie Meerwerk ");
    g.bon.tw[8] = true;
    g.bon.twd[8] = QStringLiteral("Storing");
    g.jargon.SetCaption(QStringLiteral("ListBoxItemRegie"), QStringLiteral("Uurloon"));
    EXPECT_EQ(TypeSummary(g), "Uurloon Meerwerk Storing ");
    EXPECT_EQ(TypeText(g, 7), "");
}

TEST(TicketText, LinesAreStoredWithCrLfAfterEachLine)
{
    EXPECT_EQ(JoinLines({"a", "b"}), "a\r\nb\r\n");
    EXPECT_EQ(JoinLines({}), "");
    for (const QStringList& lines : {QStringList{"a", "", "ë€"}, QStringList{}, QStringList{""}, QStringList{"x", ""}})
        EXPECT_EQ(SplitLines(JoinLines(lines)), lines) << lines.join('|').toStdString();
    EXPECT_EQ(SplitLines("a\nb\rc"), (QStringList{"a", "b", "c"}));
}

TEST(TicketText, MaximaWidenForALoadedTicket)
{
    Settings s;
    s.inst.maxgebruikt = 8;
    s.inst.maxnodig = 5;
    EXPECT_TRUE(AdjustMaxima(s, 10, 0));
    EXPECT_EQ(s.inst.maxgebruikt, 10);
    EXPECT_EQ(s.inst.maxnodig, 3);
    EXPECT_FALSE(AdjustMaxima(s, 10, 0));
    EXPECT_TRUE(AdjustMaxima(s, 2, 6));
    EXPECT_EQ(s.inst.maxgebruikt, 7);
    EXPECT_EQ(s.inst.maxnodig, 6);
}
