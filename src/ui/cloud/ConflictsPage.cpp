#include "ConflictsPage.h"

#include "app/KVGlobal.h"
#include "cloud/CloudConflicts.h"
#include "cloud/KVCloud.h"

#include <QHeaderView>
#include <QListWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
// The caption that names the kind: the user's own terms reach the list this way.
QString kindCaption(KVGlobal& g, CloudKind kind)
{
    switch (kind) {
    case CloudKind::Tickets: return g.jargon.Caption(QStringLiteral("ListBoxItemKolvarn"));
    case CloudKind::Clients: return g.jargon.Caption(QStringLiteral("ListBoxItemOG"));
    case CloudKind::Parts: break;
    }
    return g.jargon.Caption(QStringLiteral("ListBoxItemOD"));
}
} // namespace

ConflictsPage::ConflictsPage(KVGlobal& global, KVCloud& cloud, QWidget* parent)
    : KVPage(QStringLiteral("TabItemConflicten"), parent), g(global), m_cloud(cloud)
{
    BindCaption(g.jargon, topBar()->title(), QStringLiteral("TabItemConflictenTitle"), QStringLiteral("Conflicten"));
    auto* back = topBar()->addLeft(QStringLiteral("SBConflictenTerug"), QString());
    BindCaption(g.jargon, back, QStringLiteral("SBConflictenTerug"), QStringLiteral("Terug"));

    m_list = new QListWidget(body());
    m_list->setObjectName(QStringLiteral("ListBoxConflicten"));
    bodyLayout()->addWidget(m_list, 1);
    m_fields = new QTableWidget(0, 3, body());
    m_fields->setObjectName(QStringLiteral("GridConflictVelden"));
    m_fields->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_fields->setSelectionMode(QAbstractItemView::NoSelection);
    m_fields->verticalHeader()->hide();
    m_fields->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    bodyLayout()->addWidget(m_fields, 2);

    const struct {
        const char* name;
        const char* caption;
        ConflictChoice choice;
    } buttons[] = {
        {"SBConflictMijn", "Mijn versie", ConflictChoice::KeepMine},
        {"SBConflictAnder", "Andere versie", ConflictChoice::KeepTheirs},
        {"SBConflictBeide", "Beide houden", ConflictChoice::KeepBoth},
    };
    for (const auto& b : buttons) {
        KVSpeedButton* button = addBottomButton(QLatin1String(b.name), QString());
        BindCaption(g.jargon, button, QLatin1String(b.name), QString::fromUtf8(b.caption));
        const int choice = int(b.choice);
        connect(button, &QToolButton::clicked, this, [this, choice] { Choose(choice); });
    }
    connect(back, &QToolButton::clicked, this, &ConflictsPage::Leave);
    connect(m_list, &QListWidget::currentRowChanged, this, [this] { showSelected(); });
}

void ConflictsPage::SBBadgeConflictenClick()
{
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    for (const CloudConflict& c : m_cloud.Conflicts().List())
        m_list->addItem(kindCaption(g, c.kind) + QStringLiteral(": ") + c.title + QStringLiteral("  (") +
                        c.created.toString(QStringLiteral("dd-MM-yyyy HH:mm")) + QLatin1Char(')'));
    m_list->setCurrentRow(m_list->count() > 0 ? 0 : -1);
    showSelected();
}

void ConflictsPage::showSelected()
{
    m_fields->setHorizontalHeaderLabels(
        {g.Translate(QStringLiteral("Veld")), g.Translate(QStringLiteral("Mijn versie")), g.Translate(QStringLiteral("Andere versie"))});
    m_fields->setRowCount(0);
    const QList<CloudConflict> list = m_cloud.Conflicts().List();
    const int row = m_list->currentRow();
    if (row < 0 || row >= list.size())
        return;
    const QList<ConflictField> fields = m_cloud.Conflicts().Differences(list[row]);
    m_fields->setRowCount(int(fields.size()));
    for (int i = 0; i < fields.size(); ++i) {
        m_fields->setItem(i, 0, new QTableWidgetItem(fields[i].column));
        m_fields->setItem(i, 1, new QTableWidgetItem(fields[i].mine));
        m_fields->setItem(i, 2, new QTableWidgetItem(fields[i].theirs));
    }
}

void ConflictsPage::Choose(int choice)
{
    const QList<CloudConflict> list = m_cloud.Conflicts().List();
    const int row = m_list->currentRow();
    if (row < 0 || row >= list.size())
        return;
    m_cloud.Conflicts().Resolve(list[row], ConflictChoice(choice));
    SBBadgeConflictenClick();
    if (m_list->count() == 0)
        emit Leave();
}
