#include "ReportTableModel.h"

#include "app/KVGlobal.h"
#include "app/Language.h"
#include "document/Amounts.h"

#include <QColor>
#include <QFont>

ReportTableModel::ReportTableModel(const KVGlobal& g, QObject* parent) : QAbstractTableModel(parent), m_g(g) {}

void ReportTableModel::SetReport(const TicketReportData& report)
{
    auto caption = [this](const char* name) { return CapitalizeFirst(m_g.jargon.Caption(QLatin1String(name))); };
    beginResetModel();
    m_report = report;
    m_total = m_g.Translate(QStringLiteral("Totaal"));
    m_headers = {m_g.Translate(QStringLiteral("Maand")), caption("ListBoxItemOpdrachtgever"),
                 m_g.Translate(QStringLiteral("Bonnen")), caption("ListBoxItemWerktijd"),
                 caption("ListBoxItemOverwerk"), caption("ListBoxItemReistijd"),
                 m_g.settings.branche.afstand, m_total + QStringLiteral(" Ex"),
                 m_g.Translate(QStringLiteral("BTW")), m_total + QStringLiteral(" Inc")};
    endResetModel();
}

int ReportTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_report.rows.size()) + 1;
}

int ReportTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Columns; }

QString ReportTableModel::text(const ReportRow& r, bool total, int column) const
{
    switch (column) {
    case Month: return total ? m_total : TicketReport::MonthText(m_g, r.month);
    case Client: return total ? QString() : r.client;
    case Tickets: return QString::number(r.tickets);
    case Work: return TimeText(r.work);
    case Overtime: return TimeText(r.overtime);
    case Travel: return TimeText(r.travel);
    case Distance: return QString::number(r.distance);
    case TotalEx: return AmountText(r.totalEx);
    case Vat: return AmountText(r.vat);
    case TotalInc: return AmountText(r.totalInc);
    }
    return QString();
}

QVariant ReportTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() > m_report.rows.size())
        return {};
    const bool total = index.row() == m_report.rows.size();
    switch (role) {
    case Qt::DisplayRole:
        return text(total ? m_report.totals : m_report.rows[index.row()], total, index.column());
    case Qt::TextAlignmentRole:
        return int(Qt::AlignVCenter | (index.column() >= Tickets ? Qt::AlignRight : Qt::AlignLeft));
    case Qt::FontRole:
        if (total) {
            QFont f;
            f.setBold(true);
            return f;
        }
        return {};
    case Qt::BackgroundRole:
        return total ? QVariant(QColor(0xF5, 0xF5, 0xF5)) : QVariant();
    }
    return {};
}

QVariant ReportTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_headers.size())
        return m_headers[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}
