#include "TicketEditor.h"

#include "DayPage.h"
#include "PageParts.h"
#include "PhotoPages.h"
#include "SignPage.h"
#include "TicketPages.h"
#include "app/KVGlobal.h"
#include "app/KVWidgets.h"
#include "app/TFMain.h"
#include "document/KVGrid.h"

#include <QLabel>

namespace {
const QString kMain = QStringLiteral("TabItemMain");
}

TicketEditor::TicketEditor(TFMain& main) : QObject(&main), m_main(main), m_g(main.global())
{
    m_algemeen = new AlgemeenPage(*this);
    m_type = new TypePage(*this);
    m_specificatie = new SpecificatiePage(*this);
    m_dag = new DagPage(*this);
    m_sign = new SignPage(*this);
    m_photos = new PhotoPage(*this);
    m_image = new ImagePage(*this);
    for (QWidget* page : std::initializer_list<QWidget*>{m_algemeen, m_type, m_specificatie, m_dag, m_sign, m_photos, m_image}) {
        // In the window first: a page not shown yet takes its own style sheet without a pass
        // over all its controls.
        m_main.AddPage(page);
        page->setStyleSheet(PageParts::PageStyleSheet());
    }

    m_openers.insert(QStringLiteral("ListBoxItemAlgemeen"), [this] { m_algemeen->Open(); });
    m_openers.insert(QStringLiteral("ListBoxItemType"), [this] { m_type->Open(); });
    m_openers.insert(QStringLiteral("ListBoxItemSpecificatie"), [this] { m_specificatie->Open(); });
    m_openers.insert(QStringLiteral("ListBoxItemGebruikt"), [this] { m_main.ShowPage(QStringLiteral("TabItemGB")); });
    m_openers.insert(QStringLiteral("ListBoxItemBenodigd"), [this] { m_main.ShowPage(QStringLiteral("TabItemGB")); });
    m_openers.insert(QStringLiteral("ListBoxItem43"), [this] { m_photos->Open(); });
    m_openers.insert(QStringLiteral("ListBoxItemOndertekening"), [this] { m_sign->ListBoxItemOndertekeningClick(); });
}

TicketEditor::~TicketEditor() = default;

bool TicketEditor::Guard()
{
    if (m_g.bon.IsCurrent())
        return true;
    m_g.seams.ShowMessage(m_g.Translate(QStringLiteral("Maak eerst nieuwe bon (+) of laad een bon uit het overzicht.")));
    return false;
}

void TicketEditor::SetMenuOpener(const QString& itemName, std::function<void()> open)
{
    m_openers.insert(itemName, std::move(open));
}

void TicketEditor::menuItemClicked(const QString& itemName)
{
    if (!Guard())
        return;
    if (const auto open = m_openers.value(itemName))
        open();
}

void TicketEditor::SBNewClick()
{
    if (m_newChooser && m_newChooser())
        return;
    NewTicket();
}

void TicketEditor::NewTicket() { StartTicket(NewBon(m_g)); }

void TicketEditor::StartTicket(const TicketDetails& details)
{
    ApplyDetails(details);
    m_photos->FillPhotoList(); // TableViewFoto emptied
}

void TicketEditor::SBAddBonClick()
{
    m_main.ShowPage(kMain);
    SBNewClick();
}

bool TicketEditor::LoadBon(const QString& id)
{
    const LoadResult result = ::LoadBon(m_g, id);
    if (!result.found)
        return false;
    ApplyDetails(result.details);
    return true;
}

void TicketEditor::FinishBon()
{
    ::FinishBon(m_g);
    m_main.ShowPage(kMain);
}

void TicketEditor::ApplyDetails(const TicketDetails& details)
{
    m_main.LabelMain()->setText(m_g.bon.bonnr);
    SetMenuDetail(QStringLiteral("ListBoxItemAlgemeen"), details.algemeen);
    SetMenuDetail(QStringLiteral("ListBoxItemType"), details.type);
    SetMenuDetail(QStringLiteral("ListBoxItemOndertekening"), details.ondertekening);
    for (int d = 1; d <= 7; ++d)
        m_specificatie->SetDayDetail(d, details.dag[d]);
}

void TicketEditor::SetMenuDetail(const QString& itemName, const QString& text)
{
    if (KVListItem* item = m_main.ListBoxMain()->item(itemName))
        item->setDetail(text);
}
