#pragma once
#include <QDate>
#include <QTime>

// Times of a day on the day page and the decimal hours of the ticket (1.5 = 1 h 30 min).
namespace DayMath {

// hour + minute / 60; seconds are ignored.
double HoursOf(const QTime& time);
// The time of day of x hours: hour = x truncated, minute = the fraction times 60 rounded
// (halves to even). Values outside a day are held at 0:00 and 23:59.
QTime TimeOfHours(double x);

// The "+" and "-" of a time field: 30 minutes on, wrapping past midnight; 30 minutes back,
// unless the time is below half an hour.
QTime StepUp(const QTime& time);
QTime StepDown(const QTime& time);
// The "+" and "-" of the kilometres: one on or back, within 0 .. 10000.
int StepKilometers(int km, int delta);
constexpr int MaxKilometers = 10000;

// The date proposed for weekday day (1 Monday .. 7 Sunday) in the Monday-to-Sunday week of today.
QDate ProposedDate(const QDate& today, int day);

} // namespace DayMath
