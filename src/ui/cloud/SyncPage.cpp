#include "SyncPage.h"

#include "app/KVGlobal.h"
#include "app/SettingsStore.h"
#include "cloud/CloudOutbox.h"
#include "cloud/CloudStatus.h"
#include "cloud/KVCloud.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

SyncPage::SyncPage(KVGlobal& global, KVCloud* cloud, QWidget* parent)
    : KVPage(QStringLiteral("TabItemSync"), parent), g(global), m_cloud(cloud)
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
    if (m_cloud) {
        const auto line = [this](const char* name) {
            auto* label = new QLabel(body());
            label->setObjectName(QLatin1String(name));
            label->setWordWrap(true);
            label->setContentsMargins(12, 2, 12, 2);
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            bodyLayout()->addWidget(label);
            return label;
        };
        m_waiting = line("LabelSyncWachtend");
        m_lastExchange = line("LabelSyncLaatste");
        m_lastError = line("LabelSyncFout");
    }

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
    ShowStatus();
}

void SyncPage::ShowStatus()
{
    if (!m_cloud)
        return;
    const auto moment = [](const QDateTime& at) { return at.toString(QStringLiteral("dd-MM-yyyy HH:mm:ss")); };
    m_waiting->setText(g.Translate(QStringLiteral("Te verzenden:")) + QLatin1Char(' ') + QString::number(m_cloud->Outbox().Waiting()));
    const CloudStatus::Event ok = m_cloud->Status().LastExchange();
    m_lastExchange->setText(g.Translate(QStringLiteral("Laatste uitwisseling:")) + QLatin1Char(' ') +
                            (ok.at.isValid() ? moment(ok.at) : g.Translate(QStringLiteral("nog niet"))));
    const CloudStatus::Event error = m_cloud->Status().LastError();
    m_lastError->setText(g.Translate(QStringLiteral("Laatste fout:")) + QLatin1Char(' ') +
                         (error.at.isValid() ? moment(error.at) + QStringLiteral(" \u2013 ") + error.detail
                                             : g.Translate(QStringLiteral("geen"))));
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
