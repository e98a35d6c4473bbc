#include "TicketPages.h"

#include "DayPage.h"
#include "PageParts.h"
#include "TextFitLabel.h"
#include "TicketEditor.h"
#include "app/KVError.h"
#include "app/KVGlobal.h"
#include "app/TFMain.h"
#include "document/KVGrid.h"
#include "ticket/TicketOps.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QToolButton>

using namespace PageParts;

namespace {
const QString kMain = QStringLiteral("TabItemMain");

QLineEdit* lineEdit(const char* name)
{
    auto* e = new QLineEdit;
    e->setObjectName(QLatin1String(name));
    return e;
}

QPlainTextEdit* memo(const char* name)
{
    auto* m = new QPlainTextEdit;
    m->setObjectName(QLatin1String(name));
    m->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return m;
}

void onClick(QAbstractButton* button, QObject* receiver, std::function<void()> fn)
{
    QObject::connect(button, &QAbstractButton::clicked, receiver, [fn = std::move(fn)] { fn(); });
}
}

QStringList MemoLines(const QPlainTextEdit* memo)
{
    const QString text = memo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void SetMemoLines(QPlainTextEdit* memo, const QStringList& lines)
{
    memo->setPlainText(lines.join(QLatin1Char('\n')));
}

// ---- general page ---------------------------------------------------------------------------

AlgemeenPage::AlgemeenPage(TicketEditor& editor)
    : KVPage(QStringLiteral("TabItemAlgemeen")), m_editor(editor), m_g(editor.g())
{
    KVJargon& j = m_g.jargon;
    const auto [back, ok] = SetUpTopBar(j, this, QStringLiteral("LabelAlgemeen"), QStringLiteral("Algemeen"), QStringLiteral("SBAlgemeenTerug"),
                                        QStringLiteral("SBAlgemeenOK"));

    auto* list = new KVListBox(QStringLiteral("ListBoxAlgemeen"), body());
    m_bonnr = lineEdit("EditBonnr");
    m_datum = new QDateEdit(m_g.seams.Now().date());
    m_datum->setObjectName(QStringLiteral("DateEditAlg"));
    m_datum->setDisplayFormat(QStringLiteral("dd-MM-yyyy"));
    m_datum->setCalendarPopup(true);
    m_projectnr = lineEdit("EditProjectnr");
    m_opdrachtnr = lineEdit("EditOpdrachtnr");
    m_code = lineEdit("EditCode");
    m_opdrachtgever = lineEdit("EditOpdrachtgever");
    m_contactpers = lineEdit("EditContactpers");
    m_email = lineEdit("EditEmailOpdrachtgever");
    m_email->setInputMethodHints(Qt::ImhEmailCharactersOnly);
    m_werklocatie = lineEdit("EditWerklocatie");

    TFMain& main = editor.main();
    OffersTermEditor(main, AddRow(j, list, QStringLiteral("ListBoxItem2"), QStringLiteral("Bonnr"), EditorColumn(m_bonnr)));
    AddRow(j, list, QStringLiteral("ListBoxItemAlgDatum"), QStringLiteral("Datum"), EditorColumn(m_datum));
    const std::tuple<const char*, const char*, QLineEdit*> termRows[] = {
        {"ListBoxItemProjectNr", "Projectnr", m_projectnr},
        {"ListBoxItemOpdrachtNr", "Opdrachtnr", m_opdrachtnr},
        {"ListBoxItemCode", "Code", m_code},
        {"ListBoxItemOpdrachtgever", "Opdrachtgever", m_opdrachtgever},
        {"ListBoxItemContact", "Contact", m_contactpers},
    };
    for (const auto& [name, caption, edit] : termRows)
        OffersTermEditor(main, AddRow(j, list, QLatin1String(name), QLatin1String(caption), EditorColumn(edit)));
    AddRow(j, list, QStringLiteral("ListBoxItemEmail"), QStringLiteral("E-mail"), EditorColumn(m_email));
    OffersTermEditor(main, AddRow(j, list, QStringLiteral("ListBoxItemWerkLocatie"), QStringLiteral("Werklocatie"),
                                  EditorColumn(m_werklocatie)));
    KVListItem* heading = list->addHeader(QStringLiteral("ListBoxItemWerkzaamheden"), QString());
    BindCaption(j, heading, QStringLiteral("ListBoxItemWerkzaamheden"), QStringLiteral("Werkzaamheden"));
    // A header is not clickable, so its long press comes through the page's event filter.
    heading->setEnabled(true);
    heading->setCursor(Qt::ArrowCursor);
    OffersTermEditor(main, heading);
    m_werkzaamheden = memo("MemoWerkzaamheden");
    bodyLayout()->addWidget(list);
    auto* memoBox = new QWidget(body());
    auto* memoLayout = new QVBoxLayout(memoBox);
    memoLayout->setContentsMargins(10, 8, 10, 10);
    memoLayout->addWidget(m_werkzaamheden);
    m_werkzaamhedenFit = new TextFitLabel(QStringLiteral("LabelRegelsWerkzaamheden"), m_g, m_werkzaamheden, DescriptionFit, memoBox);
    memoLayout->addWidget(m_werkzaamhedenFit);
    bodyLayout()->addWidget(memoBox, 1);

    m_opdrachtgever->installEventFilter(this);
    onClick(back, this, [this] { m_editor.main().ShowPage(kMain); });
    onClick(ok, this, [this] { SBAlgemeenOKClick(); });
}

bool AlgemeenPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_opdrachtgever && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        EditOpdrachtgeverClick();
    return KVPage::eventFilter(watched, event);
}

void AlgemeenPage::EditOpdrachtgeverClick() { emit m_editor.OpenClientCatalogue(); }

void AlgemeenPage::Open()
{
    const TBon& b = m_g.bon;
    if (!b.datum.isEmpty()) {
        try {
            m_datum->setDate(ParseDatum(b.datum));
        } catch (const KVError& e) {
            m_g.seams.ShowMessage(e.text()); // the page is not shown
            return;
        }
    }
    m_bonnr->setText(b.bonnr);
    m_projectnr->setText(b.projectnr);
    m_werklocatie->setText(b.werklocatie);
    m_contactpers->setText(b.contactpers);
    m_opdrachtgever->setText(b.opdrachtgever);
    m_email->setText(b.email);
    m_opdrachtnr->setText(b.opdrachtnr);
    m_code->setText(b.code);
    SetMemoLines(m_werkzaamheden, b.werkzh);
    m_werkzaamhedenFit->Refresh();
    m_editor.main().ShowPage(objectName());
}

void AlgemeenPage::SBAlgemeenOKClick()
{
    TBon& b = m_g.bon;
    b.bonnr = m_bonnr->text();
    m_editor.main().LabelMain()->setText(b.bonnr);
    b.projectnr = m_projectnr->text();
    b.werklocatie = m_werklocatie->text();
    b.contactpers = m_contactpers->text();
    b.opdrachtgever = m_opdrachtgever->text();
    b.email = m_email->text();
    b.opdrachtnr = m_opdrachtnr->text();
    b.code = m_code->text();
    b.datum = FormatDatum(m_datum->date());
    b.week = m_datum->date().weekNumber();
    b.werkzh = MemoLines(m_werkzaamheden);
    m_editor.SetMenuDetail(QStringLiteral("ListBoxItemAlgemeen"), b.datum);
    m_editor.FinishBon();
}

// ---- kind-of-work page ----------------------------------------------------------------------

TypePage::TypePage(TicketEditor& editor) : KVPage(QStringLiteral("TabItemType")), m_editor(editor), m_g(editor.g())
{
    KVJargon& j = m_g.jargon;
    const auto [back, ok] = SetUpTopBar(j, this, QStringLiteral("LabelType"), QStringLiteral("Type"), QStringLiteral("SBTypeTerug"),
                                        QStringLiteral("SBTypeOK"));

    auto* list = new KVListBox(QStringLiteral("ListBoxType"), body());
    for (int k = 1; k <= 10; ++k) {
        m_checks[k] = new QCheckBox;
        m_checks[k]->setObjectName(QStringLiteral("CheckBox%1").arg(k));
    }
    const std::pair<const char*, const char*> kinds[] = {
        {"ListBoxItemRegie", "Regie"},       {"ListBoxItemProject", "Project"}, {"ListBoxItemInspectie", "Inspectie"},
        {"ListBoxItemMeerwerk", "Meerwerk"}, {"ListBoxItemGereed", "Gereed"},   {"ListBoxItemWaakdienst", "Waakdienst"}};
    for (int k = 1; k <= 6; ++k) {
        QCheckBox* check = m_checks[k];
        KVListItem* item = AddRow(j, list, QLatin1String(kinds[k - 1].first), QLatin1String(kinds[k - 1].second),
                                  AlignRight(check));
        OffersTermEditor(editor.main(), item);
        // A tap anywhere on the row ticks its box, as on a phone.
        onClick(item, check, [check] { check->toggle(); });
    }
    for (int k = 7; k <= 10; ++k) {
        m_names[k] = new QLineEdit;
        m_names[k]->setObjectName(QStringLiteral("EditType%1").arg(k));
        // A row of its own: the name edit takes the place of the caption.
        auto* box = new QWidget(list);
        box->setObjectName(QStringLiteral("ListBoxItemType%1").arg(k));
        box->setAttribute(Qt::WA_StyledBackground);
        box->setStyleSheet(QStringLiteral("#%1 { background: white; border-bottom: 1px solid #DDDDDD; }").arg(box->objectName()));
        auto* row = new QHBoxLayout(box);
        row->setContentsMargins(10, 6, 8, 6);
        row->addWidget(m_names[k], 1);
        row->addSpacing(16);
        row->addWidget(m_checks[k]);
        list->addWidget(box);
        box->setVisible(k != 10); // kind 10 keeps whatever it holds
    }
    list->addStretch();
    bodyLayout()->addWidget(list, 1);

    onClick(back, this, [this] { m_editor.main().ShowPage(kMain); });
    onClick(ok, this, [this] { SBTypeOKClick(); });
}

void TypePage::Open()
{
    const TBon& b = m_g.bon;
    for (int k = 1; k <= 10; ++k)
        m_checks[k]->setChecked(b.tw[k]);
    for (int k = 7; k <= 10; ++k)
        m_names[k]->setText(b.twd[k]);
    m_editor.main().ShowPage(objectName());
}

void TypePage::SBTypeOKClick()
{
    TBon& b = m_g.bon;
    for (int k = 1; k <= 10; ++k)
        b.tw[k] = m_checks[k]->isChecked();
    for (int k = 7; k <= 10; ++k)
        b.twd[k] = m_names[k]->text();
    const QString summary = TypeSummary(m_g);
    m_editor.SetMenuDetail(QStringLiteral("ListBoxItemType"), summary.isEmpty() ? NoDetail() : summary);
    m_editor.FinishBon();
}

// ---- Specificatie page -----------------------------------------------------------------------

SpecificatiePage::SpecificatiePage(TicketEditor& editor) : KVPage(QStringLiteral("TabItemSpecificatie")), m_editor(editor)
{
    KVJargon& j = editor.g().jargon;
    const auto [back, ok] = SetUpTopBar(j, this, QStringLiteral("LabelSpecificatie"), QStringLiteral("Specificatie"), QStringLiteral("SBSpecificatieTerug"),
                                        QStringLiteral("SBSpecificatieOK"));

    auto* list = new KVListBox(QStringLiteral("ListBoxSpecificatie"), body());
    const char* const days[] = {"Maandag", "Dinsdag", "Woensdag", "Donderdag", "Vrijdag", "Zaterdag", "Zondag"};
    for (int d = 1; d <= 7; ++d) {
        m_days[d] = AddRow(j, list, QStringLiteral("ListBoxItemDag%1").arg(d), QLatin1String(days[d - 1]));
        m_days[d]->setDetail(NoDetail());
        m_days[d]->setProperty("dayNumber", d);
        onClick(m_days[d], this, [this, d] { m_editor.dag()->ListBoxItemDag1Click(d); });
    }
    list->addStretch();
    bodyLayout()->addWidget(list, 1);

    onClick(back, this, [this] { m_editor.main().ShowPage(kMain); });
    onClick(ok, this, [this] { SBSpecificatieOKClick(); });
}

void SpecificatiePage::Open() { m_editor.main().ShowPage(objectName()); }

void SpecificatiePage::SBSpecificatieOKClick() { m_editor.FinishBon(); }

void SpecificatiePage::SetDayDetail(int day, const QString& text)
{
    if (day >= 1 && day <= 7)
        m_days[day]->setDetail(text);
}
