#include "ClientPages.h"

#include "CatalogueIcons.h"
#include "CursorGrid.h"
#include "StepperBox.h"
#include "app/KVGlobal.h"
#include "app/KVWidgets.h"
#include "app/TFMain.h"
#include "catalogue/CursorModel.h"
#include "store/Database.h"
#include "store/Table.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
const QString kList = QStringLiteral("TabItemDBOpdrachtgevers");
const QString kClient = QStringLiteral("TabItemOpdrachtgever");
const QString kMain = QStringLiteral("TabItemMain");
const QString kGeneral = QStringLiteral("TabItemAlgemeen");

QLineEdit* edit(const QString& name, Qt::InputMethodHints hints = Qt::ImhNone)
{
    auto* e = new QLineEdit;
    e->setObjectName(name);
    e->setInputMethodHints(hints);
    return e;
}

QWidget* scrolled(QWidget* content)
{
    auto* area = new QScrollArea;
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidget(content);
    return area;
}
} // namespace

ClientPages::ClientPages(TFMain& w) : QObject(&w), m_w(w), m_g(w.global())
{
    m_model = new CursorModel(m_g.OpdrachtgeverTable(), ClientCatalogue::GridColumns(), m_g.jargon, &m_g.db(), this);
    buildListPage();
    buildClientPage();
    w.AddPage(m_list);
    w.AddPage(m_client);
}

void ClientPages::buildListPage()
{
    KVJargon& j = m_g.jargon;
    m_list = new KVPage(kList);
    BindCaption(j, m_list->topBar()->title(), QStringLiteral("LabelDBOpdrachtgever"), QStringLiteral("Opdrachtgevers"));
    auto* back = m_list->topBar()->addLeft(QStringLiteral("SBDBOpdrachtgeverTerug"), QString());
    BindCaption(j, back, QStringLiteral("SBDBOpdrachtgeverTerug"), QStringLiteral("Terug"));
    auto* load = m_list->topBar()->addRight(QStringLiteral("SBLoadOpdrachtgever"), QString());
    BindCaption(j, load, QStringLiteral("SBLoadOpdrachtgever"), QStringLiteral("Laden"));

    m_grid = new CursorGrid(QStringLiteral("OG"), m_model, m_g, m_list->body());
    m_list->bodyLayout()->addWidget(m_grid, 1);

    auto* del = AddIconButton(m_list, j, QStringLiteral("SBDeleteOpdrachtgeverDB"), QStringLiteral("Verwijderen"), CatalogueIcon::Delete);
    auto* all = AddIconButton(m_list, j, QStringLiteral("SBSelectAllOG"), QStringLiteral("Alles"), CatalogueIcon::SelectAll);
    auto* down = AddIconButton(m_list, j, QStringLiteral("SBDownloadOG"), QStringLiteral("Download"), CatalogueIcon::Download);
    auto* add = AddIconButton(m_list, j, QStringLiteral("SBAddOpdrachtgeverDB"), QStringLiteral("+"), CatalogueIcon::Add);

    connect(back, &QToolButton::clicked, this, &ClientPages::SBDBOpdrachtgeverTerugClick);
    connect(load, &QToolButton::clicked, this, &ClientPages::SBLoadOpdrachtgeverClick);
    connect(m_grid->grid(), &CursorGridView::rowActivated, this, &ClientPages::SBLoadOpdrachtgeverClick);
    connect(del, &QToolButton::clicked, this, &ClientPages::SBDeleteOpdrachtgeverDBClick);
    connect(all, &QToolButton::clicked, this, &ClientPages::SBSelectAllOGClick);
    connect(down, &QToolButton::clicked, this, &ClientPages::SBDownloadOGClick);
    connect(add, &QToolButton::clicked, this, &ClientPages::SBAddOpdrachtgeverDBClick);
}

void ClientPages::buildClientPage()
{
    KVJargon& j = m_g.jargon;
    m_client = new KVPage(kClient);
    BindCaption(j, m_client->topBar()->title(), QStringLiteral("LabelOpdrachtgever"), QStringLiteral("Opdrachtgever"));
    auto* back = m_client->topBar()->addLeft(QStringLiteral("SBOpdrachtgeverTerug"), QString());
    BindCaption(j, back, QStringLiteral("SBOpdrachtgeverTerug"), QStringLiteral("Terug"));
    auto* ok = m_client->topBar()->addRight(QStringLiteral("SBOpdrachtgeverOK"), QStringLiteral("OK"));

    m_tabs = new QTabWidget(m_client->body());
    m_tabs->setObjectName(QStringLiteral("TabControlOG"));
    m_tabs->setDocumentMode(true);
    m_client->bodyLayout()->addWidget(m_tabs, 1);

    auto addTab = [&](const QString& name, const QString& caption) {
        auto* list = new KVListBox(name + QStringLiteral("List"));
        auto* holder = scrolled(list);
        holder->setObjectName(name);
        j.Register(name, caption);
        const int index = m_tabs->addTab(holder, j.Caption(name));
        connect(&j, &KVJargon::CaptionChanged, m_tabs, [this, index, name](const QString& n, const QString& text) {
            if (n == name)
                m_tabs->setTabText(index, text);
        });
        return list;
    };
    auto row = [&](KVListBox* list, const QString& name, const QString& design, QWidget* editor, bool term = false) {
        KVListItem* item = list->addItem(name, QString());
        BindCaption(j, item, name, design);
        item->setEditor(editor);
        if (term)
            connect(item, &KVListItem::longPressed, &m_w, [this, name] { m_w.OpenTermEditor(name); });
        return item;
    };

    KVListBox* general = addTab(QStringLiteral("TabItemOGAlgemeen"), QStringLiteral("Algemeen"));
    row(general, QStringLiteral("ListBoxItemOGNaam"), QStringLiteral("Naam"), m_naam = edit(QStringLiteral("EditXOpdrachtgever")));
    row(general, QStringLiteral("ListBoxItemOGContact"), QStringLiteral("Contact"), m_contact = edit(QStringLiteral("EditXContactpers")));
    row(general, QStringLiteral("ListBoxItemOGEmail"), QStringLiteral("E-mail"),
        m_email = edit(QStringLiteral("EditXEmail"), Qt::ImhEmailCharactersOnly));
    row(general, QStringLiteral("ListBoxItemOGAdres"), QStringLiteral("Adres"), m_adres = edit(QStringLiteral("EditXAdres")));
    row(general, QStringLiteral("ListBoxItemOGPC"), QStringLiteral("Postcode"), m_pc = edit(QStringLiteral("EditXPC")));
    row(general, QStringLiteral("ListBoxItemOGPlaats"), QStringLiteral("Plaats"), m_plaats = edit(QStringLiteral("EditXPlaats")));
    row(general, QStringLiteral("ListBoxItemOGLand"), QStringLiteral("Land"), m_land = edit(QStringLiteral("EditXLand")));
    row(general, QStringLiteral("ListBoxItemOGTelnr"), QStringLiteral("Tel Nr"),
        m_telnr = edit(QStringLiteral("EditXTelnr"), Qt::ImhDialableCharactersOnly));
    row(general, QStringLiteral("ListBoxItemOGMobnr"), QStringLiteral("Mob Nr"),
        m_mobnr = edit(QStringLiteral("EditXMobnr"), Qt::ImhDialableCharactersOnly));
    general->addStretch();

    KVListBox* fin = addTab(QStringLiteral("TabItemOGFinancieel"), QStringLiteral("Financieel"));
    auto* radios = new QWidget;
    auto* rh = new QHBoxLayout(radios);
    rh->setContentsMargins(0, 0, 0, 0);
    m_ex = new QRadioButton(QStringLiteral("Ex"), radios);
    m_ex->setObjectName(QStringLiteral("RadioOGEx"));
    m_inc = new QRadioButton(QStringLiteral("Inc"), radios);
    m_inc->setObjectName(QStringLiteral("RadioOGInc"));
    auto* group = new QButtonGroup(radios);
    group->addButton(m_ex);
    group->addButton(m_inc);
    m_ex->setChecked(true);
    rh->addStretch();
    rh->addWidget(m_ex);
    rh->addWidget(m_inc);
    row(fin, QStringLiteral("ListBoxItemOGUurprijzen"), QStringLiteral("Uurprijzen"), radios);
    auto stepper = [](const QString& box, const QString& suffix, double max) {
        return new StepperBox(box, QStringLiteral("ButtonOGMin") + suffix, QStringLiteral("ButtonOGPlus") + suffix, 0, max, 2);
    };
    using ClientCatalogue::MaxRate;
    row(fin, QStringLiteral("ListBoxItemOGWerkTijd"), j.Caption(QStringLiteral("ListBoxItemOGWerkTijd")),
        m_werk = stepper(QStringLiteral("NumberBoxOGPrijsWerk"), QStringLiteral("PrijsWerk"), MaxRate), true);
    row(fin, QStringLiteral("ListBoxItemOGOverwerk"), j.Caption(QStringLiteral("ListBoxItemOGOverwerk")),
        m_over = stepper(QStringLiteral("NumberBoxOGPrijsOver"), QStringLiteral("PrijsOver"), MaxRate), true);
    row(fin, QStringLiteral("ListBoxItemOGReistijd"), j.Caption(QStringLiteral("ListBoxItemOGReistijd")),
        m_reis = stepper(QStringLiteral("NumberBoxOGPrijsReis"), QStringLiteral("PrijsReis"), MaxRate), true);
    row(fin, QStringLiteral("ListBoxItemOGKmPrijs"), QStringLiteral("Kilometerprijs"),
        m_km = stepper(QStringLiteral("NumberBoxOGPrijsKM"), QStringLiteral("PrijsKM"), MaxRate));
    row(fin, QStringLiteral("ListBoxItem18"), QStringLiteral("BTW %"),
        m_btw = stepper(QStringLiteral("NumberBoxOGOB"), QStringLiteral("BTW"), ClientCatalogue::MaxVat), true);
    m_auto = new QCheckBox;
    m_auto->setObjectName(QStringLiteral("SwitchOGAuto"));
    row(fin, QStringLiteral("ListBoxItemOGAuto"), QStringLiteral("Berekening bedragen"), m_auto);
    row(fin, QStringLiteral("ListBoxItemOGDebnr"), QStringLiteral("Deb Nr"), m_debnr = edit(QStringLiteral("EditXDebnr")));
    row(fin, QStringLiteral("ListBoxItemOGBTWnr"), QStringLiteral("BTW Nr"), m_btwnr = edit(QStringLiteral("EditXBTWnr")));
    fin->addStretch();

    connect(back, &QToolButton::clicked, this, &ClientPages::SBOpdrachtgeverTerugClick);
    connect(ok, &QToolButton::clicked, this, &ClientPages::SBOpdrachtgeverOKClick);
}

// ---- values of the client page -------------------------------------------------------------

ClientForm ClientPages::FormValues() const
{
    ClientForm f;
    f.naam = m_naam->text();
    f.contactpers = m_contact->text();
    f.email = m_email->text();
    f.adres = m_adres->text();
    f.pc = m_pc->text();
    f.plaats = m_plaats->text();
    f.land = m_land->text();
    f.telnr = m_telnr->text();
    f.mobnr = m_mobnr->text();
    f.debnr = m_debnr->text();
    f.btwnr = m_btwnr->text();
    f.prijsinc = m_inc->isChecked();
    f.autocomp = m_auto->isChecked();
    f.uurprijswerk = m_werk->value();
    f.uurprijsover = m_over->value();
    f.uurprijsreis = m_reis->value();
    f.kmprijs = m_km->value();
    f.percob = m_btw->value();
    return f;
}

void ClientPages::SetFormValues(const ClientForm& f)
{
    m_naam->setText(f.naam);
    m_contact->setText(f.contactpers);
    m_email->setText(f.email);
    m_adres->setText(f.adres);
    m_pc->setText(f.pc);
    m_plaats->setText(f.plaats);
    m_land->setText(f.land);
    m_telnr->setText(f.telnr);
    m_mobnr->setText(f.mobnr);
    m_debnr->setText(f.debnr);
    m_btwnr->setText(f.btwnr);
    (f.prijsinc ? m_inc : m_ex)->setChecked(true);
    m_auto->setChecked(f.autocomp);
    m_werk->setValue(f.uurprijswerk);
    m_over->setValue(f.uurprijsover);
    m_reis->setValue(f.uurprijsreis);
    m_km->setValue(f.kmprijs);
    m_btw->setValue(f.percob);
}

// ---- handlers -------------------------------------------------------------------------------

void ClientPages::ListBoxItemOGClick()
{
    m_g.ClientCatalogueMode = true;
    m_w.ShowPage(kList);
}

void ClientPages::EditOpdrachtgeverClick()
{
    m_w.ShowPage(kList);
}

void ClientPages::SBDBOpdrachtgeverTerugClick()
{
    if (m_g.ClientCatalogueMode) {
        m_g.ClientCatalogueMode = false;
        m_w.ShowPage(kMain);
    } else {
        m_w.ShowPage(kGeneral);
    }
}

void ClientPages::SBLoadOpdrachtgeverClick()
{
    SetFormValues(ClientCatalogue::Load(m_g));
    m_w.ShowPage(kClient);
}

void ClientPages::SBAddOpdrachtgeverDBClick()
{
    SetFormValues(ClientCatalogue::Add(m_g));
    m_w.ShowPage(kClient);
}

void ClientPages::SBDeleteOpdrachtgeverDBClick()
{
    const auto [first, last] = m_grid->grid()->SelectedRange();
    m_model->DeleteRows(first, last);
}

void ClientPages::SBSelectAllOGClick() { m_grid->grid()->SelectAllRows(); }

void ClientPages::SBDownloadOGClick() { m_g.cloud.Download(QStringLiteral("og")); }

void ClientPages::SBOpdrachtgeverOKClick()
{
    const ClientForm form = FormValues();
    if (!m_g.ClientCatalogueMode) {
        const PickedClient picked = ClientCatalogue::CopyIntoTicket(m_g, form);
        // The ticket's general page takes these over when it is confirmed.
        const std::pair<const char*, const QString*> edits[] = {{"EditOpdrachtgever", &picked.opdrachtgever},
                                                                {"EditContactpers", &picked.contactpers},
                                                                {"EditEmailOpdrachtgever", &picked.email}};
        for (const auto& [name, text] : edits)
            if (auto* e = m_w.findChild<QLineEdit*>(QLatin1String(name)))
                e->setText(*text);
    }
    ClientCatalogue::Store(m_g, form);
    showAfterClientPage();
}

void ClientPages::SBOpdrachtgeverTerugClick() { showAfterClientPage(); }

void ClientPages::showAfterClientPage()
{
    m_w.ShowPage(m_g.ClientCatalogueMode ? kList : kGeneral);
}
