#include "SettingsPages.h"

#include "KVWidgets.h"
#include "NumberStepper.h"
#include "TFMain.h"
#include "app/KVError.h"
#include "app/KVGlobal.h"
#include "app/KVOpenUrl.h"
#include "app/SettingsStore.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QLineEdit* lineEdit(const QString& name, QWidget* parent, bool masked = false)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    if (masked)
        e->setEchoMode(QLineEdit::Password);
    return e;
}

QCheckBox* checkBox(const QString& name, QWidget* parent)
{
    auto* c = new QCheckBox(parent);
    c->setObjectName(name);
    return c;
}

// A row with a caption that follows the captions store and an editor on the right.
KVListItem* row(KVGlobal& g, TFMain& w, KVListBox* list, const QString& name, const QString& design, QWidget* editor)
{
    KVListItem* item = list->addItem(name, QString());
    BindCaption(g.jargon, item, name, design);
    if (!g.jargon.TermKey(name).isEmpty())
        QObject::connect(item, &KVListItem::longPressed, &w, [&w, name] { w.OpenTermEditor(name); });
    if (editor)
        item->setEditor(editor);
    return item;
}

QScrollArea* scrolled(QWidget* content)
{
    auto* area = new QScrollArea;
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidget(content);
    return area;
}
} // namespace

// ---- settings page --------------------------------------------------------------------------

ConfigPage::ConfigPage(TFMain& w) : QObject(&w), m_w(w), m_g(w.global())
{
    build();
}

KVListBox* ConfigPage::addTab(const QString& name, const QString& caption)
{
    auto* list = new KVListBox(name + QStringLiteral("List"));
    list->setObjectName(name + QStringLiteral("List"));
    auto* holder = new QWidget;
    holder->setObjectName(name);
    auto* v = new QVBoxLayout(holder);
    v->setContentsMargins(0, 0, 0, 0);
    list->addStretch();
    v->addWidget(scrolled(list));
    m_g.jargon.Register(name, caption);
    const int index = m_tabs->addTab(holder, m_g.jargon.Caption(name));
    connect(&m_g.jargon, &KVJargon::CaptionChanged, m_tabs, [this, index, name](const QString& n, const QString& text) {
        if (n == name)
            m_tabs->setTabText(index, text);
    });
    return list;
}

void ConfigPage::build()
{
    KVJargon& j = m_g.jargon;
    m_page = new KVPage(QStringLiteral("TabItemConfig"));
    BindCaption(j, m_page->topBar()->title(), QStringLiteral("LabelConfig"), QStringLiteral("Config"));
    BindCaption(j, m_page->topBar()->addLeft(QStringLiteral("SBConfigTerug"), QString()), QStringLiteral("SBConfigTerug"),
                QStringLiteral("Terug"));
    m_page->topBar()->addRight(QStringLiteral("SBConfigOK"), QStringLiteral("OK"));
    m_tabs = new QTabWidget(m_page->body());
    m_tabs->setObjectName(QStringLiteral("TabControlConfig"));
    m_tabs->setDocumentMode(true);
    m_page->bodyLayout()->addWidget(m_tabs);

    // Algemeen
    KVListBox* general = addTab(QStringLiteral("TabItemConfAlgemeen"), QStringLiteral("Algemeen"));
    auto insertRow = [&](KVListBox* list, const QString& name, const QString& design, QWidget* editor) {
        KVListItem* item = row(m_g, m_w, list, name, design, editor);
        // Keep the stretch last.
        auto* l = static_cast<QVBoxLayout*>(list->layout());
        l->removeWidget(item);
        l->insertWidget(l->count() - 1, item);
        return item;
    };
    m_schaal = new NumberStepper(QStringLiteral("Schaal"), 0, 1000, 1, 0.1);
    m_schaal->setTypingAllowed(false);
    insertRow(general, QStringLiteral("ListBoxItemSchaal"), QStringLiteral("Schaal"), m_schaal);
    m_unit = new NumberStepper(QStringLiteral("Unitnr"), 0, 1000, 0);
    insertRow(general, QStringLiteral("ListBoxItemDevice"), QStringLiteral("Device"), m_unit);
    m_bonnr = new NumberStepper(QStringLiteral("Bonnr"), 0, 100000000, 0);
    insertRow(general, QStringLiteral("ListBoxItemKolvarn"), QStringLiteral("Kolvarn"), m_bonnr);
    m_correctie = checkBox(QStringLiteral("CheckBoxCorrectie"), nullptr);
    insertRow(general, QStringLiteral("ListBoxItemCorrectie"), QStringLiteral("Correctie bonnrs"), m_correctie);
    m_monteur = lineEdit(QStringLiteral("EditMonteur"), nullptr);
    insertRow(general, QStringLiteral("ListBoxItemMonteur"), QStringLiteral("Monteur"), m_monteur);
    m_maxGebruikt = new NumberStepper(QStringLiteral("MaxGebruikt"), 0, 13, 0);
    insertRow(general, QStringLiteral("ListBoxItemMaxGebruikt"), QStringLiteral("Max Gebruikt"), m_maxGebruikt);
    m_maxNodig = new NumberStepper(QStringLiteral("MaxNodig"), 0, 13, 0);
    insertRow(general, QStringLiteral("ListBoxItemMaxNodig"), QStringLiteral("Max Benodigd"), m_maxNodig);

    // Email
    KVListBox* mail = addTab(QStringLiteral("TabItemConfEmail"), QStringLiteral("Email"));
    m_email = lineEdit(QStringLiteral("Editemail"), nullptr);
    insertRow(mail, QStringLiteral("ListBoxItemEmailKantoor"), QStringLiteral("E-mail kantoor"), m_email);
    m_stdApp = checkBox(QStringLiteral("CheckBoxStdApp"), nullptr);
    insertRow(mail, QStringLiteral("ListBoxItemStdApp"), QStringLiteral("Standaard Mail App"), m_stdApp);
    m_port = new NumberStepper(QStringLiteral("Port"), 0, 99999, 0);
    insertRow(mail, QStringLiteral("ListBoxItemPort"), QStringLiteral("Port"), m_port);
    m_smtp = lineEdit(QStringLiteral("EditSMTP"), nullptr);
    insertRow(mail, QStringLiteral("ListBoxItemSMTP"), QStringLiteral("SMTP"), m_smtp);
    m_user = lineEdit(QStringLiteral("EditUser"), nullptr);
    insertRow(mail, QStringLiteral("ListBoxItemMailUser"), QStringLiteral("Gebruiker"), m_user);
    m_ww = lineEdit(QStringLiteral("EditWW"), nullptr, true);
    insertRow(mail, QStringLiteral("ListBoxItemMailWW"), QStringLiteral("Wachtwoord"), m_ww);
    m_reply = lineEdit(QStringLiteral("EditReplyto"), nullptr);
    insertRow(mail, QStringLiteral("ListBoxItemAfzender"), QStringLiteral("Afzender"), m_reply);
    KVListItem* textHeader = insertRow(mail, QStringLiteral("ListBoxItemStdTekst"), QStringLiteral("Standaard tekst"), nullptr);
    textHeader->setHeader(true);
    m_memoMail = new QPlainTextEdit;
    m_memoMail->setObjectName(QStringLiteral("MemoMail"));
    m_memoMail->setMinimumHeight(120);
    {
        auto* l = static_cast<QVBoxLayout*>(mail->layout());
        l->insertWidget(l->count() - 1, m_memoMail);
    }

    // Financieel
    KVListBox* money = addTab(QStringLiteral("TabItemConfFinancieel"), QStringLiteral("Financieel"));
    auto* radios = new QWidget;
    auto* rl = new QHBoxLayout(radios);
    rl->setContentsMargins(0, 0, 0, 0);
    m_radioEx = new QRadioButton(QStringLiteral("Ex"), radios);
    m_radioEx->setObjectName(QStringLiteral("RadioEx"));
    m_radioInc = new QRadioButton(QStringLiteral("Inc"), radios);
    m_radioInc->setObjectName(QStringLiteral("RadioInc"));
    rl->addWidget(m_radioEx);
    rl->addWidget(m_radioInc);
    insertRow(money, QStringLiteral("ListBoxItemUurprijzen"), QStringLiteral("Uurprijzen"), radios);
    m_prijsWerk = new NumberStepper(QStringLiteral("PrijsWerk"), 0, 100000, 2);
    insertRow(money, QStringLiteral("ListBoxItemWerktijd"), QStringLiteral("Werktijd"), m_prijsWerk);
    m_prijsOver = new NumberStepper(QStringLiteral("PrijsOver"), 0, 100000, 2);
    insertRow(money, QStringLiteral("ListBoxItemOverwerk"), QStringLiteral("Overwerk"), m_prijsOver);
    m_prijsReis = new NumberStepper(QStringLiteral("PrijsReis"), 0, 100000, 2);
    insertRow(money, QStringLiteral("ListBoxItemReistijd"), QStringLiteral("Reistijd"), m_prijsReis);
    m_prijsKm = new NumberStepper(QStringLiteral("PrijsKM"), 0, 100000, 2);
    insertRow(money, QStringLiteral("ListBoxItemAfstandPrijs"), QStringLiteral("Kilometerprijs"), m_prijsKm);
    m_btw = new NumberStepper(QStringLiteral("BTW"), 0, 100, 2);
    insertRow(money, QStringLiteral("ListBoxItemBTW"), QStringLiteral("BTW %"), m_btw);
    m_auto = checkBox(QStringLiteral("SwitchAuto"), nullptr);
    insertRow(money, QStringLiteral("ListBoxItemAuto"), QStringLiteral("Berekening bedragen"), m_auto);

    // Taal
    KVListBox* lang = addTab(QStringLiteral("TabItemConfInternationaal"), QStringLiteral("Taal"));
    m_lang = new QComboBox;
    m_lang->setObjectName(QStringLiteral("ComboBoxLang"));
    m_lang->addItems({QStringLiteral("de"), QStringLiteral("en"), QStringLiteral("es"), QStringLiteral("fr"), QStringLiteral("nl")});
    insertRow(lang, QStringLiteral("ListBoxItemTaal"), QStringLiteral("Taal"), m_lang);
    m_valuta = lineEdit(QStringLiteral("EditValuta"), nullptr);
    insertRow(lang, QStringLiteral("ListBoxItemValuta"), QStringLiteral("Valuta"), m_valuta);
    m_afstand = lineEdit(QStringLiteral("EditAfstand"), nullptr);
    insertRow(lang, QStringLiteral("ListBoxItemAfstandUnit"), QStringLiteral("Afstand"), m_afstand);

    connect(m_page->findChild<QToolButton*>(QStringLiteral("SBConfigOK")), &QToolButton::clicked, this, &ConfigPage::SBConfigOKClick);
    connect(m_page->findChild<QToolButton*>(QStringLiteral("SBConfigTerug")), &QToolButton::clicked, this, &ConfigPage::SBConfigTerugClick);
    connect(m_schaal, &NumberStepper::stepped, this, [this](double v) { m_w.ApplyScale(v); });
    connect(m_maxGebruikt, &NumberStepper::valueChanged, this, &ConfigPage::NumberBoxMaxGebruiktChange);
    connect(m_maxNodig, &NumberStepper::valueChanged, this, &ConfigPage::NumberBoxMaxNodigChange);
    m_w.AddPage(m_page);
}

void ConfigPage::SBConfigClick()
{
    const ConfigValues v = ConfigForm::Open(m_g);
    m_coupling = true; // no coupling while the boxes are filled
    m_schaal->setValue(v.schaal);
    m_unit->setValue(v.unit);
    m_monteur->setText(v.monteur);
    m_email->setText(v.email);
    m_bonnr->setValue(v.bon);
    m_correctie->setChecked(v.correctie);
    m_prijsWerk->setValue(v.werk);
    m_prijsOver->setValue(v.over);
    m_prijsReis->setValue(v.reis);
    m_prijsKm->setValue(v.km);
    m_btw->setValue(v.btw);
    m_auto->setChecked(v.autoComp);
    m_radioInc->setChecked(v.prijsinc);
    m_radioEx->setChecked(!v.prijsinc);
    const NumberRange used = ConfigForm::MaxUsedRange(m_g), needed = ConfigForm::MaxNeededRange(m_g);
    m_maxGebruikt->setRange(0, 13);
    m_maxNodig->setRange(0, 13);
    m_maxGebruikt->setValue(v.maxgebruikt);
    m_maxNodig->setValue(v.maxnodig);
    m_maxGebruikt->setRange(used.min, used.max);
    m_maxNodig->setRange(needed.min, needed.max);
    m_lang->setCurrentIndex(v.taal);
    m_valuta->setText(v.valuta);
    m_afstand->setText(v.afstand);
    m_port->setValue(v.port);
    m_stdApp->setChecked(v.std);
    m_smtp->setText(v.smtp);
    m_user->setText(v.user);
    m_ww->setText(v.ww);
    m_reply->setText(v.reply);
    m_coupling = false;
    // The mail text always shows what is in memory.
    m_memoMail->setPlainText(m_g.settings.mailtekst.join(QLatin1Char('\n')));
    m_w.ShowPage(QStringLiteral("TabItemConfig"));
}

ConfigValues ConfigPage::ControlValues() const
{
    ConfigValues v;
    m_schaal->box()->interpretText();
    v.schaal = m_schaal->value();
    v.unit = m_unit->value();
    v.monteur = m_monteur->text();
    v.email = m_email->text();
    v.bon = m_bonnr->value();
    v.correctie = m_correctie->isChecked();
    v.werk = m_prijsWerk->value();
    v.over = m_prijsOver->value();
    v.reis = m_prijsReis->value();
    v.km = m_prijsKm->value();
    v.btw = m_btw->value();
    v.autoComp = m_auto->isChecked();
    v.prijsinc = m_radioInc->isChecked();
    v.maxgebruikt = m_maxGebruikt->value();
    v.maxnodig = m_maxNodig->value();
    v.taal = m_lang->currentIndex();
    v.valuta = m_valuta->text();
    v.afstand = m_afstand->text();
    v.port = m_port->value();
    v.std = m_stdApp->isChecked();
    v.smtp = m_smtp->text();
    v.user = m_user->text();
    v.ww = m_ww->text();
    v.reply = m_reply->text();
    return v;
}

void ConfigPage::NumberBoxMaxGebruiktChange()
{
    if (m_coupling)
        return;
    ConfigValues v;
    v.maxgebruikt = m_maxGebruikt->value();
    v.maxnodig = m_maxNodig->value();
    ConfigForm::MaxUsedChanged(v);
    m_coupling = true;
    m_maxNodig->setValue(v.maxnodig);
    m_coupling = false;
}

void ConfigPage::NumberBoxMaxNodigChange()
{
    if (m_coupling)
        return;
    ConfigValues v;
    v.maxgebruikt = m_maxGebruikt->value();
    v.maxnodig = m_maxNodig->value();
    ConfigForm::MaxNeededChanged(v);
    m_coupling = true;
    m_maxGebruikt->setValue(v.maxgebruikt);
    m_coupling = false;
}

void ConfigPage::SBConfigOKClick()
{
    m_g.settings.mailtekst = m_memoMail->toPlainText().split(QLatin1Char('\n'));
    if (m_memoMail->toPlainText().isEmpty())
        m_g.settings.mailtekst.clear();
    ConfigForm::Confirm(m_g, ControlValues());
    m_w.ApplyScale(m_g.settings.inst.schaal);
    m_w.ApplyPartsVisibility();
    m_w.ShowPage(QStringLiteral("TabItemMain"));
}

void ConfigPage::SBConfigTerugClick()
{
    m_w.ApplyScale(m_g.settings.inst.schaal);
    m_w.ShowPage(QStringLiteral("TabItemMain"));
}

// ---- company page ---------------------------------------------------------------------------

ProPage::ProPage(TFMain& w) : QObject(&w), m_w(w), m_g(w.global())
{
    KVJargon& j = m_g.jargon;
    m_page = new KVPage(QStringLiteral("TabItemPro"));
    BindCaption(j, m_page->topBar()->title(), QStringLiteral("LabelPro"), QStringLiteral("Pro"));
    auto* back = m_page->topBar()->addLeft(QStringLiteral("SBProTerug"), QString());
    BindCaption(j, back, QStringLiteral("SBProTerug"), QStringLiteral("Terug"));
    auto* ok = m_page->topBar()->addRight(QStringLiteral("SBProOK"), QStringLiteral("OK"));
    auto* list = new KVListBox(QStringLiteral("ListBoxPro"));
    KVListItem* logoItem = row(m_g, m_w, list, QStringLiteral("ListBoxItemLogo"), QStringLiteral("Logo"), nullptr);
    m_logo = new QLabel;
    m_logo->setObjectName(QStringLiteral("ImageLogopro"));
    m_logo->setAlignment(Qt::AlignCenter);
    m_logo->setMinimumHeight(90);
    m_logo->setStyleSheet(QStringLiteral("background: white; border-bottom: 1px solid #DDD;"));
    m_logo->installEventFilter(this);
    m_logo->setToolTip(QStringLiteral("Dubbelklik om een logo-bestand te kiezen"));
    list->addWidget(m_logo);
    m_bedrijf = lineEdit(QStringLiteral("EditBedrijf"), nullptr);
    row(m_g, m_w, list, QStringLiteral("ListBoxItemBedrijf"), QStringLiteral("Bedrijfsnaam"), m_bedrijf);
    list->addHeader(QStringLiteral("ListBoxItemFooters"), QString());
    BindCaption(j, list->item(QStringLiteral("ListBoxItemFooters")), QStringLiteral("ListBoxItemFooters"), QStringLiteral("Footers"));
    m_footer1 = lineEdit(QStringLiteral("EditFooter1"), nullptr);
    m_footer2 = lineEdit(QStringLiteral("EditFooter2"), nullptr);
    m_footer3 = lineEdit(QStringLiteral("EditFooter3"), nullptr);
    for (auto [edit, n] : {std::pair{m_footer1, 1}, std::pair{m_footer2, 2}, std::pair{m_footer3, 3}})
        list->addItem(QStringLiteral("ListBoxItemFooter%1").arg(n), QStringLiteral("%1").arg(n))->setEditor(edit);
    KVListItem* sync = row(m_g, m_w, list, QStringLiteral("ListBoxItem47"), QStringLiteral("Synchronisatie"), nullptr);
    sync->setStyleSheet(QStringLiteral("color: #1F4E79;"));
    m_gebruiker = lineEdit(QStringLiteral("EditGebruiker"), nullptr);
    row(m_g, m_w, list, QStringLiteral("ListBoxItemCloudUser"), QStringLiteral("Gebruiker"), m_gebruiker);
    m_wachtwoord = lineEdit(QStringLiteral("Editwachtwoord"), nullptr, true);
    row(m_g, m_w, list, QStringLiteral("ListBoxItemCloudWW"), QStringLiteral("Wachtwoord"), m_wachtwoord);
    m_server = lineEdit(QStringLiteral("EditServer"), nullptr);
    row(m_g, m_w, list, QStringLiteral("ListBoxItemCloudServer"), QStringLiteral("Server"), m_server);
    list->addStretch();
    m_page->bodyLayout()->addWidget(scrolled(list));

    connect(back, &QToolButton::clicked, this, [this] { m_w.ShowPage(QStringLiteral("TabItemMain")); });
    connect(ok, &QToolButton::clicked, this, &ProPage::SBProOKClick);
    connect(logoItem, &QAbstractButton::clicked, this, &ProPage::ListBoxItemLogoClick);
    connect(sync, &QAbstractButton::clicked, this, [this] {
        // The test uses the page's edits as the account in memory; the file stays as it is.
        m_g.settings.cloud = {NormaliseCloudUser(m_gebruiker->text()), m_wachtwoord->text(), m_server->text()};
        m_g.cloud.ConnectionTest();
    });
    m_w.AddPage(m_page);
}

void ProPage::ShowLogo()
{
    m_logo->setPixmap(QPixmap::fromImage(m_g.logo.scaled(360, 80, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void ProPage::SBProClick()
{
    const ProValues v = ProForm::Open(m_g);
    m_bedrijf->setText(v.bedrijf);
    m_footer1->setText(v.footer1);
    m_footer2->setText(v.footer2);
    m_footer3->setText(v.footer3);
    m_gebruiker->setText(v.user);
    m_wachtwoord->setText(v.ww);
    m_server->setText(v.server);
    ShowLogo();
    m_w.ShowPage(QStringLiteral("TabItemPro"));
}

void ProPage::SBProOKClick()
{
    ProForm::Confirm(m_g, {m_bedrijf->text(), m_footer1->text(), m_footer2->text(), m_footer3->text(), m_gebruiker->text(),
                           m_wachtwoord->text(), m_server->text()});
    m_w.ShowPage(QStringLiteral("TabItemMain"));
}

void ProPage::ListBoxItemLogoClick()
{
    // This desktop has no photo library: the logo comes from a file.
    ImageLogoproDblClick();
}

void ProPage::ImageLogoproDblClick()
{
    const QString file = QFileDialog::getOpenFileName(m_page, QStringLiteral("Logo"), m_g.DocumentsFolder(),
                                                      QStringLiteral("Afbeeldingen (*.jpg *.jpeg *.png *.bmp *.gif);;*"));
    if (file.isEmpty())
        return;
    ProForm::LoadLogoFile(m_g, file);
    ShowLogo();
}

bool ProPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_logo && event->type() == QEvent::MouseButtonDblClick) {
        ImageLogoproDblClick();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// ---- About page -----------------------------------------------------------------------------

AboutPage::AboutPage(TFMain& w) : QObject(&w), m_w(w), m_g(w.global())
{
    m_page = new KVPage(QStringLiteral("TabItemAbout"));
    m_page->topBar()->setObjectName(QStringLiteral("ToolBarAbout"));
    m_page->topBar()->title()->setObjectName(QStringLiteral("LabelAbout"));
    m_page->topBar()->title()->setText(QStringLiteral("About"));
    auto* ok = m_page->topBar()->addRight(QStringLiteral("SBAboutOK"), QStringLiteral("OK"));
    auto* content = new QWidget;
    auto* v = new QVBoxLayout(content);
    v->setContentsMargins(16, 16, 16, 16);
    v->setSpacing(12);
    m_memoBeg = new QLabel;
    m_memoBeg->setObjectName(QStringLiteral("MemoBeg"));
    m_memoBeg->setWordWrap(true);
    m_memoBeg->setAlignment(Qt::AlignCenter);
    m_memoInfo = new QLabel;
    m_memoInfo->setObjectName(QStringLiteral("MemoInfo"));
    m_memoInfo->setAlignment(Qt::AlignCenter);
    m_memoInfo->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* band = new QLabel;
    band->setObjectName(QStringLiteral("Rectangle1"));
    band->setAlignment(Qt::AlignCenter);
    band->setStyleSheet(QStringLiteral("background: white;"));
    auto* icon = new QLabel(band);
    icon->setObjectName(QStringLiteral("Image1"));
    band->setPixmap(QPixmap(QStringLiteral(":/images/appicon.png")).scaled(100, 100, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    band->setMinimumHeight(116);
    m_links = new KVListBox(QStringLiteral("ListBoxAbout"));
    for (const char* name : {"ListBoxItemReview", "ListBoxItemFacebook", "ListBoxItemSite"})
        m_links->addItem(QLatin1String(name), QString());
    v->addWidget(m_memoBeg);
    v->addWidget(m_memoInfo);
    v->addWidget(band);
    v->addWidget(m_links);
    v->addStretch();
    m_page->bodyLayout()->addWidget(content);

    connect(ok, &QToolButton::clicked, this, [this] { m_w.ShowPage(QStringLiteral("TabItemMain")); });
    connect(m_links->item(QStringLiteral("ListBoxItemReview")), &QAbstractButton::clicked, this, &AboutPage::ListBoxItemReviewClick);
    connect(m_links->item(QStringLiteral("ListBoxItemFacebook")), &QAbstractButton::clicked, this, &AboutPage::ListBoxItemFacebookClick);
    connect(m_links->item(QStringLiteral("ListBoxItemSite")), &QAbstractButton::clicked, this, &AboutPage::ListBoxItemSiteClick);
    m_w.AddPage(m_page);
}

void AboutPage::ListBoxItemAboutClick()
{
    const AboutTexts t = AboutTextsFor(m_g);
    m_memoBeg->setText(t.memoBeg.join(QLatin1Char('\n')));
    m_memoInfo->setText(t.memoInfo0 + QLatin1Char('\n') + QStringLiteral("Kolvarn Software \u00B7 2019\u20132026"));
    m_links->item(QStringLiteral("ListBoxItemReview"))->setCaption(t.review);
    m_links->item(QStringLiteral("ListBoxItemFacebook"))->setCaption(t.facebook);
    m_links->item(QStringLiteral("ListBoxItemSite"))->setCaption(t.site);
    m_w.ShowPage(QStringLiteral("TabItemAbout"));
}

void AboutPage::ListBoxItemReviewClick() { OpenWebAddress(m_g, QString()); }
void AboutPage::ListBoxItemFacebookClick() { OpenWebAddress(m_g, QString()); }
void AboutPage::ListBoxItemSiteClick() { OpenWebAddress(m_g, EditionInfo::SiteUrl(m_g.edition)); }
