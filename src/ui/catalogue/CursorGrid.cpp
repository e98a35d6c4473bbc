#include "CursorGrid.h"

#include "CatalogueIcons.h"
#include "app/KVGlobal.h"
#include "app/KVWidgets.h"
#include "catalogue/CursorModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

CursorGridView::CursorGridView(const QString& objectName, CursorModel* model, QWidget* parent)
    : QTableView(parent), m_model(model)
{
    setObjectName(objectName);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    setAlternatingRowColors(true);
    setCornerButtonEnabled(false);
    // Every row has the same height, so the view never measures rows it does not show.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() * 2);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The model comes after the row height: a height set later is applied to every row one by one.
    setModel(model);

    connect(horizontalHeader(), &QHeaderView::sectionClicked, model, &CursorModel::HeaderClick);
    connect(model, &CursorModel::CurrentRowChanged, this, &CursorGridView::followCursor);
    connect(model, &QAbstractItemModel::modelReset, this, [this] { followCursor(m_model->CurrentRow()); });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (!m_following && current.isValid())
            m_model->SetCurrentRow(current.row());
    });
    stretchColumns();
}

void CursorGridView::followCursor(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    m_following = true;
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
    m_following = false;
}

std::pair<int, int> CursorGridView::SelectedRange() const
{
    int first = -1, last = -1;
    for (const QItemSelectionRange& r : selectionModel()->selection()) {
        if (!r.isValid())
            continue;
        first = first < 0 ? r.top() : std::min(first, r.top());
        last = std::max(last, r.bottom());
    }
    if (first < 0) {
        first = last = m_model->CurrentRow();
    }
    return {first, last};
}

void CursorGridView::SelectRows(int first, int last)
{
    const int n = m_model->rowCount();
    first = std::max(first, 0);
    last = std::min(last, n - 1);
    if (n == 0 || last < first) {
        selectionModel()->clearSelection();
        return;
    }
    const QItemSelection sel(m_model->index(first, 0), m_model->index(last, m_model->columnCount() - 1));
    selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void CursorGridView::SelectAllRows() { SelectRows(0, m_model->rowCount() - 1); }

void CursorGridView::resizeEvent(QResizeEvent* e)
{
    QTableView::resizeEvent(e);
    stretchColumns();
}

void CursorGridView::showEvent(QShowEvent* e)
{
    QTableView::showEvent(e);
    // Once the list is on the screen, in the pause before the user's first click or keystroke.
    QTimer::singleShot(0, m_model, &CursorModel::PrepareOrders);
}

void CursorGridView::mouseDoubleClickEvent(QMouseEvent* e)
{
    QTableView::mouseDoubleClickEvent(e);
    const QModelIndex index = indexAt(e->position().toPoint());
    if (index.isValid())
        emit rowActivated(index.row());
}

void CursorGridView::stretchColumns()
{
    const QList<GridColumn>& cols = m_model->gridColumns();
    int design = 0;
    for (const GridColumn& c : cols)
        design += c.width;
    const int available = viewport()->width();
    if (design <= 0 || available <= 0)
        return;
    int used = 0;
    for (int i = 0; i < cols.size(); ++i) {
        const int w = i + 1 == cols.size() ? available - used : cols[i].width * available / design;
        setColumnWidth(i, w);
        used += w;
    }
}

// ---------------------------------------------------------------------------------------------

CursorNavigator::CursorNavigator(const QString& objectName, CursorModel* model, KVGlobal& g, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(objectName);
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(0);
    const struct {
        const char* name;
        CatalogueIcon icon;
        void (CursorModel::*move)();
    } buttons[] = {
        {"First", CatalogueIcon::First, &CursorModel::First},
        {"Prior", CatalogueIcon::Prior, &CursorModel::Prior},
        {"Next", CatalogueIcon::Next, &CursorModel::Next},
        {"Last", CatalogueIcon::Last, &CursorModel::Last},
        {"Delete", CatalogueIcon::Remove, nullptr},
    };
    for (const auto& b : buttons) {
        auto* button = new KVSpeedButton(objectName + QLatin1String(b.name), QLatin1String(b.name), this);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        ShowAsIcon(button, b.icon, QColor(0x1F, 0x4E, 0x79));
        h->addWidget(button);
        if (b.move)
            connect(button, &QToolButton::clicked, model, b.move);
        else
            connect(button, &QToolButton::clicked, model, [model, &g] { model->DeleteCurrent(g.seams); });
    }
}

// ---------------------------------------------------------------------------------------------

CursorGrid::CursorGrid(const QString& code, CursorModel* model, KVGlobal& g, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CursorGrid") + code);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(6, 6, 6, 0);
    v->setSpacing(4);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("SearchEdit") + code);
    m_search->setClearButtonEnabled(true);
    m_search->addAction(MakeCatalogueIcon(CatalogueIcon::Search, QColor(0x88, 0x88, 0x88)), QLineEdit::LeadingPosition);
    v->addWidget(m_search);
    v->addWidget(new CursorNavigator(QStringLiteral("BindNavigator") + code, model, g, this));
    m_grid = new CursorGridView(QStringLiteral("FNCGrid") + code, model, this);
    v->addWidget(m_grid, 1);
    connect(m_search, &QLineEdit::textChanged, model, &CursorModel::Search);
}
