#include "DayPage.h"

#include "PageParts.h"
#include "TicketEditor.h"
#include "TicketPages.h"
#include "app/KVError.h"
#include "app/KVGlobal.h"
#include "app/TFMain.h"
#include "ticket/DayMath.h"
#include "ticket/TicketOps.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <cmath>

using namespace PageParts;

namespace {
const QString kSpecificatie = QStringLiteral("TabItemSpecificatie");

// A stepper: "-" field "+".
QWidget* stepper(QPushButton* min, QWidget* field, QPushButton* plus)
{
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addStretch(1);
    row->addWidget(min);
    row->addWidget(field);
    row->addWidget(plus);
    field->setFixedWidth(96);
    return box;
}
}

DagPage::DagPage(TicketEditor& editor) : KVPage(QStringLiteral("TabItemDag")), m_editor(editor), m_g(editor.g())
{
    KVJargon& j = m_g.jargon;
    const auto [back, ok] = SetUpTopBar(j, this, QStringLiteral("LabelDag"), QStringLiteral("Dag vd week"),
                                        QStringLiteral("SBDagTerug"), QStringLiteral("SBDagOK"));
    auto* list = new KVListBox(QStringLiteral("ListBoxDag"), body());

    m_datum = new QDateEdit(m_g.seams.Now().date());
    m_datum->setObjectName(QStringLiteral("DateEditDag"));
    m_datum->setDisplayFormat(QStringLiteral("dd-MM-yyyy"));
    m_datum->setCalendarPopup(true);
    AddRow(j, list, QStringLiteral("ListBoxItemDagDatum"), QStringLiteral("Datum"), AlignRight(m_datum));
    m_datum->setMinimumWidth(150);

    QPushButton *plus = nullptr, *min = nullptr;
    m_werktijd = timeRow(list, QStringLiteral("ListBoxItemDagWerktijd"), QStringLiteral("Werktijd"),
                         QStringLiteral("TimeEditWerktijd"), QStringLiteral("ButtonPlusWerktijd"),
                         QStringLiteral("ButtonMinWerktijd"), &plus, &min);
    connect(plus, &QPushButton::clicked, this, &DagPage::ButtonPlusWerktijdClick);
    connect(min, &QPushButton::clicked, this, &DagPage::ButtonMinWerktijdClick);
    m_overwerk = timeRow(list, QStringLiteral("ListBoxItemDagOverwerk"), QStringLiteral("Overwerk"),
                         QStringLiteral("TimeEditOverwerk"), QStringLiteral("ButtonPlusOverwerk"),
                         QStringLiteral("ButtonMinOverwerk"), &plus, &min);
    connect(plus, &QPushButton::clicked, this, &DagPage::ButtonPlusOverwerkClick);
    connect(min, &QPushButton::clicked, this, &DagPage::ButtonMinOverwerkClick);
    m_reistijd = timeRow(list, QStringLiteral("ListBoxItemDagReistijd"), QStringLiteral("Reistijd"),
                         QStringLiteral("TimeEditReistijd"), QStringLiteral("ButtonPlusReistijd"),
                         QStringLiteral("ButtonMinReistijd"), &plus, &min);
    connect(plus, &QPushButton::clicked, this, &DagPage::ButtonPlusReistijdClick);
    connect(min, &QPushButton::clicked, this, &DagPage::ButtonMinReistijdClick);

    m_km = new QSpinBox;
    m_km->setObjectName(QStringLiteral("NumberBoxKilometer"));
    m_km->setRange(0, DayMath::MaxKilometers);
    m_km->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_km->setAlignment(Qt::AlignCenter);
    plus = StepButton(QStringLiteral("ButtonPlusKilometer"), QStringLiteral("+"));
    min = StepButton(QStringLiteral("ButtonMinKilometer"), QStringLiteral("-"));
    // The caption follows the distance unit (BRANCHE/afstand).
    AddRow(j, list, QStringLiteral("ListBoxItemAfstand"), QStringLiteral("Kilometers"), stepper(min, m_km, plus));
    connect(plus, &QPushButton::clicked, this, &DagPage::ButtonPlusKilometerClick);
    connect(min, &QPushButton::clicked, this, &DagPage::ButtonMinKilometerClick);
    list->addStretch();
    bodyLayout()->addWidget(list, 1);

    connect(back, &QToolButton::clicked, this, [this] { m_editor.main().ShowPage(kSpecificatie); });
    connect(ok, &QToolButton::clicked, this, &DagPage::SBDagOKClick);
}

QTimeEdit* DagPage::timeRow(KVListBox* list, const QString& itemName, const QString& caption, const QString& editName,
                            const QString& plusName, const QString& minName, QPushButton** plus, QPushButton** min)
{
    auto* edit = new QTimeEdit;
    edit->setObjectName(editName);
    edit->setDisplayFormat(QStringLiteral("H:mm"));
    edit->setButtonSymbols(QAbstractSpinBox::NoButtons);
    edit->setAlignment(Qt::AlignCenter);
    edit->setTime(QTime(0, 0));
    *plus = StepButton(plusName, QStringLiteral("+"));
    *min = StepButton(minName, QStringLiteral("-"));
    AddRow(m_g.jargon, list, itemName, caption, stepper(*min, edit, *plus));
    return edit;
}

void DagPage::ListBoxItemDag1Click(int day)
{
    const TBon& b = m_g.bon;
    QDate date;
    if (!b.dag[day].isEmpty()) {
        try {
            date = ParseDatum(b.dag[day]);
        } catch (const KVError& e) {
            m_g.seams.ShowMessage(e.text()); // the page is not shown
            return;
        }
    } else {
        date = DayMath::ProposedDate(m_g.seams.Now().date(), day);
    }
    topBar()->title()->setText(m_editor.specificatie()->DayItem(day)->caption());
    m_g.CurrentDay = day;
    m_datum->setDate(date);
    m_werktijd->setTime(DayMath::TimeOfHours(b.werk[day]));
    m_overwerk->setTime(DayMath::TimeOfHours(b.over[day]));
    m_reistijd->setTime(DayMath::TimeOfHours(b.reis[day]));
    m_km->setValue(b.km[day]);
    m_editor.main().ShowPage(objectName());
}

void DagPage::SBDagOKClick()
{
    TBon& b = m_g.bon;
    const int day = m_g.CurrentDay;
    if (day < 1 || day > 7)
        return;
    b.dag[day] = FormatDatum(m_datum->date());
    m_editor.specificatie()->SetDayDetail(day, b.dag[day]);
    b.werk[day] = DayMath::HoursOf(m_werktijd->time());
    b.over[day] = DayMath::HoursOf(m_overwerk->time());
    b.reis[day] = DayMath::HoursOf(m_reistijd->time());
    b.km[day] = m_km->value();
    m_editor.main().ShowPage(kSpecificatie);
}

void DagPage::ButtonPlusWerktijdClick() { m_werktijd->setTime(DayMath::StepUp(m_werktijd->time())); }
void DagPage::ButtonMinWerktijdClick() { m_werktijd->setTime(DayMath::StepDown(m_werktijd->time())); }
void DagPage::ButtonPlusOverwerkClick() { m_overwerk->setTime(DayMath::StepUp(m_overwerk->time())); }
void DagPage::ButtonMinOverwerkClick() { m_overwerk->setTime(DayMath::StepDown(m_overwerk->time())); }
void DagPage::ButtonPlusReistijdClick() { m_reistijd->setTime(DayMath::StepUp(m_reistijd->time())); }
void DagPage::ButtonMinReistijdClick() { m_reistijd->setTime(DayMath::StepDown(m_reistijd->time())); }
void DagPage::ButtonPlusKilometerClick() { m_km->setValue(DayMath::StepKilometers(m_km->value(), 1)); }
void DagPage::ButtonMinKilometerClick() { m_km->setValue(DayMath::StepKilometers(m_km->value(), -1)); }
