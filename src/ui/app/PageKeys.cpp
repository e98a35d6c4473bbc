#include "PageKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

enum class Match { Prefix, Suffix, Exact };

struct Binding {
    int key;
    Qt::KeyboardModifiers modifiers;
    Match match;
    QLatin1String name;
};

// Keypad Enter carries the keypad modifier; it means the same as Return.
const Binding kBindings[] = {
    {Qt::Key_Escape, Qt::NoModifier, Match::Suffix, QLatin1String("Terug")},
    {Qt::Key_Return, Qt::NoModifier, Match::Suffix, QLatin1String("OK")},
    {Qt::Key_Enter, Qt::NoModifier, Match::Suffix, QLatin1String("OK")},
    {Qt::Key_N, Qt::ControlModifier, Match::Exact, QLatin1String("SBNew")},
    {Qt::Key_F5, Qt::NoModifier, Match::Prefix, QLatin1String("SBDownload")},
    {Qt::Key_Delete, Qt::NoModifier, Match::Prefix, QLatin1String("SBDelete")},
};

bool matches(const QString& objectName, const Binding& b)
{
    switch (b.match) {
    case Match::Prefix: return objectName.startsWith(b.name);
    case Match::Suffix: return objectName.endsWith(b.name);
    case Match::Exact: return objectName == b.name;
    }
    return false;
}

bool isMultiLineText(const QWidget* w)
{
    return qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w);
}

} // namespace

PageKeys::PageKeys(QWidget* window, std::function<QWidget*()> layer)
    : QObject(window), m_window(window), m_layer(std::move(layer))
{
    window->installEventFilter(this);
}

QAbstractButton* PageKeys::ButtonFor(QWidget* layer, int key, Qt::KeyboardModifiers modifiers)
{
    if (!layer)
        return nullptr;
    modifiers &= ~Qt::KeypadModifier;
    for (const Binding& b : kBindings) {
        if (b.key != key || b.modifiers != modifiers)
            continue;
        const auto buttons = layer->findChildren<QAbstractButton*>();
        for (QAbstractButton* button : buttons)
            if (matches(button->objectName(), b) && button->isVisibleTo(layer) && button->isEnabled())
                return button;
        return nullptr;
    }
    return nullptr;
}

bool PageKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window || event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        QWidget* focus = QApplication::focusWidget();
        // A multi-line text keeps its line breaks, even when it lets one through.
        if (isMultiLineText(focus))
            return false;
        // Enter on a push button or list row that Tab brought the focus to presses it; a check
        // box or switch is turned with Space, and Enter still means OK there.
        if (auto* focused = qobject_cast<QAbstractButton*>(focus);
            focused && !focused->isCheckable() && m_window->isAncestorOf(focused)) {
            focused->click();
            return true;
        }
    }
    QWidget* layer = m_layer();
    QAbstractButton* button = ButtonFor(layer, key->key(), key->modifiers());
    if (!button) {
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && layer &&
            layer->property(ClosedByEscape).toBool()) {
            layer->hide();
            return true;
        }
        return false;
    }
    button->click();
    return true;
}
