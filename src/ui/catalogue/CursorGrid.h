#pragma once
#include <QTableView>
#include <QWidget>
#include <utility>

class CursorModel;
class KVGlobal;
class QLineEdit;
class QToolButton;

// The grid of a list page (FNCGrid..): whole-row selection in contiguous blocks, read-only
// cells, header clicks that change the cursor's order, and the design column widths stretched
// to the grid's width. Moving in the grid moves the cursor and the reverse.
class CursorGridView : public QTableView {
    Q_OBJECT
public:
    CursorGridView(const QString& objectName, CursorModel* model, QWidget* parent = nullptr);
    CursorModel* cursorModel() const { return m_model; }

    // The selected block of rows (0-based, inclusive); the current row when nothing is
    // selected, and (-1, -1) on an empty grid.
    std::pair<int, int> SelectedRange() const;
    // Selects rows first..last as one block.
    void SelectRows(int first, int last);
    // Every data row.
    void SelectAllRows();

signals:
    // A double-click or double tap on a row.
    void rowActivated(int row);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    void followCursor(int row);
    void stretchColumns();
    CursorModel* m_model;
    bool m_following = false;
};

// The record navigator (BindNavigator..): first, prior, next, last and delete.
class CursorNavigator : public QWidget {
    Q_OBJECT
public:
    CursorNavigator(const QString& objectName, CursorModel* model, KVGlobal& g, QWidget* parent = nullptr);
};

// Search field, navigator and grid of a list page, one above the other.
class CursorGrid : public QWidget {
    Q_OBJECT
public:
    // code is the grid's suffix: "OG", "OD" or "KV" (SearchEditOG, BindNavigatorOG, FNCGridOG).
    CursorGrid(const QString& code, CursorModel* model, KVGlobal& g, QWidget* parent = nullptr);
    CursorGridView* grid() const { return m_grid; }
    QLineEdit* searchEdit() const { return m_search; }

private:
    CursorGridView* m_grid;
    QLineEdit* m_search;
};
