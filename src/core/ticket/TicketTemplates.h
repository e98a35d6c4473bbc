#pragma once
#include "TBon.h"
#include "TicketOps.h"

#include <QList>
#include <QString>
#include <optional>

class KVGlobal;

// Named templates of routine work, kept in the local table sjabloon (never shared with other
// units): the kinds of work, the work description, the parts lines, the client with its
// address and rates, and the work location of a ticket. A new ticket can start from one.

struct TicketTemplate {
    QString id;
    QString naam;
    QString opdrachtgever; // the client it starts a ticket for
};

namespace TicketTemplates {

// The templates by name.
QList<TicketTemplate> List(KVGlobal& g);
// The template with this name (compared without regard to case), if there is one.
std::optional<TicketTemplate> Find(KVGlobal& g, const QString& name);

// Saves the current ticket's template contents under the name (trimmed); a template of that
// name is replaced. Returns the template's id. Throws KVError for an empty name.
QString SaveCurrentTicket(KVGlobal& g, const QString& name);
// Renames a template; false when the name is empty or another template has it, or there is no
// such template.
bool Rename(KVGlobal& g, const QString& id, const QString& name);
// Deletes a template; false when there is none with that id.
bool Remove(KVGlobal& g, const QString& id);

// A new current ticket from the template: a fresh number and id as "+" gives them, today's
// date, and the template's contents; the document is widened for its parts lines. Nothing is
// stored until a page is confirmed. Returns nothing (and uses no number) when there is no
// such template.
std::optional<TicketDetails> NewBonFromTemplate(KVGlobal& g, const QString& id);

} // namespace TicketTemplates
