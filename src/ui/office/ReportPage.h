#pragma once
#include "app/KVWidgets.h"
#include "office/TicketReport.h"

class KVGlobal;
class QChartView;
class QDateEdit;
class QTabBar;
class QTableView;
class ReportTableModel;
class TFMain;

// The page "Rapport" (TabItemRapport) of the side menu: a period (this week, this month, last
// month or a range of dates), the hours per client as a chart, a table per month and client
// with hours, distance and amounts, and the totals; "PDF" writes it as a one-page document.
class ReportPage : public KVPage {
    Q_OBJECT
public:
    explicit ReportPage(TFMain& w);

    // The side menu's "Rapport": computes the report for the chosen period and shows the page.
    void ListBoxItemRapportClick();
    // Computes the report again for the period the controls show, and shows it.
    void Refresh();
    // "PDF": the report as a PDF in the documents folder, and a message that says where.
    void SBRapportPDFClick();

    const TicketReportData& report() const { return m_report; }
    ReportPeriod ChosenPeriod() const;
    QTabBar* periods() const { return m_periods; }     // TabBarPeriode
    QDateEdit* from() const { return m_from; }         // DateEditVan
    QDateEdit* to() const { return m_to; }             // DateEditTot
    QChartView* chartView() const { return m_chart; }  // ChartRapport
    QTableView* table() const { return m_table; }      // GridRapport
    QLabel* totals() const { return m_totals; }        // LabelRapportTotalen

private:
    void showReport();
    void fillTable();
    QString totalsText() const;

    TFMain& m_w;
    KVGlobal& m_g;
    QTabBar* m_periods = nullptr;
    QWidget* m_range = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QChartView* m_chart = nullptr;
    QTableView* m_table = nullptr;
    ReportTableModel* m_rows = nullptr;
    QLabel* m_totals = nullptr;
    TicketReportData m_report;
};
