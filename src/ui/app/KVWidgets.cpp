#include "KVWidgets.h"

#include "app/KVJargon.h"

#include <QEvent>
#include <QGestureEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QTouchEvent>
#include <QVBoxLayout>

namespace {
constexpr int kLongPressMs = 600;
const QColor kLine(0xDD, 0xDD, 0xDD);
const QColor kFocus(0xF5, 0xA6, 0x23);
const QColor kDetail(0x77, 0x77, 0x77);
const QColor kAccent(0x1F, 0x4E, 0x79);

template <class W> void bind(KVJargon& jargon, W* w, const QString& name, const QString& designText)
{
    jargon.Register(name, designText);
    w->setText(jargon.Caption(name));
    QObject::connect(&jargon, &KVJargon::CaptionChanged, w, [w, name](const QString& changed, const QString& text) {
        if (changed == name)
            w->setText(text);
    });
}
}

void BindCaption(KVJargon& jargon, QLabel* label, const QString& name, const QString& designText)
{
    bind(jargon, label, name, designText);
}

void BindCaption(KVJargon& jargon, QAbstractButton* button, const QString& name, const QString& designText)
{
    bind(jargon, button, name, designText);
}

// ---------------------------------------------------------------------------------------------

KVSpeedButton::KVSpeedButton(const QString& objectName, const QString& text, QWidget* parent) : QToolButton(parent)
{
    setObjectName(objectName);
    setText(text);
    setAutoRaise(true);
    // Reached with Tab, never taken by a click or a touch, which would pull the focus (and the
    // on-screen keyboard) away from the field being edited.
    setFocusPolicy(Qt::TabFocus);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setCursor(Qt::PointingHandCursor);
}

// ---------------------------------------------------------------------------------------------

KVListItem::KVListItem(const QString& objectName, const QString& caption, QWidget* parent) : QAbstractButton(parent)
{
    setObjectName(objectName);
    setText(caption);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_AcceptTouchEvents);
    grabGesture(Qt::TapAndHoldGesture);
    m_longPress.setSingleShot(true);
    m_longPress.setInterval(kLongPressMs);
    connect(&m_longPress, &QTimer::timeout, this, [this] {
        m_longFired = true;
        emit longPressed();
    });
}

void KVListItem::setCaption(const QString& text) { setText(text); }

void KVListItem::setDetail(const QString& text)
{
    m_detail = text;
    update();
}

void KVListItem::setIconName(const QString& resource)
{
    m_icon = QIcon(resource);
    update();
}

void KVListItem::setEditor(QWidget* editor)
{
    m_editor = editor;
    editor->setParent(this);
    m_chevron = false;
    setCursor(Qt::ArrowCursor);
    layoutEditor();
    editor->show();
}

void KVListItem::setHeader(bool on)
{
    m_header = on;
    m_chevron = !on;
    setEnabled(!on);
    update();
}

void KVListItem::setEditorStart(double fraction)
{
    m_editorStart = fraction;
    layoutEditor();
}

void KVListItem::setCaptionColor(const QColor& color)
{
    m_captionColor = color;
    update();
}

QSize KVListItem::sizeHint() const
{
    const QFontMetrics fm(font());
    int h = fm.height() * (m_header ? 2 : 3);
    if (m_editor)
        h = std::max(h, m_editor->sizeHint().height() + fm.height());
    return {fm.horizontalAdvance(text()) + fm.height() * 6, h};
}

void KVListItem::resizeEvent(QResizeEvent*) { layoutEditor(); }

void KVListItem::layoutEditor()
{
    if (!m_editor)
        return;
    const int margin = fontMetrics().height() / 2;
    const int captionWidth = std::min(width() / 2, fontMetrics().horizontalAdvance(text()) + 4 * margin + height());
    int w = std::max(width() - captionWidth - margin, width() / 3);
    if (m_editorStart > 0)
        w = std::min(w, width() - int(width() * m_editorStart) - margin);
    const int h = std::min(height() - margin, std::max(m_editor->sizeHint().height(), fontMetrics().height() * 2));
    m_editor->setGeometry(width() - w - margin, (height() - h) / 2, w, h);
}

void KVListItem::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect r = rect();
    p.fillRect(r, m_header ? QColor(0xF2, 0xF2, 0xF2) : (isDown() ? QColor(0xE8, 0xEE, 0xF5) : Qt::white));
    p.setPen(kLine);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    if (hasFocus()) {
        p.setPen(QPen(kFocus, 2));
        p.drawRect(r.adjusted(1, 1, -1, -1));
    }

    const int margin = fontMetrics().height() * 2 / 3;
    int x = margin;
    if (!m_icon.isNull()) {
        const int s = fontMetrics().height() + 4;
        m_icon.paint(&p, QRect(x, (r.height() - s) / 2, s, s));
        x += s + margin;
    }
    QFont f = font();
    if (m_header)
        f.setBold(true);
    p.setFont(f);
    const QColor captionColor = m_captionColor.isValid() ? m_captionColor : QColor(0x22, 0x22, 0x22);
    p.setPen(m_header ? kAccent : captionColor);
    int right = r.width() - margin;
    if (m_chevron) {
        const int c = fontMetrics().height() / 3;
        const int cy = r.height() / 2;
        QPen pen(QColor(0xAA, 0xAA, 0xAA), 2);
        p.setPen(pen);
        p.drawPolyline(QPolygon({QPoint(right - c, cy - c), QPoint(right, cy), QPoint(right - c, cy + c)}));
        right -= c + margin;
        p.setPen(captionColor);
    }
    const QRect textRect(x, 0, right - x, r.height());
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text());
    if (!m_detail.isEmpty() && !m_editor) {
        p.setPen(kDetail);
        const int captionW = p.fontMetrics().horizontalAdvance(text()) + margin;
        const QRect detailRect(x + captionW, 0, right - x - captionW, r.height());
        p.drawText(detailRect, Qt::AlignRight | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(m_detail, Qt::ElideRight, detailRect.width()));
    }
}

void KVListItem::mousePressEvent(QMouseEvent* e)
{
    m_longFired = false;
    if (e->button() == Qt::LeftButton)
        m_longPress.start();
    QAbstractButton::mousePressEvent(e);
}

void KVListItem::mouseReleaseEvent(QMouseEvent* e)
{
    m_longPress.stop();
    if (m_longFired) {
        // The long press was the gesture: the release opens nothing.
        setDown(false);
        e->accept();
        return;
    }
    QAbstractButton::mouseReleaseEvent(e);
}

bool KVListItem::event(QEvent* e)
{
    if (e->type() == QEvent::TouchBegin || e->type() == QEvent::TouchUpdate) {
        auto* te = static_cast<QTouchEvent*>(e);
        if (te->points().size() == 2 && e->type() == QEvent::TouchBegin) {
            // A two-finger tap opens the term editor, like a long press.
            emit longPressed();
            e->accept();
            return true;
        }
    }
    if (e->type() == QEvent::Gesture) {
        auto* ge = static_cast<QGestureEvent*>(e);
        if (QGesture* g = ge->gesture(Qt::TapAndHoldGesture); g && g->state() == Qt::GestureFinished) {
            m_longPress.stop();
            if (!m_longFired) {
                m_longFired = true;
                emit longPressed();
            }
            ge->accept(g);
            return true;
        }
    }
    return QAbstractButton::event(e);
}

// ---------------------------------------------------------------------------------------------

KVListBox::KVListBox(const QString& objectName, QWidget* parent) : QWidget(parent), m_layout(new QVBoxLayout(this))
{
    setObjectName(objectName);
    setAttribute(Qt::WA_StyledBackground);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
}

KVListItem* KVListBox::addItem(const QString& objectName, const QString& caption)
{
    auto* item = new KVListItem(objectName, caption, this);
    m_layout->addWidget(item);
    connect(item, &QAbstractButton::clicked, this, &KVListBox::clicked);
    return item;
}

KVListItem* KVListBox::addHeader(const QString& objectName, const QString& caption)
{
    auto* item = new KVListItem(objectName, caption, this);
    item->setHeader(true);
    m_layout->addWidget(item);
    return item;
}

void KVListBox::addWidget(QWidget* w) { m_layout->addWidget(w); }
void KVListBox::addStretch() { m_layout->addStretch(1); }

KVListItem* KVListBox::item(const QString& objectName) const { return findChild<KVListItem*>(objectName); }

void KVListBox::mouseReleaseEvent(QMouseEvent* e)
{
    QWidget::mouseReleaseEvent(e);
    emit clicked();
}

// ---------------------------------------------------------------------------------------------

KVTopBar::KVTopBar(const QString& objectName, QWidget* parent) : QWidget(parent)
{
    setObjectName(objectName);
    setProperty("kvTopBar", true);
    setAttribute(Qt::WA_StyledBackground);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 0, 4, 0);
    m_left = new QHBoxLayout;
    m_right = new QHBoxLayout;
    m_title = new QLabel(this);
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setProperty("kvTitle", true);
    row->addLayout(m_left, 1);
    row->addWidget(m_title, 2);
    row->addLayout(m_right, 1);
    m_left->addStretch(1);
    m_right->addStretch(1);
}

KVSpeedButton* KVTopBar::addLeft(const QString& objectName, const QString& text)
{
    auto* b = new KVSpeedButton(objectName, text, this);
    m_left->insertWidget(m_left->count() - 1, b);
    return b;
}

KVSpeedButton* KVTopBar::addRight(const QString& objectName, const QString& text)
{
    auto* b = new KVSpeedButton(objectName, text, this);
    m_right->addWidget(b);
    return b;
}

// ---------------------------------------------------------------------------------------------

KVPage::KVPage(const QString& objectName, QWidget* parent) : QWidget(parent)
{
    setObjectName(objectName);
    setAttribute(Qt::WA_StyledBackground);
    setProperty("kvPage", true);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    m_top = new KVTopBar(objectName + QStringLiteral("Top"), this);
    m_body = new QWidget(this);
    m_body->setObjectName(objectName + QStringLiteral("Body"));
    m_bodyLayout = new QVBoxLayout(m_body);
    m_bodyLayout->setContentsMargins(0, 0, 0, 0);
    m_bodyLayout->setSpacing(0);
    v->addWidget(m_top);
    v->addWidget(m_body, 1);
}

QHBoxLayout* KVPage::bottomBar()
{
    if (!m_bottom) {
        m_bottom = new QWidget(this);
        m_bottom->setObjectName(objectName() + QStringLiteral("Bottom"));
        m_bottom->setProperty("kvBottomBar", true);
        m_bottom->setAttribute(Qt::WA_StyledBackground);
        m_bottomLayout = new QHBoxLayout(m_bottom);
        m_bottomLayout->setContentsMargins(4, 0, 4, 0);
        static_cast<QVBoxLayout*>(layout())->addWidget(m_bottom);
    }
    return m_bottomLayout;
}

KVSpeedButton* KVPage::addBottomButton(const QString& objectName, const QString& text)
{
    auto* b = new KVSpeedButton(objectName, text, this);
    b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bottomBar()->addWidget(b, 1);
    return b;
}

// ---------------------------------------------------------------------------------------------

QString KVStyleSheet(double scale)
{
    if (scale <= 0)
        scale = 1;
    auto px = [scale](double v) { return QString::number(qRound(v * scale)); };
    return QStringLiteral(
               "QWidget { font-family: 'Liberation Sans', Arial, sans-serif; font-size: %1px; }"
               "QWidget[kvPage=\"true\"] { background: #EFEFF4; }"
               "QWidget[kvTopBar=\"true\"], QWidget[kvBottomBar=\"true\"] { background: #1F4E79; min-height: %2px; max-height: %2px; }"
               "QWidget[kvTopBar=\"true\"] QToolButton, QWidget[kvBottomBar=\"true\"] QToolButton {"
               "  color: white; font-size: %3px; padding: %4px %5px; border: none; background: transparent; min-height: %6px; }"
               "QWidget[kvTopBar=\"true\"] QToolButton:pressed, QWidget[kvBottomBar=\"true\"] QToolButton:pressed { background: #2E6DA4; border-radius: 6px; }"
               "QLabel[kvTitle=\"true\"] { color: white; font-size: %7px; font-weight: bold; }"
               "QLineEdit, QDoubleSpinBox, QSpinBox, QDateEdit, QTimeEdit, QComboBox, QPlainTextEdit, QTextEdit {"
               "  border: 1px solid #C8C8CC; border-radius: 6px; padding: %4px; background: white; min-height: %8px; }"
               "QCheckBox::indicator { width: %9px; height: %9px; }"
               "QPushButton { background: #1F4E79; color: white; border: none; border-radius: 8px; padding: %4px %5px; min-height: %6px; }"
               "QToolButton[kvStepper=\"true\"] { color: #1F4E79; background: #F2F5F9; border: 1px solid #C8D3E0; border-radius: 6px;"
               "  font-size: %7px; font-weight: bold; min-width: %8px; }"
               "QToolButton[kvStepper=\"true\"]:pressed { background: #DCE6F1; }"
               "QLabel[kvUnit=\"true\"] { color: #777777; }"
               "QRadioButton::indicator { width: %9px; height: %9px; }"
               "QComboBox::drop-down { border: none; width: %10px; }"
               "QComboBox::down-arrow { image: url(:/ui/icons/chevron-down.svg); width: %11px; height: %11px; }"
               "QCheckBox[kvRowCheck=\"true\"]::indicator { border: 2px solid #B8C4D2; border-radius: %12px; background: white; }"
               "QCheckBox[kvRowCheck=\"true\"]::indicator:checked { border-color: #1F4E79; background: #1F4E79;"
               "  image: url(:/ui/icons/check.svg); }"
               "QDoubleSpinBox[kvStepperBox=\"true\"] { min-width: %13px; max-width: %13px; }"
               "QTabWidget::tab-bar { alignment: center; }"
               "QTabWidget::pane { border: none; }"
               "QTabBar::tab { background: white; color: #1F4E79; border: 1px solid #1F4E79; padding: %4px %5px; min-height: %10px; }"
               "QTabBar::tab:selected { background: #1F4E79; color: white; }"
               // The focus frame: where Tab has brought the keyboard.
               "QWidget[kvTopBar=\"true\"] QToolButton:focus, QWidget[kvBottomBar=\"true\"] QToolButton:focus {"
               "  border: 2px solid #F5A623; border-radius: 6px; }"
               "QToolButton:focus, QPushButton:focus, QCheckBox:focus, QRadioButton:focus { border: 2px solid #F5A623; border-radius: 6px; }"
               "QLineEdit:focus, QDoubleSpinBox:focus, QSpinBox:focus, QDateEdit:focus, QTimeEdit:focus, QComboBox:focus,"
               "  QPlainTextEdit:focus, QTextEdit:focus { border: 2px solid #1F4E79; }"
               "QTabBar::tab:first { border-top-left-radius: 6px; border-bottom-left-radius: 6px; }"
               "QTabBar::tab:last { border-top-right-radius: 6px; border-bottom-right-radius: 6px; }"
               // The main page's own controls, here rather than in sheets of their own: a
               // control with a sheet of its own is styled again, with all it holds, whenever
               // it is placed.
               "#SBNew { font-size: 28px; font-weight: bold; }"
               "#ListBoxMain { background: #EFEFF4; }"
               "#ListBoxMenu { background: white; border-right: 1px solid #C8C8CC; }"
               "#SBBadgeKV, #SBBadgeOG, #SBBadgeOD { color: #1F4E79; font-size: 12px; }"
               "#BadgeKV, #BadgeOG, #BadgeOD { background: #D9342B; color: white; border-radius: 9px; padding: 1px 6px;"
               "  font-size: 11px; font-weight: bold; min-height: 16px; }")
        .arg(px(16), px(56), px(16), px(6), px(12), px(40), px(19), px(32), px(24))
        .arg(px(22), px(14), px(6), px(110));
}
