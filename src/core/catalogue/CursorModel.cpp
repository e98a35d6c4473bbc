#include "CursorModel.h"

#include "app/KVJargon.h"
#include "app/Seams.h"
#include "store/Database.h"
#include "store/Table.h"

CursorModel::CursorModel(Table& table, QList<GridColumn> columns, KVJargon& jargon, Database* db, QObject* parent)
    : QAbstractTableModel(parent), m_table(table), m_columns(std::move(columns)), m_jargon(jargon), m_db(db),
      m_alive(&table), m_captions(&jargon)
{
    for (const GridColumn& c : m_columns)
        m_jargon.Register(c.captionName, c.header);
    connect(&m_jargon, &KVJargon::CaptionChanged, this, [this](const QString& name) {
        for (int i = 0; i < m_columns.size(); ++i)
            if (m_columns[i].captionName == name)
                emit headerDataChanged(Qt::Horizontal, i, i);
    });
    connect(&m_table, &Table::RowsChanged, this, &CursorModel::onRowsChanged);
    connect(&m_table, &Table::CurrentChanged, this, [this](int position) {
        if (!m_batch)
            emit CurrentRowChanged(position);
    });
}

bool CursorModel::isOpen() const { return m_alive && m_table.IsOpen(); }

int CursorModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !isOpen() ? 0 : m_table.RecordCount();
}

int CursorModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_columns.size()); }

QVariant CursorModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || !isOpen())
        return {};
    const QVariant v = m_table.ValueAt(index.row(), m_columns[index.column()].field);
    return v.isNull() ? QString() : v.toString();
}

QVariant CursorModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < m_columns.size()) {
        if (role == Qt::DisplayRole)
            return m_captions ? m_captions->Caption(m_columns[section].captionName) : m_columns[section].header;
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        return {};
    }
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return section + 1; // data rows are numbered from 1
    return {};
}

Qt::ItemFlags CursorModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

int CursorModel::CurrentRow() const { return isOpen() ? m_table.RecNo() : -1; }

void CursorModel::SetCurrentRow(int row)
{
    if (isOpen() && row >= 0 && row < m_table.RecordCount() && row != m_table.RecNo())
        m_table.MoveTo(row);
}

void CursorModel::HeaderClick(int section)
{
    if (section < 0 || section >= m_columns.size() || m_columns[section].sortKey.isEmpty() || !isOpen())
        return;
    m_table.SetSortColumn(m_columns[section].sortKey);
}

void CursorModel::PrepareOrders()
{
    if (!isOpen())
        return;
    m_table.PrepareOrder(m_table.SortColumn());
    for (const GridColumn& c : m_columns)
        if (!c.sortKey.isEmpty())
            m_table.PrepareOrder(c.sortKey);
}

void CursorModel::Search(const QString& text)
{
    if (!isOpen() || m_table.IsEmpty())
        return;
    if (text.isEmpty())
        m_table.First();
    else
        m_table.FindNearest(text);
}

void CursorModel::First() { if (isOpen() && !m_table.IsEmpty()) m_table.First(); }
void CursorModel::Prior() { if (isOpen() && !m_table.IsEmpty()) m_table.Prior(); }
void CursorModel::Next() { if (isOpen() && !m_table.IsEmpty()) m_table.Next(); }
void CursorModel::Last() { if (isOpen() && !m_table.IsEmpty()) m_table.Last(); }

void CursorModel::DeleteCurrent(const Seams& seams)
{
    if (!isOpen() || m_table.IsEmpty())
        return;
    // The row asked about is the one deleted, whatever happened while the question was open.
    const qint64 asked = m_table.CurrentRowId();
    if (seams.Confirm(QStringLiteral("Delete record?")) && isOpen() && m_table.GotoRowId(asked))
        m_table.Delete();
}

void CursorModel::DeleteRows(int first, int last)
{
    if (!isOpen() || first < 0 || first >= m_table.RecordCount())
        return;
    m_table.MoveTo(first);
    if (last < first)
        return;
    last = std::min(last, m_table.RecordCount() - 1);
    Batch([&] {
        // Each deletion makes the following row current, so the block goes and nothing else.
        for (int n = last - first + 1; n > 0; --n)
            m_table.Delete();
    });
}

void CursorModel::Batch(const std::function<void()>& changes)
{
    m_batch = true;
    beginResetModel();
    try {
        if (m_db && m_db->IsOpen())
            m_db->InTransaction(changes);
        else
            changes();
    } catch (...) {
        m_batch = false;
        endResetModel();
        throw;
    }
    m_batch = false;
    endResetModel();
    emit CurrentRowChanged(CurrentRow());
}

void CursorModel::Refresh()
{
    beginResetModel();
    endResetModel();
    emit CurrentRowChanged(CurrentRow());
}

void CursorModel::onRowsChanged()
{
    if (m_batch)
        return;
    Refresh();
}
