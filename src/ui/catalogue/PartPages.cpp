#include "PartPages.h"

#include "CatalogueIcons.h"
#include "CursorGrid.h"
#include "StepperBox.h"
#include "app/KVGlobal.h"
#include "app/KVWidgets.h"
#include "app/TFMain.h"
#include "catalogue/Composition.h"
#include "catalogue/CursorModel.h"
#include "store/Database.h"
#include "ticket/TicketEditor.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QScrollArea>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {
const QString kCatalogue = QStringLiteral("TabItemDBOnderdelen");
const QString kPart = QStringLiteral("TabItemOnderdeel");
const QString kLines = QStringLiteral("TabItemGB");
const QString kMain = QStringLiteral("TabItemMain");

// Narrows the parts lines shown to those whose caption or description holds the filter text.
class LineFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setText(const QString& text)
    {
        m_text = text;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        if (m_text.isEmpty())
            return true;
        const QModelIndex i = sourceModel()->index(row, 0, parent);
        return i.data(PartsLineModel::CaptionRole).toString().contains(m_text, Qt::CaseInsensitive)
            || i.data(PartsLineModel::DescriptionRole).toString().contains(m_text, Qt::CaseInsensitive);
    }

private:
    QString m_text;
};

// One parts line: the description as caption, the order number below it and the quantity
// badge on the right, on a silver background.
class LineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {option.rect.width(), option.fontMetrics.height() * 3};
    }
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect r = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        p->fillRect(r, selected ? QColor(0x9F, 0xB6, 0xCD) : QColor(0xC0, 0xC0, 0xC0));
        p->setPen(QColor(0xA8, 0xA8, 0xA8));
        p->drawLine(r.bottomLeft(), r.bottomRight());
        const int m = option.fontMetrics.height() / 2;
        const QString badge = index.data(PartsLineModel::BadgeRole).toString();
        const int badgeW = badge.isEmpty() ? 0 : option.fontMetrics.horizontalAdvance(badge) + 2 * m;
        const QRect text(r.left() + m, r.top(), r.width() - 3 * m - badgeW, r.height());
        QFont f = option.font;
        p->setFont(f);
        p->setPen(QColor(0x11, 0x11, 0x11));
        p->drawText(text.adjusted(0, 0, 0, -r.height() / 2), Qt::AlignLeft | Qt::AlignBottom,
                    option.fontMetrics.elidedText(index.data(PartsLineModel::CaptionRole).toString(), Qt::ElideRight, text.width()));
        f.setPointSizeF(f.pointSizeF() * 0.85);
        p->setFont(f);
        p->setPen(QColor(0x44, 0x44, 0x44));
        p->drawText(text.adjusted(0, r.height() / 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                    index.data(PartsLineModel::DescriptionRole).toString());
        if (badgeW > 0) {
            const QRect b(r.right() - m - badgeW, r.center().y() - option.fontMetrics.height() / 2 - 2, badgeW,
                          option.fontMetrics.height() + 4);
            p->setRenderHint(QPainter::Antialiasing);
            p->setPen(Qt::NoPen);
            p->setBrush(QColor(0x1F, 0x4E, 0x79));
            p->drawRoundedRect(b, b.height() / 2.0, b.height() / 2.0);
            p->setPen(Qt::white);
            p->drawText(b, Qt::AlignCenter, badge);
        }
    }
};

QLineEdit* edit(const QString& name)
{
    auto* e = new QLineEdit;
    e->setObjectName(name);
    return e;
}
} // namespace

PartPages::PartPages(TFMain& w) : QObject(&w), m_w(w), m_g(w.global()), m_partsLines(w.global())
{
    m_model = new CursorModel(m_g.OnderdeelTable(), PartCatalogue::GridColumns(), m_g.jargon, &m_g.db(), this);
    buildCataloguePage();
    buildPartPage();
    buildLinesPage();
    w.AddPage(m_lines);
    w.AddPage(m_part);
    w.AddPage(m_catalogue);
}

// ---- pages ---------------------------------------------------------------------------------

void PartPages::buildCataloguePage()
{
    KVJargon& j = m_g.jargon;
    m_catalogue = new KVPage(kCatalogue);
    BindCaption(j, m_catalogue->topBar()->title(), QStringLiteral("LabelDBOnderdeel"), QStringLiteral("Onderdelen"));
    auto* back = m_catalogue->topBar()->addLeft(QStringLiteral("SBDBOnderdeelTerug"), QString());
    BindCaption(j, back, QStringLiteral("SBDBOnderdeelTerug"), QStringLiteral("Terug"));
    auto* load = m_catalogue->topBar()->addRight(QStringLiteral("SBLoadOnderdeel"), QString());
    BindCaption(j, load, QStringLiteral("SBLoadOnderdeel"), QStringLiteral("Laden"));

    m_grid = new CursorGrid(QStringLiteral("OD"), m_model, m_g, m_catalogue->body());
    m_catalogue->bodyLayout()->addWidget(m_grid, 1);

    auto* del = AddIconButton(m_catalogue, j, QStringLiteral("SBDeleteOnderdeelDB"), QStringLiteral("Verwijderen"), CatalogueIcon::Delete);
    auto* all = AddIconButton(m_catalogue, j, QStringLiteral("SBSelectAllOdd"), QStringLiteral("Alles"), CatalogueIcon::SelectAll);
    auto* down = AddIconButton(m_catalogue, j, QStringLiteral("SBDownloadOD"), QStringLiteral("Download"), CatalogueIcon::Download);
    auto* add = AddIconButton(m_catalogue, j, QStringLiteral("SBAddOnderdeelDB"), QStringLiteral("+"), CatalogueIcon::Add);

    connect(back, &QToolButton::clicked, this, &PartPages::SBDBOnderdeelTerugClick);
    connect(load, &QToolButton::clicked, this, &PartPages::SBLoadOnderdeelClick);
    connect(m_grid->grid(), &CursorGridView::rowActivated, this, &PartPages::SBLoadOnderdeelClick);
    connect(del, &QToolButton::clicked, this, &PartPages::SBDeleteOnderdeelDBClick);
    connect(all, &QToolButton::clicked, this, &PartPages::SBSelectAllOddClick);
    connect(down, &QToolButton::clicked, this, &PartPages::SBDownloadODClick);
    connect(add, &QToolButton::clicked, this, &PartPages::SBAddOnderdeelDBClick);
}

void PartPages::buildPartPage()
{
    KVJargon& j = m_g.jargon;
    m_part = new KVPage(kPart);
    BindCaption(j, m_part->topBar()->title(), QStringLiteral("LabelOnderdeel"), QStringLiteral("Onderdeel"));
    auto* back = m_part->topBar()->addLeft(QStringLiteral("SBOnderdeelTerug"), QString());
    BindCaption(j, back, QStringLiteral("SBOnderdeelTerug"), QStringLiteral("Terug"));
    auto* ok = m_part->topBar()->addRight(QStringLiteral("SBOnderdeelOK"), QStringLiteral("OK"));

    auto* list = new KVListBox(QStringLiteral("ListBoxOnderdeel"));
    auto row = [&](const QString& name, const QString& design, QWidget* editor) {
        KVListItem* item = list->addItem(name, QString());
        BindCaption(j, item, name, design);
        item->setEditor(editor);
        return item;
    };
    const struct {
        const char* row;
        const char* combo;
        const char* caption;
    } pickers[] = {
        {"ListBoxLeiding", "ComboBoxLeiding", "Leiding"},       {"ListBoxMaat", "ComboBoxMaat", "Maat \u00D8"},
        {"ListBoxDikte", "ComboBoxDikte", "Dikte"},             {"ListBoxBWRond", "ComboBoxRond", "BW Rond"},
        {"ListBoxMateriaal", "ComboBoxMateriaal", "Materiaal"}, {"ListBoxAfwerking", "ComboBoxAfwerking", "Afwerking"},
    };
    for (int i = 0; i < Composition::PickerCount; ++i) {
        auto* combo = new QComboBox;
        combo->setObjectName(QLatin1String(pickers[i].combo));
        combo->addItems(Composition::Entries(Composition::Picker(i)));
        combo->setCurrentIndex(-1);
        m_pickers[i] = combo;
        m_compositionRows << row(QLatin1String(pickers[i].row), QString::fromUtf8(pickers[i].caption), combo);
    }
    auto* compose = new KVSpeedButton(QStringLiteral("ButtonSamenstellingOK"), QStringLiteral("\u2193"));
    m_compositionRows << row(QStringLiteral("ListBoxSamenstelling"), QStringLiteral("Samenstelling OK"), compose);
    SetCompositionVisible(false);

    row(QStringLiteral("ListBoxBestelNr"), QStringLiteral("Bestelnr"), m_bestelnr = edit(QStringLiteral("EditBestelNr")));
    row(QStringLiteral("ListBoxOmschr"), QStringLiteral("Omschrijving"), m_omschr = edit(QStringLiteral("EditOmschr")));
    m_aantal = new StepperBox(QStringLiteral("NumberBoxAantal"), QStringLiteral("ButtonMinAantal"),
                              QStringLiteral("ButtonPlusAantal"), 0, PartCatalogue::MaxAantal, 0, true);
    row(QStringLiteral("ListBoxAantal"), QStringLiteral("Aantal"), m_aantal);
    m_prijs = new StepperBox(QStringLiteral("NumberBoxPrijs"), QStringLiteral("ButtonMinPrijs"),
                             QStringLiteral("ButtonPlusPrijs"), 0, PartCatalogue::MaxPrijs, 2, true);
    m_prijs->box()->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    row(QStringLiteral("ListBoxPrijs"), QStringLiteral("Prijs"), m_prijs);
    list->addStretch();

    auto* area = new QScrollArea;
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidget(list);
    m_part->bodyLayout()->addWidget(area, 1);

    connect(back, &QToolButton::clicked, this, &PartPages::SBOnderdeelTerugClick);
    connect(ok, &QToolButton::clicked, this, &PartPages::SBOnderdeelOKClick);
    connect(compose, &QToolButton::clicked, this, &PartPages::ButtonSamenstellingOKClick);
}

void PartPages::buildLinesPage()
{
    KVJargon& j = m_g.jargon;
    m_lines = new KVPage(kLines);
    m_lines->topBar()->title()->setObjectName(QStringLiteral("LabelGB"));
    m_lines->topBar()->title()->setText(m_partsLines.Title(1));
    auto* back = m_lines->topBar()->addLeft(QStringLiteral("SBGBTerug"), QString());
    BindCaption(j, back, QStringLiteral("SBGBTerug"), QStringLiteral("Terug"));
    auto* ok = m_lines->topBar()->addRight(QStringLiteral("SBGBOK"), QStringLiteral("OK"));

    m_filter = new QLineEdit(m_lines->body());
    m_filter->setObjectName(QStringLiteral("TableViewGBFilter"));
    m_filter->setClearButtonEnabled(true);
    m_filter->addAction(MakeCatalogueIcon(CatalogueIcon::Search, QColor(0x88, 0x88, 0x88)), QLineEdit::LeadingPosition);
    auto* filterRow = new QWidget(m_lines->body());
    auto* fl = new QVBoxLayout(filterRow);
    fl->setContentsMargins(6, 6, 6, 6);
    fl->addWidget(m_filter);
    m_lines->bodyLayout()->addWidget(filterRow);

    auto* proxy = new LineFilter(this);
    proxy->setSourceModel(&m_partsLines.model());
    m_proxy = proxy;
    m_view = new QListView(m_lines->body());
    m_view->setObjectName(QStringLiteral("TableViewGB"));
    m_view->setModel(proxy);
    m_view->setItemDelegate(new LineDelegate(m_view));
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setUniformItemSizes(true);
    m_view->setFrameShape(QFrame::NoFrame);
    m_view->setStyleSheet(QStringLiteral("QListView { background: #C0C0C0; }"));
    m_lines->bodyLayout()->addWidget(m_view, 1);

    // The list view's own delete action, on the Delete key and in the item's context menu.
    auto* deleteAction = new QAction(m_view);
    deleteAction->setObjectName(QStringLiteral("TableViewGBDeleteAction"));
    j.Register(deleteAction->objectName(), QStringLiteral("Verwijderen"));
    deleteAction->setText(j.Caption(deleteAction->objectName()));
    connect(&j, &KVJargon::CaptionChanged, deleteAction, [deleteAction](const QString& name, const QString& text) {
        if (name == deleteAction->objectName())
            deleteAction->setText(text);
    });
    deleteAction->setShortcut(QKeySequence::Delete);
    deleteAction->setShortcutContext(Qt::WidgetShortcut);
    m_view->addAction(deleteAction);
    m_view->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(deleteAction, &QAction::triggered, this, [this] {
        const QModelIndex current = m_view->currentIndex();
        if (current.isValid())
            TableViewGBItemDelete(m_proxy->mapToSource(current).row());
    });

    auto* del = AddIconButton(m_lines, j, QStringLiteral("SBDeleteGB"), QStringLiteral("Verwijderen"), CatalogueIcon::Delete);
    auto* add = AddIconButton(m_lines, j, QStringLiteral("SBAddGB"), QStringLiteral("+"), CatalogueIcon::Add);

    connect(m_filter, &QLineEdit::textChanged, this, [proxy](const QString& t) { proxy->setText(t); });
    connect(m_view, &QListView::doubleClicked, this, &PartPages::TableViewGBDblClick);
    connect(back, &QToolButton::clicked, this, &PartPages::SBGBOKClick);
    connect(ok, &QToolButton::clicked, this, &PartPages::SBGBOKClick);
    connect(del, &QToolButton::clicked, this, &PartPages::SBDeleteGBClick);
    connect(add, &QToolButton::clicked, this, &PartPages::SBAddGBClick);
}

// ---- part page values -----------------------------------------------------------------------

PartForm PartPages::FormValues() const
{
    return {m_bestelnr->text(), m_omschr->text(), m_aantal->value(), m_prijs->value()};
}

void PartPages::SetFormValues(const PartForm& f)
{
    m_bestelnr->setText(f.bestelnr);
    m_omschr->setText(f.omschr);
    m_aantal->setValue(f.aantal);
    m_prijs->setValue(f.prijs);
}

void PartPages::SetCompositionVisible(bool on)
{
    for (KVListItem* r : m_compositionRows)
        r->setVisible(on);
}

bool PartPages::CompositionVisible() const { return !m_compositionRows.isEmpty() && !m_compositionRows.first()->isHidden(); }

// ---- parts catalogue ------------------------------------------------------------------------

void PartPages::ListBoxItemODClick()
{
    m_g.CatalogueMode = true;
    m_w.ShowPage(kCatalogue);
}

void PartPages::SBDBOnderdeelTerugClick()
{
    m_w.ShowPage(m_partsLines.LeaveCatalogue() ? kMain : kLines);
}

void PartPages::SBLoadOnderdeelClick()
{
    SetFormValues(m_partsLines.LoadFromCatalogue());
    m_w.ShowPage(kPart);
}

void PartPages::SBAddOnderdeelDBClick()
{
    SetCompositionVisible(PartCatalogue::ShowsComposition(m_g));
    SetFormValues(m_partsLines.NewCataloguePart());
    m_w.ShowPage(kPart);
}

void PartPages::SBDeleteOnderdeelDBClick()
{
    const auto [first, last] = m_grid->grid()->SelectedRange();
    m_model->DeleteRows(first, last);
}

void PartPages::SBSelectAllOddClick() { m_grid->grid()->SelectAllRows(); }

void PartPages::SBDownloadODClick() { m_g.cloud.Download(QStringLiteral("od")); }

// ---- parts-list page ------------------------------------------------------------------------

void PartPages::openLinesPage(int list)
{
    m_partsLines.FillPartsList(list);
    m_lines->topBar()->title()->setText(m_partsLines.Title(list));
    m_filter->clear();
    m_view->clearSelection();
    m_view->setCurrentIndex({});
    m_w.ShowPage(kLines);
}

void PartPages::ListBoxItemGebruiktClick() { openLinesPage(1); }
void PartPages::ListBoxItemBenodigdClick() { openLinesPage(2); }

void PartPages::SBAddGBClick()
{
    if (m_partsLines.AddLine())
        m_w.ShowPage(kCatalogue);
}

int PartPages::selectedLine() const
{
    const QModelIndexList selected = m_view->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return -1;
    return m_proxy->mapToSource(selected.first()).row();
}

void PartPages::TableViewGBDblClick()
{
    if (const auto form = m_partsLines.OpenLine(selectedLine())) {
        SetFormValues(*form);
        m_w.ShowPage(kPart);
    }
}

void PartPages::SBDeleteGBClick() { TableViewGBItemDelete(selectedLine()); }

void PartPages::TableViewGBItemDelete(int sourceIndex) { m_partsLines.DeleteLine(sourceIndex); }

void PartPages::SBGBOKClick()
{
    m_partsLines.TakeCount();
    m_w.Ticket()->FinishBon();
}

// ---- part page ------------------------------------------------------------------------------

void PartPages::SBOnderdeelOKClick()
{
    // An edit in progress is taken over.
    m_bestelnr->setFocus();
    showPartPageExit(m_partsLines.ConfirmPart(FormValues()));
}

void PartPages::SBOnderdeelTerugClick() { showPartPageExit(m_partsLines.LeavePartPage()); }

void PartPages::showPartPageExit(PartPageExit exit)
{
    if (exit == PartPageExit::Catalogue) {
        m_w.ShowPage(kCatalogue);
        return;
    }
    m_view->clearSelection();
    m_w.ShowPage(kLines);
}

void PartPages::ButtonSamenstellingOKClick()
{
    std::array<QString, Composition::PickerCount> chosen;
    for (int i = 0; i < Composition::PickerCount; ++i)
        chosen[i] = m_pickers[i]->currentIndex() < 0 ? QString() : m_pickers[i]->currentText();
    m_omschr->setText(Composition::Compose(chosen));
    for (QComboBox* c : m_pickers)
        c->setCurrentIndex(-1);
}
