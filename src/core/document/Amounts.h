#pragma once
#include <QString>

class KVGlobal;

// Fills WeekTotals, WeekAmounts, TotalEx, VatAmount and TotalInc of g from the current ticket.
// Nothing is rounded here; the values are rounded only when they become text.
void ComputeTicketTotals(KVGlobal& g);

// Decimal hours as a time: "07:30" below 24 hours, "40:30" or "24:06" from 24 hours on.
// Minutes that round up to 60 are carried into the next hour.
QString TimeText(double hours);

// An amount with exactly two decimals, after rounding to 8 significant digits, with the
// locale's decimal separator and no thousands separator; scientific from 10^8 on.
QString AmountText(double value);
