#include "CataloguePages.h"

#include "ClientPages.h"
#include "OverviewPage.h"
#include "PartPages.h"
#include "app/KVWidgets.h"
#include "app/TFMain.h"
#include "ticket/TicketEditor.h"

#include <QAbstractButton>

namespace {
template <class Receiver>
void onClick(TFMain& w, const char* name, Receiver* receiver, void (Receiver::*handler)())
{
    if (auto* button = w.findChild<QAbstractButton*>(QLatin1String(name)))
        QObject::connect(button, &QAbstractButton::clicked, receiver, handler);
}
} // namespace

CataloguePages InstallCataloguePages(TFMain& w)
{
    CataloguePages p;
    p.clients = new ClientPages(w);
    p.parts = new PartPages(w);
    p.overview = new OverviewPage(w);

    onClick(w, "ListBoxItemOG", p.clients, &ClientPages::ListBoxItemOGClick);
    onClick(w, "SBBadgeOG", p.clients, &ClientPages::ListBoxItemOGClick);
    onClick(w, "ListBoxItemOD", p.parts, &PartPages::ListBoxItemODClick);
    onClick(w, "SBBadgeOD", p.parts, &PartPages::ListBoxItemODClick);
    // The parts items of the main menu pass the ticket editor's guard first.
    PartPages* parts = p.parts;
    w.Ticket()->SetMenuOpener(QStringLiteral("ListBoxItemGebruikt"), [parts] { parts->ListBoxItemGebruiktClick(); });
    w.Ticket()->SetMenuOpener(QStringLiteral("ListBoxItemBenodigd"), [parts] { parts->ListBoxItemBenodigdClick(); });
    QObject::connect(w.Ticket(), &TicketEditor::OpenClientCatalogue, p.clients, &ClientPages::EditOpdrachtgeverClick);
    onClick(w, "SBOverzicht", p.overview, &OverviewPage::SBOverzichtClick);
    onClick(w, "SBBadgeKV", p.overview, &OverviewPage::SBOverzichtClick);
    return p;
}
