#pragma once

class TFMain;
class ClientPages;
class PartPages;
class OverviewPage;

// The catalogue and overview pages of the main window and the main-page controls that lead
// to them: the side-menu items, the badges, "Overzicht" and the parts items of the main menu.
struct CataloguePages {
    ClientPages* clients = nullptr;
    PartPages* parts = nullptr;
    OverviewPage* overview = nullptr;
};
CataloguePages InstallCataloguePages(TFMain& w);
