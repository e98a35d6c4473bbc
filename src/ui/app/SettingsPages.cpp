#include "SettingsPages.h"

#include "KVSwitch.h"
#include "KVWidgets.h"
#include "NumberStepper.h"
#include "TFMain.h"
#include "app/KVGlobal.h"
#include "app/KVOpenUrl.h"
#include "app/Resources.h"

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
QLineEdit* lineEdit(const QString& name, bool masked = false)
{
    auto* e = new QLineEdit;
    e->setObjectName(name);
    if (masked)
        e->setEchoMode(QLineEdit::Password);
    return e;
}

QCheckBox* checkBox(const QString& name)
{
    auto* c = new QCheckBox;
    c->setObjectName(name);
    c->setLayoutDirection(Qt::RightToLeft); // the box sits at the right edge of its row
    c->setProperty("kvRowCheck", true);
    return c;
}

// A row with a caption that follows the captions store and, optionally, an editor on the
// right. A caption that carries a term opens the term editor on a long press.
KVListItem* captionRow(KVGlobal& g, TFMain& w, KVListBox* list, const QString& name, const QString& design, QWidget* editor)
{
    KVListItem* item = list->addItem(name, QString());
    BindCaption(g.jargon, item, name, design);
    if (!g.jargon.TermKey(name).isEmpty())
        QObject::connect(item, &KVListItem::longPressed, &w, [&w, name] { w.OpenTermEditor(name); });
    if (editor) {
        item->setEditor(editor);
        item->setEditorStart(0.4); // the editors of a page form one column
    }
    return item;
}

// Filled edits show the start of their text, not its end.
void fillEdit(QLineEdit* e, const QString& text)
{
    e->setText(text);
    e->setCursorPosition(0);
}

// A white band in the list that holds a widget over the whole width (a memo, the footers).
QWidget* band(const QString& name, QWidget* content)
{
    auto* holder = new QWidget;
    holder->setObjectName(name);
    holder->setAttribute(Qt::WA_StyledBackground);
    holder->setStyleSheet(QStringLiteral("#%1 { background: white; border-bottom: 1px solid #DDDDDD; }").arg(name));
    auto* l = new QVBoxLayout(holder);
    l->setContentsMargins(12, 8, 12, 8);
    l->addWidget(content);
    return holder;
}

QScrollArea* scrolled(QWidget* content)
{
    auto* area = new QScrollArea;
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidget(content);
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return area;
}

QToolButton* topButton(KVPage* page, const char* name)
{
    return page->findChild<QToolButton*>(QLatin1String(name));
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
    list->setStyleSheet(QStringLiteral("#%1List { background: transparent; }").arg(name));
    auto* holder = new QWidget;
    holder->setObjectName(name);
    auto* v = new QVBoxLayout(holder);
    v->setContentsMargins(0, 8, 0, 0);
    v->addWidget(scrolled(list));
    m_g.jargon.Register(name, caption);
    const int index = m_tabs->addTab(holder, m_g.jargon.Caption(name));
    connect(&m_g.jargon, &KVJargon::CaptionChanged, m_tabs, [this, index, name](const QString& n, const QString& text) {
        if (n == name)
            m_tabs->setTabText(index, text);
    });
    return list;
}

KVListItem* ConfigPage::addRow(KVListBox* list, const QString& name, const QString& design, QWidget* editor)
{
    return captionRow(m_g, m_w, list, name, design, editor);
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
    m_tabs->setUsesScrollButtons(false);
    m_page->bodyLayout()->setContentsMargins(0, 10, 0, 0);
    m_page->bodyLayout()->addWidget(m_tabs);

    // Algemeen
    KVListBox* general = addTab(QStringLiteral("TabItemConfAlgemeen"), QStringLiteral("Algemeen"));
    m_schaal = new NumberStepper(QStringLiteral("Schaal"), 0, 1000, 1, 0.1);
    m_schaal->setTypingAllowed(false); // only the buttons change the scale
    addRow(general, QStringLiteral("ListBoxItemSchaal"), QStringLiteral("Schaal"), m_schaal);
    m_unit = new NumberStepper(QStringLiteral("Unitnr"), 0, 1000, 0);
    m_unit->setSuffixLabel(QStringLiteral("nr"));
    addRow(general, QStringLiteral("ListBoxItemDevice"), QStringLiteral("Device"), m_unit);
    m_bonnr = new NumberStepper(QStringLiteral("Bonnr"), 0, 100000000, 0);
    m_bonnr->setSuffixLabel(QStringLiteral("nr"));
    addRow(general, QStringLiteral("ListBoxItemKolvarn"), QStringLiteral("Kolvarn"), m_bonnr);
    m_correctie = checkBox(QStringLiteral("CheckBoxCorrectie"));
    addRow(general, QStringLiteral("ListBoxItemCorrectie"), QStringLiteral("Correctie bonnrs"), m_correctie);
    m_monteur = lineEdit(QStringLiteral("EditMonteur"));
    addRow(general, QStringLiteral("ListBoxItemMonteur"), QStringLiteral("Monteur"), m_monteur);
    m_maxGebruikt = new NumberStepper(QStringLiteral("MaxGebruikt"), 0, ConfigForm::PartsLines, 0);
    addRow(general, QStringLiteral("ListBoxItemMaxGebruikt"), QStringLiteral("Max Gebruikt"), m_maxGebruikt);
    m_maxNodig = new NumberStepper(QStringLiteral("MaxNodig"), 0, ConfigForm::PartsLines, 0);
    addRow(general, QStringLiteral("ListBoxItemMaxNodig"), QStringLiteral("Max Benodigd"), m_maxNodig);
    general->addStretch();

    // Email
    KVListBox* mail = addTab(QStringLiteral("TabItemConfEmail"), QStringLiteral("Email"));
    m_email = lineEdit(QStringLiteral("Editemail"));
    addRow(mail, QStringLiteral("ListBoxItemEmailKantoor"), QStringLiteral("E-mail kantoor"), m_email);
    m_stdApp = checkBox(QStringLiteral("CheckBoxStdApp"));
    addRow(mail, QStringLiteral("ListBoxItemStdApp"), QStringLiteral("Standaard Mail App"), m_stdApp);
    m_port = new NumberStepper(QStringLiteral("Port"), 0, 99999, 0, 0);
    addRow(mail, QStringLiteral("ListBoxItemPort"), QStringLiteral("Port"), m_port);
    m_smtp = lineEdit(QStringLiteral("EditSMTP"));
    addRow(mail, QStringLiteral("ListBoxItemSMTP"), QStringLiteral("SMTP"), m_smtp);
    m_user = lineEdit(QStringLiteral("EditUser"));
    addRow(mail, QStringLiteral("ListBoxItemMailUser"), QStringLiteral("Gebruiker"), m_user);
    m_ww = lineEdit(QStringLiteral("EditWW"), true);
    addRow(mail, QStringLiteral("ListBoxItemMailWW"), QStringLiteral("Wachtwoord"), m_ww);
    m_reply = lineEdit(QStringLiteral("EditReplyto"));
    addRow(mail, QStringLiteral("ListBoxItemAfzender"), QStringLiteral("Afzender"), m_reply);
    m_startTls = checkBox(QStringLiteral("CheckBoxStartTLS"));
    addRow(mail, QStringLiteral("ListBoxItemStartTLS"), QStringLiteral("STARTTLS vereist"), m_startTls);
    addRow(mail, QStringLiteral("ListBoxItemStdTekst"), QStringLiteral("Standaard tekst"), nullptr)->setHeader(true);
    m_memoMail = new QPlainTextEdit;
    m_memoMail->setObjectName(QStringLiteral("MemoMail"));
    m_memoMail->setMinimumHeight(140);
    mail->addWidget(band(QStringLiteral("ListBoxItemMemoMail"), m_memoMail));
    mail->addStretch();

    // Financieel
    KVListBox* money = addTab(QStringLiteral("TabItemConfFinancieel"), QStringLiteral("Financieel"));
    auto* radios = new QWidget;
    auto* rl = new QHBoxLayout(radios);
    rl->setContentsMargins(0, 0, 0, 0);
    rl->setSpacing(18);
    rl->addStretch(1);
    m_radioEx = new QRadioButton(QStringLiteral("Ex"), radios);
    m_radioEx->setObjectName(QStringLiteral("RadioEx"));
    m_radioInc = new QRadioButton(QStringLiteral("Inc"), radios);
    m_radioInc->setObjectName(QStringLiteral("RadioInc"));
    rl->addWidget(m_radioEx);
    rl->addWidget(m_radioInc);
    addRow(money, QStringLiteral("ListBoxItemUurprijzen"), QStringLiteral("Uurprijzen"), radios);
    m_prijsWerk = new NumberStepper(QStringLiteral("PrijsWerk"), 0, 100000, 2);
    addRow(money, QStringLiteral("ListBoxItemWerktijd"), QStringLiteral("Werktijd"), m_prijsWerk);
    m_prijsOver = new NumberStepper(QStringLiteral("PrijsOver"), 0, 100000, 2);
    addRow(money, QStringLiteral("ListBoxItemOverwerk"), QStringLiteral("Overwerk"), m_prijsOver);
    m_prijsReis = new NumberStepper(QStringLiteral("PrijsReis"), 0, 100000, 2);
    addRow(money, QStringLiteral("ListBoxItemReistijd"), QStringLiteral("Reistijd"), m_prijsReis);
    m_prijsKm = new NumberStepper(QStringLiteral("PrijsKM"), 0, 100000, 2);
    addRow(money, QStringLiteral("ListBoxItemAfstandPrijs"), QStringLiteral("Kilometerprijs"), m_prijsKm);
    m_btw = new NumberStepper(QStringLiteral("BTW"), 0, 100, 2);
    addRow(money, QStringLiteral("ListBoxItemBTW"), QStringLiteral("BTW %"), m_btw);
    m_auto = new KVSwitch(QStringLiteral("SwitchAuto"));
    addRow(money, QStringLiteral("ListBoxItemAuto"), QStringLiteral("Berekening bedragen"), m_auto);
    money->addStretch();

    // Taal
    KVListBox* lang = addTab(QStringLiteral("TabItemConfInternationaal"), QStringLiteral("Taal"));
    m_lang = new QComboBox;
    m_lang->setObjectName(QStringLiteral("ComboBoxLang"));
    m_lang->addItems({QStringLiteral("de"), QStringLiteral("en"), QStringLiteral("es"), QStringLiteral("fr"), QStringLiteral("nl")});
    addRow(lang, QStringLiteral("ListBoxItemTaal"), QStringLiteral("Taal"), m_lang);
    m_valuta = lineEdit(QStringLiteral("EditValuta"));
    addRow(lang, QStringLiteral("ListBoxItemValuta"), QStringLiteral("Valuta"), m_valuta);
    m_afstand = lineEdit(QStringLiteral("EditAfstand"));
    addRow(lang, QStringLiteral("ListBoxItemAfstandUnit"), QStringLiteral("Afstand"), m_afstand);
    lang->addStretch();

    connect(topButton(m_page, "SBConfigOK"), &QToolButton::clicked, this, &ConfigPage::SBConfigOKClick);
    connect(topButton(m_page, "SBConfigTerug"), &QToolButton::clicked, this, &ConfigPage::SBConfigTerugClick);
    // The scale previews at once over the whole interface.
    connect(m_schaal, &NumberStepper::stepped, this, [this](double v) { m_w.ApplyScale(v); });
    connect(m_maxGebruikt, &NumberStepper::valueChanged, this, &ConfigPage::NumberBoxMaxGebruiktChange);
    connect(m_maxNodig, &NumberStepper::valueChanged, this, &ConfigPage::NumberBoxMaxNodigChange);
    connect(m_memoMail, &QPlainTextEdit::textChanged, this, &ConfigPage::MemoMailChange);
    m_w.AddPage(m_page);
}

void ConfigPage::SBConfigClick()
{
    const ConfigValues v = ConfigForm::Open(m_g);
    m_filling = true; // no coupling while the boxes are filled
    m_schaal->setValue(v.schaal);
    m_unit->setValue(v.unit);
    fillEdit(m_monteur, v.monteur);
    fillEdit(m_email, v.email);
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
    // The values first, within the design range; then the ranges the current ticket allows.
    m_maxGebruikt->setRange(0, ConfigForm::PartsLines);
    m_maxNodig->setRange(0, ConfigForm::PartsLines);
    m_maxGebruikt->setValue(v.maxgebruikt);
    m_maxNodig->setValue(v.maxnodig);
    const NumberRange used = ConfigForm::MaxUsedRange(m_g), needed = ConfigForm::MaxNeededRange(m_g);
    m_maxGebruikt->setRange(used.min, used.max);
    m_maxNodig->setRange(needed.min, needed.max);
    m_lang->setCurrentIndex(v.taal);
    fillEdit(m_valuta, v.valuta);
    fillEdit(m_afstand, v.afstand);
    m_port->setValue(v.port);
    m_stdApp->setChecked(v.std);
    fillEdit(m_smtp, v.smtp);
    fillEdit(m_user, v.user);
    fillEdit(m_ww, v.ww);
    fillEdit(m_reply, v.reply);
    m_startTls->setChecked(v.mailTlsRequired);
    // The memo is the in-memory mail text; it only shows it again.
    if (ConfigForm::MailTextLines(m_memoMail->toPlainText()) != m_g.settings.mailtekst)
        m_memoMail->setPlainText(m_g.settings.mailtekst.join(QLatin1Char('\n')));
    m_filling = false;
    m_tabs->setCurrentIndex(0);
    m_w.ShowPage(QStringLiteral("TabItemConfig"));
}

void ConfigPage::MemoMailChange()
{
    if (!m_filling)
        m_g.settings.mailtekst = ConfigForm::MailTextLines(m_memoMail->toPlainText());
}

ConfigValues ConfigPage::ControlValues() const
{
    // Take over every typed number first: a committed number may move the other maximum.
    for (NumberStepper* s : {m_schaal, m_unit, m_bonnr, m_maxGebruikt, m_maxNodig, m_prijsWerk, m_prijsOver, m_prijsReis,
                             m_prijsKm, m_btw, m_port})
        s->value();
    ConfigValues v;
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
    v.mailTlsRequired = m_startTls->isChecked();
    return v;
}

void ConfigPage::NumberBoxMaxGebruiktChange()
{
    if (m_filling)
        return;
    // The other box by its committed value: taking over its typed text here would run its
    // own coupling in the middle of this one.
    ConfigValues v;
    v.maxgebruikt = m_maxGebruikt->box()->value();
    v.maxnodig = m_maxNodig->box()->value();
    ConfigForm::MaxUsedChanged(v);
    m_filling = true;
    m_maxNodig->setValue(v.maxnodig);
    m_filling = false;
}

void ConfigPage::NumberBoxMaxNodigChange()
{
    if (m_filling)
        return;
    ConfigValues v;
    v.maxgebruikt = m_maxGebruikt->box()->value();
    v.maxnodig = m_maxNodig->box()->value();
    ConfigForm::MaxNeededChanged(v);
    m_filling = true;
    m_maxGebruikt->setValue(v.maxgebruikt);
    m_filling = false;
}

void ConfigPage::SBConfigOKClick()
{
    // Steps 1 to 8; a refused write ends here and the page stays open.
    ConfigForm::Confirm(m_g, ControlValues());
    // 9. The parts items of the main menu; 10. the main page.
    m_w.ApplyPartsVisibility();
    m_w.ShowPage(QStringLiteral("TabItemMain"));
}

void ConfigPage::SBConfigTerugClick()
{
    // Undo a scale preview; nothing else is taken over.
    m_w.ApplyScale(m_g.settings.inst.schaal);
    m_w.ShowPage(QStringLiteral("TabItemMain"));
}

// ---- company page ---------------------------------------------------------------------------

ProPage::ProPage(TFMain& w) : QObject(&w), m_w(w), m_g(w.global())
{
    ChooseLogoFile = [this](const QString& startFolder) {
        return QFileDialog::getOpenFileName(m_page, QStringLiteral("Logo"), startFolder,
                                            QStringLiteral("Afbeeldingen (*.jpg *.jpeg *.png *.bmp *.gif);;* (*)"));
    };

    KVJargon& j = m_g.jargon;
    m_page = new KVPage(QStringLiteral("TabItemPro"));
    BindCaption(j, m_page->topBar()->title(), QStringLiteral("LabelPro"), QStringLiteral("Pro"));
    auto* back = m_page->topBar()->addLeft(QStringLiteral("SBProTerug"), QString());
    BindCaption(j, back, QStringLiteral("SBProTerug"), QStringLiteral("Terug"));
    auto* ok = m_page->topBar()->addRight(QStringLiteral("SBProOK"), QStringLiteral("OK"));

    auto* list = new KVListBox(QStringLiteral("ListBoxPro"));
    list->setStyleSheet(QStringLiteral("#ListBoxPro { background: transparent; }"));
    KVListItem* logoItem = captionRow(m_g, m_w, list, QStringLiteral("ListBoxItemLogo"), QStringLiteral("Logo"), nullptr);
    m_logo = new QLabel;
    m_logo->setObjectName(QStringLiteral("ImageLogopro"));
    m_logo->setAlignment(Qt::AlignCenter);
    m_logo->setMinimumHeight(96);
    m_logo->installEventFilter(this);
    m_logo->setToolTip(QStringLiteral("Dubbelklik om een logo-bestand te kiezen"));
    list->addWidget(band(QStringLiteral("ListBoxItemLogoPreview"), m_logo));

    m_bedrijf = lineEdit(QStringLiteral("EditBedrijf"));
    captionRow(m_g, m_w, list, QStringLiteral("ListBoxItemBedrijf"), QStringLiteral("Bedrijfsnaam"), m_bedrijf);
    captionRow(m_g, m_w, list, QStringLiteral("ListBoxItemFooters"), QStringLiteral("Footers"), nullptr)->setHeader(true);
    auto* footers = new QWidget;
    auto* fl = new QVBoxLayout(footers);
    fl->setContentsMargins(0, 0, 0, 0);
    fl->setSpacing(8);
    m_footer1 = lineEdit(QStringLiteral("EditFooter1"));
    m_footer2 = lineEdit(QStringLiteral("EditFooter2"));
    m_footer3 = lineEdit(QStringLiteral("EditFooter3"));
    for (QLineEdit* e : {m_footer1, m_footer2, m_footer3})
        fl->addWidget(e);
    list->addWidget(band(QStringLiteral("ListBoxItemFooterEdits"), footers));

    KVListItem* sync = captionRow(m_g, m_w, list, QStringLiteral("ListBoxItem47"), QStringLiteral("Synchronisatie"), nullptr);
    sync->setCaptionColor(QColor(0x1E, 0x6F, 0xD9));
    m_gebruiker = lineEdit(QStringLiteral("EditGebruiker"));
    captionRow(m_g, m_w, list, QStringLiteral("ListBoxItemCloudUser"), QStringLiteral("Gebruiker"), m_gebruiker);
    m_wachtwoord = lineEdit(QStringLiteral("Editwachtwoord"), true);
    captionRow(m_g, m_w, list, QStringLiteral("ListBoxItemCloudWW"), QStringLiteral("Wachtwoord"), m_wachtwoord);
    m_server = lineEdit(QStringLiteral("EditServer"));
    captionRow(m_g, m_w, list, QStringLiteral("ListBoxItemCloudServer"), QStringLiteral("Server"), m_server);
    m_tls = checkBox(QStringLiteral("CheckBoxTLS"));
    captionRow(m_g, m_w, list, QStringLiteral("ListBoxItemCloudTLS"), QStringLiteral("TLS vereist"), m_tls);
    m_ca = lineEdit(QStringLiteral("EditCA"));
    captionRow(m_g, m_w, list, QStringLiteral("ListBoxItemCloudCA"), QStringLiteral("CA-bestand"), m_ca);
    list->addStretch();
    m_page->bodyLayout()->setContentsMargins(0, 10, 0, 0);
    m_page->bodyLayout()->addWidget(scrolled(list));

    connect(back, &QToolButton::clicked, this, &ProPage::SBProTerugClick);
    connect(ok, &QToolButton::clicked, this, &ProPage::SBProOKClick);
    connect(logoItem, &QAbstractButton::clicked, this, &ProPage::ListBoxItemLogoClick);
    connect(sync, &QAbstractButton::clicked, this, &ProPage::ListBoxItem47Click);
    m_w.AddPage(m_page);
}

void ProPage::ShowLogo()
{
    const QImage logo = ProForm::CurrentLogo(m_g);
    m_logo->setPixmap(QPixmap::fromImage(logo.scaled(380, 84, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

ProValues ProPage::ControlValues() const
{
    return {m_bedrijf->text(), m_footer1->text(), m_footer2->text(),  m_footer3->text(),
            m_gebruiker->text(), m_wachtwoord->text(), m_server->text(), m_tls->isChecked(), m_ca->text()};
}

void ProPage::SBProClick()
{
    const ProValues v = ProForm::Open(m_g);
    fillEdit(m_bedrijf, v.bedrijf);
    fillEdit(m_footer1, v.footer1);
    fillEdit(m_footer2, v.footer2);
    fillEdit(m_footer3, v.footer3);
    fillEdit(m_gebruiker, v.user);
    fillEdit(m_wachtwoord, v.ww);
    fillEdit(m_server, v.server);
    m_tls->setChecked(v.tlsRequired);
    fillEdit(m_ca, v.ca);
    // Empty, the system's trust store vouches for the server.
    m_ca->setPlaceholderText(m_g.Translate(QStringLiteral("Vertrouwde certificaten van het systeem")));
    m_w.ShowPage(QStringLiteral("TabItemPro"));
}

void ProPage::SBProOKClick()
{
    // Steps 1 to 6; a refused write ends here and the page stays open.
    ProForm::Confirm(m_g, ControlValues());
    m_w.ShowPage(QStringLiteral("TabItemMain"));
}

void ProPage::SBProTerugClick() { m_w.ShowPage(QStringLiteral("TabItemMain")); }

void ProPage::ListBoxItemLogoClick()
{
    // This desktop has no photo library: the row offers the file instead.
    ImageLogoproDblClick();
}

void ProPage::ImageLogoproDblClick()
{
    const QString file = ChooseLogoFile ? ChooseLogoFile(m_g.DocumentsFolder()) : QString();
    if (file.isEmpty())
        return;
    ProForm::LoadLogoFile(m_g, file);
    ShowLogo();
}

void ProPage::ListBoxItem47Click() { ProForm::ConnectionTest(m_g, ControlValues()); }

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
    InitCoreResources(); // the app icon lives with the core's images
    m_page = new KVPage(QStringLiteral("TabItemAbout"));
    m_page->topBar()->setObjectName(QStringLiteral("ToolBarAbout"));
    m_page->topBar()->title()->setObjectName(QStringLiteral("LabelAbout"));
    m_page->topBar()->title()->setText(QStringLiteral("About"));
    auto* ok = m_page->topBar()->addRight(QStringLiteral("SBAboutOK"), QStringLiteral("OK"));

    auto* content = new QWidget;
    auto* v = new QVBoxLayout(content);
    v->setContentsMargins(0, 18, 0, 0);
    v->setSpacing(14);
    m_memoBeg = new QLabel;
    m_memoBeg->setObjectName(QStringLiteral("MemoBeg"));
    m_memoBeg->setWordWrap(true);
    m_memoBeg->setAlignment(Qt::AlignCenter);
    m_memoBeg->setContentsMargins(22, 0, 22, 0);
    m_memoBeg->setStyleSheet(QStringLiteral("color: #444444;"));
    m_memoInfo = new QLabel;
    m_memoInfo->setObjectName(QStringLiteral("MemoInfo"));
    m_memoInfo->setAlignment(Qt::AlignCenter);
    m_memoInfo->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_memoInfo->setStyleSheet(QStringLiteral("color: #1F4E79;"));

    auto* rect = new QWidget;
    rect->setObjectName(QStringLiteral("Rectangle1"));
    rect->setAttribute(Qt::WA_StyledBackground);
    rect->setStyleSheet(QStringLiteral("#Rectangle1 { background: white; }"));
    auto* rl = new QVBoxLayout(rect);
    rl->setContentsMargins(0, 12, 0, 12);
    auto* icon = new QLabel(rect);
    icon->setObjectName(QStringLiteral("Image1"));
    icon->setAlignment(Qt::AlignCenter);
    icon->setPixmap(QPixmap(QStringLiteral(":/images/appicon.png")).scaled(100, 100, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    rl->addWidget(icon);

    m_links = new KVListBox(QStringLiteral("ListBoxAbout"));
    m_links->setStyleSheet(QStringLiteral("#ListBoxAbout { background: transparent; }"));
    for (const auto& [name, iconName] : {std::pair{"ListBoxItemReview", "review"}, std::pair{"ListBoxItemFacebook", "like"},
                                         std::pair{"ListBoxItemSite", "site"}})
        m_links->addItem(QLatin1String(name), QString())->setIconName(QStringLiteral(":/ui/icons/%1.svg").arg(QLatin1String(iconName)));

    v->addWidget(m_memoBeg);
    v->addWidget(m_memoInfo);
    v->addWidget(rect);
    v->addSpacing(10);
    v->addWidget(m_links);
    v->addStretch();
    m_page->bodyLayout()->addWidget(content);

    connect(ok, &QToolButton::clicked, this, &AboutPage::SBAboutOKClick);
    connect(m_links->item(QStringLiteral("ListBoxItemReview")), &QAbstractButton::clicked, this, &AboutPage::ListBoxItemReviewClick);
    connect(m_links->item(QStringLiteral("ListBoxItemFacebook")), &QAbstractButton::clicked, this, &AboutPage::ListBoxItemFacebookClick);
    connect(m_links->item(QStringLiteral("ListBoxItemSite")), &QAbstractButton::clicked, this, &AboutPage::ListBoxItemSiteClick);
    m_w.AddPage(m_page);
}

void AboutPage::ListBoxItemAboutClick()
{
    // Rewritten, not appended, on every opening.
    const AboutTexts t = AboutTextsFor(m_g);
    m_memoBeg->setText(t.memoBeg.join(QLatin1Char('\n')));
    m_memoInfo->setText(t.memoInfo0 + QLatin1Char('\n') + QString::fromUtf8("Kolvarn Software \u00B7 2019\u20132024"));
    m_links->item(QStringLiteral("ListBoxItemReview"))->setCaption(t.review);
    m_links->item(QStringLiteral("ListBoxItemFacebook"))->setCaption(t.facebook);
    m_links->item(QStringLiteral("ListBoxItemSite"))->setCaption(t.site);
    m_w.ShowPage(QStringLiteral("TabItemAbout"));
}

void AboutPage::SBAboutOKClick() { m_w.ShowPage(QStringLiteral("TabItemMain")); }

// Review and Facebook have no desktop address; the site opens in the default browser.
void AboutPage::ListBoxItemReviewClick() { OpenWebAddress(m_g, QString(), false); }
void AboutPage::ListBoxItemFacebookClick() { OpenWebAddress(m_g, QString(), false); }
void AboutPage::ListBoxItemSiteClick() { OpenWebAddress(m_g, EditionInfo::SiteUrl(m_g.edition), false); }
