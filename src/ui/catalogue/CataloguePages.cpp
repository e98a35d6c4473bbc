#include "CataloguePages.h"

#include "ClientPages.h"
#include "OverviewPage.h"
#include "PartPages.h"
#include "app/TFMain.h"

CataloguePages InstallCataloguePages(TFMain& w)
{
    CataloguePages p;
    p.clients = new ClientPages(w);
    p.parts = new PartPages(w);
    p.overview = new OverviewPage(w);
    return p;
}
