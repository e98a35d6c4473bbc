#include "TFMain.h"

#include <QLabel>
#include <QStackedWidget>

TFMain::TFMain(Edition edition, const QString& documentsFolder, QWidget* parent)
    : QMainWindow(parent), m_g(std::make_unique<KVGlobal>(edition, documentsFolder))
{
    m_tabs = new QStackedWidget(this);
    m_tabs->setObjectName(QStringLiteral("TabControl1"));
    auto* main = new QLabel(EditionInfo::ProductName(edition));
    main->setObjectName(QStringLiteral("TabItemMain"));
    m_tabs->addWidget(main);
    setCentralWidget(m_tabs);
}

TFMain::~TFMain() = default;
