#pragma once
#include "PartCatalogue.h"

#include <QAbstractListModel>
#include <optional>

class KVGlobal;
struct TOnderdeel;

// The list view of the parts-list page: one item per line of the list shown, in line order,
// plus the empty item the add button appends until the part page confirms it. Its item count
// is the list's count; it reaches the ticket when a line is confirmed or the page is left.
class PartsLineModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { CaptionRole = Qt::DisplayRole, DescriptionRole = Qt::UserRole + 1, BadgeRole };
    struct Item {
        QString caption;     // omschr
        QString description; // bestelnr
        QString badge;       // "3 x"
    };

    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void Fill(const QList<Item>& items);
    void Append(const Item& item);
    void RemoveAt(int index);
    int count() const { return int(m_items.size()); }
    const Item& item(int index) const { return m_items.at(index); }

    static Item ItemOf(const TOnderdeel& line);

private:
    QList<Item> m_items;
};

// What the part page's buttons lead to.
enum class PartPageExit { PartsList, Catalogue };

// The parts lines of the current ticket and the part page they share with the parts
// catalogue. Works on the state flags of KVGlobal (CurrentList, LineIndex, AddingLine,
// CatalogueMode, NewCataloguePart) and on the list view's model.
class PartsLines {
public:
    explicit PartsLines(KVGlobal& g) : m_g(g) {}

    PartsLineModel& model() { return m_model; }

    // Title of the list page for list 1 ("Gebruikt") or list 2 ("Benodigd"), translated.
    QString Title(int list) const;
    // The maximum number of lines of a list (INST/maxgebruikt, INST/maxnodig).
    int Maximum(int list) const;

    // Fills the list view from the ticket's list and makes it the current list.
    void FillPartsList(int list);

    // The add button: appends an empty item and returns true (the parts catalogue is to be
    // shown to choose a part), or shows the maximum message and returns false.
    bool AddLine();

    // Opens line index of the current list on the part page. Empty for a negative index.
    std::optional<PartForm> OpenLine(int index);

    // Deletes line index of the current list: the following lines move up and the item
    // leaves the list view. The count reaches the ticket later.
    void DeleteLine(int index);

    // The list page is left ("OK" or "Terug"): the count of the current list is taken from the
    // list view. The ticket is then stored by the caller.
    void TakeCount();

    // The catalogue's "Laden" and add button, as far as they concern the part page.
    PartForm LoadFromCatalogue();
    PartForm NewCataloguePart();

    // "OK" on the part page: the line of the ticket (when choosing for a ticket) and the
    // catalogue get the page's values. Returns the page to show next; for the parts list the
    // list view has been filled again.
    PartPageExit ConfirmPart(const PartForm& form);

    // "Terug" on the part page; drops the line the add button appended.
    PartPageExit LeavePartPage();

    // "Terug" on the parts catalogue: true when it leads to the main page (catalogue
    // maintenance), false when it leads back to the parts list (the pending line dropped).
    bool LeaveCatalogue();

private:
    TOnderdeel& line(int list, int index);
    int& count(int list);
    void dropPendingLine();

    KVGlobal& m_g;
    PartsLineModel m_model;
    // The line opened by a double-click, as it was when opened: the catalogue part it came
    // from is found by these values when the page is confirmed.
    struct Origin { QString bestelnr, omschr; };
    std::optional<Origin> m_origin;
};
