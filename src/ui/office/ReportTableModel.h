#pragma once
#include "office/TicketReport.h"

#include <QAbstractTableModel>
#include <QStringList>

class KVGlobal;

// The report's rows as the page's table shows them: month, client, tickets, the three kinds of
// hours, distance and the three amounts, one row per month and client and a bold last row with
// the totals. The texts are made when a row is painted, so a report of thousands of rows
// costs no more to show than the rows on screen.
class ReportTableModel : public QAbstractTableModel {
public:
    enum Column { Month, Client, Tickets, Work, Overtime, Travel, Distance, TotalEx, Vat, TotalInc, Columns };

    explicit ReportTableModel(const KVGlobal& g, QObject* parent = nullptr);

    // The report to show, and the headers in the current language and terms.
    void SetReport(const TicketReportData& report);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString text(const ReportRow& row, bool total, int column) const;

    const KVGlobal& m_g;
    TicketReportData m_report;
    QStringList m_headers;
    QString m_total;
};
