#pragma once

class TFMain;
class ClientPages;
class PartPages;
class OverviewPage;

// The catalogue and overview pages of the main window. The window builds them when one of them
// is first needed, and leads its side-menu items, badges, "Overzicht" and the parts items of the
// main menu to them.
struct CataloguePages {
    ClientPages* clients = nullptr;
    PartPages* parts = nullptr;
    OverviewPage* overview = nullptr;
};
CataloguePages InstallCataloguePages(TFMain& w);
