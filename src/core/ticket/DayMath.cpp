#include "DayMath.h"

#include <algorithm>
#include <cmath>

namespace DayMath {

double HoursOf(const QTime& time)
{
    if (!time.isValid())
        return 0;
    return time.hour() + time.minute() / 60.0;
}

QTime TimeOfHours(double x)
{
    if (!std::isfinite(x))
        return QTime(0, 0);
    const double hour = std::trunc(x);
    // nearbyint rounds halves to the even number in the default rounding mode.
    const double minute = std::nearbyint((x - hour) * 60.0);
    const double total = std::clamp(hour * 60.0 + minute, 0.0, 23.0 * 60 + 59);
    const int minutes = static_cast<int>(total);
    return QTime(minutes / 60, minutes % 60);
}

QTime StepUp(const QTime& time)
{
    return time.addSecs(30 * 60); // addSecs wraps around midnight
}

QTime StepDown(const QTime& time)
{
    if (HoursOf(time) < 0.5)
        return time;
    return time.addSecs(-30 * 60);
}

int StepKilometers(int km, int delta)
{
    return std::clamp(km + delta, 0, MaxKilometers);
}

QDate ProposedDate(const QDate& today, int day)
{
    return today.addDays(day - today.dayOfWeek());
}

} // namespace DayMath
