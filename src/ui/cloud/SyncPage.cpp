#include "SyncPage.h"

#include "app/KVGlobal.h"
#include "app/SettingsStore.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>

SyncPage::SyncPage(KVGlobal& global, QWidget* parent) : KVPage(QStringLiteral("TabItemSync"), parent), g(global)
{
    BindCaption(g.jargon, topBar()->title(), QStringLiteral("TabItemSyncTitle"), QStringLiteral("Sync Units"));
    auto* back = topBar()->addLeft(QStringLiteral("SBSyncTerug"), QString());
    BindCaption(g.jargon, back, QStringLiteral("SBSyncTerug"), QStringLiteral("Terug"));
    auto* ok = topBar()->addRight(QStringLiteral("SBSyncOK"), QStringLiteral("OK"));

    m_list = new KVListBox(QStringLiteral("ListBoxSync"), body());
    for (int n = 0; n <= 10; ++n) {
        const QString number = QString::number(n);
        KVListItem* row = m_list->addItem(QStringLiteral("ListBoxSyncItem") + number, number);
        auto* editor = new QWidget;
        auto* h = new QHBoxLayout(editor);
        h->setContentsMargins(0, 0, 0, 0);
        auto* edit = new QLineEdit(editor);
        edit->setObjectName(QStringLiteral("EditSync") + number);
        auto* check = new QCheckBox(editor);
        check->setObjectName(QStringLiteral("CheckBoxSync") + number);
        h->addWidget(edit, 1);
        h->addWidget(check);
        row->setEditor(editor);
        m_rows[size_t(n)] = row;
        m_edits[size_t(n)] = edit;
        m_checks[size_t(n)] = check;
    }
    m_list->addStretch();
    bodyLayout()->addWidget(m_list, 1);

    connect(back, &QToolButton::clicked, this, &SyncPage::Leave);
    connect(ok, &QToolButton::clicked, this, &SyncPage::SBSyncOKClick);
}

void SyncPage::SBSyncClick()
{
    // Units above ten have no slot.
    const int shown = std::min(g.SyncUnits, 10);
    for (int n = 0; n <= 10; ++n) {
        const TSyncDev& slot = g.SyncDevs()[size_t(n)];
        m_rows[size_t(n)]->setVisible(n <= shown);
        m_edits[size_t(n)]->setText(slot.naam);
        m_checks[size_t(n)]->setChecked(slot.actief);
    }
}

void SyncPage::SBSyncOKClick()
{
    // Hidden rows are taken too: they hold what was there.
    for (int n = 0; n <= 10; ++n) {
        TSyncDev& slot = g.SyncDevs()[size_t(n)];
        slot.naam = m_edits[size_t(n)]->text();
        slot.actief = m_checks[size_t(n)]->isChecked();
    }
    WriteSyncSettings(g);
    emit Leave();
}
