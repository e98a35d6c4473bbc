#include "PageParts.h"

#include "app/KVJargon.h"
#include "app/KVWidgets.h"
#include "app/TFMain.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <functional>

namespace PageParts {

TopBarButtons SetUpTopBar(KVJargon& j, KVPage* page, const QString& titleName, const QString& title,
                          const QString& backName, const QString& okName)
{
    TopBarButtons buttons;
    page->topBar()->title()->setObjectName(titleName);
    BindCaption(j, page->topBar()->title(), titleName, title);
    if (!backName.isEmpty()) {
        buttons.back = page->topBar()->addLeft(backName, QString());
        BindCaption(j, buttons.back, backName, QStringLiteral("Terug"));
    }
    if (!okName.isEmpty()) {
        buttons.ok = page->topBar()->addRight(okName, QString());
        BindCaption(j, buttons.ok, okName, QStringLiteral("OK"));
    }
    return buttons;
}

KVListItem* AddRow(KVJargon& j, KVListBox* list, const QString& itemName, const QString& caption, QWidget* editor)
{
    KVListItem* item = list->addItem(itemName, QString());
    BindCaption(j, item, itemName, caption);
    if (editor)
        item->setEditor(editor);
    return item;
}

void OffersTermEditor(TFMain& main, KVListItem* item)
{
    QObject::connect(item, &KVListItem::longPressed, &main, [&main, item] { main.OpenTermEditor(item->objectName()); });
}

QWidget* AlignRight(QWidget* widget)
{
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    row->addWidget(widget);
    return box;
}

namespace {
// Holds one widget at its right edge, as wide as the right-hand column of the row.
class ColumnBox : public QWidget {
public:
    explicit ColumnBox(QWidget* child) : m_child(child) { child->setParent(this); }
    QSize sizeHint() const override { return m_child->sizeHint(); }

protected:
    void resizeEvent(QResizeEvent*) override
    {
        const int row = parentWidget() ? parentWidget()->width() : width();
        const int w = std::min(width(), row * 52 / 100);
        m_child->setGeometry(width() - w, 0, w, height());
    }

private:
    QWidget* m_child;
};
}

QWidget* EditorColumn(QWidget* widget) { return new ColumnBox(widget); }

QPushButton* StepButton(const QString& objectName, const QString& text)
{
    auto* b = new QPushButton(text);
    b->setObjectName(objectName);
    b->setAutoRepeat(true);
    b->setAutoRepeatDelay(400);
    b->setAutoRepeatInterval(100);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(44, 40);
    b->setStyleSheet(QStringLiteral("QPushButton { font-size: 22px; font-weight: bold; border-radius: 20px; padding: 0; }"
                                    "QPushButton:pressed { background: #2E6DA4; }"));
    return b;
}

namespace {
QIcon drawn(const std::function<void(QPainter&)>& draw)
{
    QPixmap pm(48, 48);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    draw(p);
    return QIcon(pm);
}
}

QIcon TrashIcon()
{
    return drawn([](QPainter& p) {
        p.drawLine(10, 13, 38, 13);
        p.drawLine(19, 13, 20, 8);
        p.drawLine(20, 8, 28, 8);
        p.drawLine(28, 8, 29, 13);
        p.drawPolyline(QPolygon({QPoint(13, 13), QPoint(16, 41), QPoint(32, 41), QPoint(35, 13)}));
        p.drawLine(20, 19, 21, 35);
        p.drawLine(28, 19, 27, 35);
    });
}

QIcon CameraIcon()
{
    return drawn([](QPainter& p) {
        QPainterPath body;
        body.addRoundedRect(QRectF(6, 14, 36, 25), 4, 4);
        p.drawPath(body);
        p.drawPolyline(QPolygon({QPoint(16, 14), QPoint(19, 9), QPoint(29, 9), QPoint(32, 14)}));
        p.drawEllipse(QPointF(24, 26.5), 7, 7);
    });
}

QString PageStyleSheet()
{
    return QStringLiteral("QDateEdit::drop-down { subcontrol-origin: padding; subcontrol-position: center right;"
                          "  width: 30px; border: none; }"
                          "QDateEdit::down-arrow { image: url(:/ui/down.png); width: 16px; height: 16px; }");
}

void SetIcon(KVSpeedButton* button, const QIcon& icon)
{
    button->setIcon(icon);
    button->setIconSize(QSize(22, 22));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

} // namespace PageParts
