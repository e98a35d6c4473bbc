#include "TemplatePages.h"

#include "TicketEditor.h"
#include "app/KVGlobal.h"
#include "app/KVWidgets.h"
#include "app/Popups.h"
#include "app/TFMain.h"
#include "ticket/TicketTemplates.h"

#include <QAbstractButton>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
const QString kPage = QStringLiteral("TabItemSjablonen");
const QString kMain = QStringLiteral("TabItemMain");
const QString kNew = QStringLiteral("ListBoxItemNieuw");
const QString kStart = QStringLiteral("ListBoxItemSjabloonStart");
const QString kRename = QStringLiteral("ListBoxItemSjabloonHernoem");
const QString kDelete = QStringLiteral("ListBoxItemSjabloonVerwijder");
const QString kChoicePrefix = QStringLiteral("ListBoxItemKeuze");
} // namespace

TemplatePages::TemplatePages(TFMain& w) : QObject(&w), m_w(w), m_g(w.global())
{
    KVJargon& j = m_g.jargon;
    m_page = new KVPage(kPage);
    m_page->topBar()->title()->setObjectName(QStringLiteral("LabelSjablonen"));
    BindCaption(j, m_page->topBar()->title(), QStringLiteral("LabelSjablonen"), QStringLiteral("Sjablonen"));
    auto* back = m_page->topBar()->addLeft(QStringLiteral("SBSjablonenTerug"), QString());
    BindCaption(j, back, QStringLiteral("SBSjablonenTerug"), QStringLiteral("Terug"));
    connect(back, &QAbstractButton::clicked, this, [this] { m_w.ShowPage(kMain); });

    m_empty = new QLabel(m_page->body());
    m_empty->setObjectName(QStringLiteral("LabelGeenSjablonen"));
    m_empty->setWordWrap(true);
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setStyleSheet(QStringLiteral("color: #777777; padding: 24px;"));
    BindCaption(j, m_empty, QStringLiteral("LabelGeenSjablonen"),
                QStringLiteral("Nog geen sjablonen. Open een bon en kies \"Opslaan als sjabloon\" op de hoofdpagina."));
    m_page->bodyLayout()->addWidget(m_empty);
    m_scroll = new QScrollArea(m_page->body());
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_page->bodyLayout()->addWidget(m_scroll, 1);
    w.AddPage(m_page);

    m_newChoice = new ChoicePopup(QStringLiteral("PopupNieuw"), &w);
    m_actions = new ChoicePopup(QStringLiteral("PopupSjabloon"), &w);
    m_name = new NamePopup(j, QStringLiteral("PopupSjabloonNaam"), &w);
    connect(m_newChoice, &ChoicePopup::chosen, this, [this](const QString& name) {
        if (name == kNew) {
            m_w.Ticket()->NewTicket();
            return;
        }
        const int index = QStringView(name).mid(kChoicePrefix.size()).toInt() - 1;
        if (index >= 0 && index < m_choiceIds.size())
            StartFrom(m_choiceIds[index]);
    });
    connect(m_actions, &ChoicePopup::chosen, this, &TemplatePages::actionChosen);
    connect(m_name, &NamePopup::accepted, this, &TemplatePages::nameAccepted);
}

void TemplatePages::ListBoxItemSjabloonClick()
{
    m_renaming.clear();
    m_name->Open(m_g.Translate(QStringLiteral("Opslaan als sjabloon")), m_g.bon.opdrachtgever);
}

void TemplatePages::SaveAs(const QString& name)
{
    if (TicketTemplates::Find(m_g, name)
        && !m_g.seams.Confirm(m_g.Translate(QStringLiteral("Er is al een sjabloon met deze naam. Vervangen?")) + QLatin1Char(' ')
                              + name))
        return;
    TicketTemplates::SaveCurrentTicket(m_g, name);
    m_g.seams.ShowMessage(m_g.Translate(QStringLiteral("Sjabloon opgeslagen:")) + QLatin1Char(' ') + name.trimmed());
    if (m_w.CurrentPageName() == kPage)
        FillList();
}

bool TemplatePages::OfferNewChoice()
{
    const QList<TicketTemplate> templates = TicketTemplates::List(m_g);
    if (templates.isEmpty())
        return false;
    m_choiceIds.clear();
    QList<ChoicePopup::Choice> choices = {
        {kNew, m_g.Translate(QStringLiteral("Nieuw")), QStringLiteral(":/ui/icons/general.svg")}};
    for (const TicketTemplate& t : templates) {
        m_choiceIds << t.id;
        choices.append({kChoicePrefix + QString::number(m_choiceIds.size()), t.naam, QStringLiteral(":/ui/icons/template.svg")});
    }
    m_newChoice->Open(m_g.Translate(QStringLiteral("Nieuwe bon")), choices);
    return true;
}

void TemplatePages::StartFrom(const QString& id)
{
    if (const std::optional<TicketDetails> details = TicketTemplates::NewBonFromTemplate(m_g, id)) {
        m_w.Ticket()->StartTicket(*details);
        m_w.ShowPage(kMain);
    }
}

void TemplatePages::ListBoxItemSjablonenClick()
{
    FillList();
    m_w.ShowPage(kPage);
}

void TemplatePages::FillList()
{
    m_list = new KVListBox(QStringLiteral("ListBoxSjablonen"));
    m_scroll->setWidget(m_list); // the rows of the previous fill go with their list
    const QList<TicketTemplate> templates = TicketTemplates::List(m_g);
    m_ids.clear();
    for (const TicketTemplate& t : templates) {
        m_ids << t.id;
        const int index = int(m_ids.size());
        KVListItem* row = m_list->addItem(QStringLiteral("ListBoxItemSjablonen") + QString::number(index), t.naam);
        row->setIconName(QStringLiteral(":/ui/icons/template.svg"));
        row->setDetail(t.opdrachtgever);
        connect(row, &QAbstractButton::clicked, this, [this, index] { rowClicked(index - 1); });
    }
    m_list->addStretch();
    m_empty->setVisible(templates.isEmpty());
}

void TemplatePages::rowClicked(int index)
{
    if (index < 0 || index >= m_ids.size())
        return;
    m_selected = m_ids[index];
    const QString name = m_list->item(QStringLiteral("ListBoxItemSjablonen") + QString::number(index + 1))->caption();
    m_actions->Open(name, {{kStart, m_g.Translate(QStringLiteral("Nieuwe bon"))},
                           {kRename, m_g.Translate(QStringLiteral("Hernoemen"))},
                           {kDelete, m_g.Translate(QStringLiteral("Verwijder"))}});
}

void TemplatePages::actionChosen(const QString& action)
{
    const QString id = m_selected;
    if (action == kStart) {
        StartFrom(id);
    } else if (action == kRename) {
        m_renaming = id;
        m_name->Open(m_g.Translate(QStringLiteral("Hernoemen")), m_actions->title()->text());
    } else if (action == kDelete) {
        if (!m_g.seams.Confirm(m_g.Translate(QStringLiteral("Sjabloon verwijderen?")) + QLatin1Char(' ')
                               + m_actions->title()->text()))
            return;
        TicketTemplates::Remove(m_g, id);
        FillList();
    }
}

void TemplatePages::nameAccepted(const QString& name)
{
    if (m_renaming.isEmpty()) {
        SaveAs(name);
        return;
    }
    if (!TicketTemplates::Rename(m_g, m_renaming, name))
        m_g.seams.ShowMessage(m_g.Translate(QStringLiteral("Er is al een sjabloon met deze naam.")) + QLatin1Char(' ') + name);
    m_renaming.clear();
    FillList();
}
