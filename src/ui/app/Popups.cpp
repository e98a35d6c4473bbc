#include "Popups.h"

#include "PageKeys.h"

#include "KVWidgets.h"
#include "app/KVJargon.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kMaxPanelWidth = 380;
}

KVPopup::KVPopup(const QString& objectName, QWidget* window) : QWidget(window)
{
    setObjectName(objectName);
    // Esc closes it like a tap beside the panel, where it has no "Terug" of its own.
    setProperty(PageKeys::ClosedByEscape, true);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#%1 { background: rgba(0, 0, 0, 90); }"
                                 "#%1 QFrame#%1Panel { background: white; border-radius: 10px; }")
                      .arg(objectName));
    m_panel = new QFrame(this);
    m_panel->setObjectName(objectName + QStringLiteral("Panel"));
    auto* v = new QVBoxLayout(m_panel);
    v->setContentsMargins(0, 12, 0, 12);
    m_title = new QLabel(m_panel);
    m_title->setObjectName(objectName + QStringLiteral("Title"));
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setWordWrap(true);
    m_title->setStyleSheet(QStringLiteral("font-weight: bold; color: #1F4E79; padding: 0 12px 6px 12px;"));
    v->addWidget(m_title);
    window->installEventFilter(this);
    hide();
}

void KVPopup::popUp()
{
    placePanel();
    show();
    raise();
}

void KVPopup::placePanel()
{
    const QWidget* w = parentWidget();
    setGeometry(0, 0, w->width(), w->height());
    const int width = std::min(w->width() - 40, kMaxPanelWidth);
    m_panel->setFixedWidth(width);
    m_panel->adjustSize();
    const int height = std::min(m_panel->sizeHint().height(), w->height() - 40);
    m_panel->setGeometry((w->width() - width) / 2, (w->height() - height) / 2, width, height);
}

void KVPopup::mousePressEvent(QMouseEvent* e)
{
    // A tap beside the panel closes the popup, as "Terug" would.
    if (!m_panel->geometry().contains(e->position().toPoint()))
        hide();
    e->accept();
}

bool KVPopup::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == parentWidget() && e->type() == QEvent::Resize && isVisible())
        placePanel();
    return QWidget::eventFilter(watched, e);
}

// ---------------------------------------------------------------------------------------------

ChoicePopup::ChoicePopup(const QString& objectName, QWidget* window) : KVPopup(objectName, window) {}

void ChoicePopup::Open(const QString& heading, const QList<Choice>& choices)
{
    title()->setText(heading);
    title()->setVisible(!heading.isEmpty());
    delete m_list;
    m_list = new KVListBox(objectName() + QStringLiteral("List"), panel());
    for (const Choice& c : choices) {
        KVListItem* item = m_list->addItem(c.name, c.caption);
        item->setChevron(false);
        if (!c.icon.isEmpty())
            item->setIconName(c.icon);
        const QString name = c.name;
        connect(item, &QAbstractButton::clicked, this, [this, name] {
            hide();
            emit chosen(name);
        });
    }
    panel()->layout()->addWidget(m_list);
    popUp();
}

// ---------------------------------------------------------------------------------------------

NamePopup::NamePopup(KVJargon& j, const QString& objectName, QWidget* window) : KVPopup(objectName, window)
{
    auto* box = new QWidget(panel());
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(12, 0, 12, 0);
    m_edit = new QLineEdit(box);
    m_edit->setObjectName(QStringLiteral("EditNaam"));
    auto* buttons = new QHBoxLayout;
    auto* back = new QPushButton(box);
    back->setObjectName(QStringLiteral("ButtonNaamTerug"));
    BindCaption(j, back, QStringLiteral("ButtonNaamTerug"), QStringLiteral("Terug"));
    auto* ok = new QPushButton(QStringLiteral("OK"), box);
    ok->setObjectName(QStringLiteral("ButtonNaamOK"));
    buttons->addWidget(back);
    buttons->addWidget(ok);
    v->addWidget(m_edit);
    v->addLayout(buttons);
    panel()->layout()->addWidget(box);
    connect(back, &QPushButton::clicked, this, &QWidget::hide);
    connect(ok, &QPushButton::clicked, this, &NamePopup::accept);
    // Enter in the edit reaches OK through the window's keys (the popup is the layer in front):
    // answering returnPressed here as well would hide the popup first and let the same key press
    // the OK of the page beneath.
}

void NamePopup::Open(const QString& heading, const QString& name)
{
    title()->setText(heading);
    m_edit->setText(name);
    m_edit->selectAll();
    popUp();
    m_edit->setFocus();
}

void NamePopup::accept()
{
    const QString name = m_edit->text().trimmed();
    if (name.isEmpty())
        return;
    hide();
    emit accepted(name);
}
