#pragma once
#include <QObject>

#include <functional>

class QAbstractButton;
class QWidget;

// The keyboard's way through the pages, for a mechanic with a keyboard as much as a finger:
//   Esc             the page's back button (the one whose name ends in "Terug"), or closes a
//                   popup that has none;
//   Enter / Return  the page's OK button (name ends in "OK"), not inside a multi-line text;
//   Ctrl+N          "+" on the main page (SBNew);
//   F5              the list's download button (SBDownload…);
//   Delete          the list's delete button (SBDelete…), when no text field takes the key.
// The keys act on the topmost layer: an open term editor before the page beneath it. A key that a
// control uses itself (Delete in a text field, Enter in a multi-line text, Esc in an open drop-down)
// never reaches these bindings, since only keys the controls leave unhandled come up to the window.
class PageKeys : public QObject {
    Q_OBJECT
public:
    // layer: the widget whose buttons the keys press now (the popup in front, else the page).
    PageKeys(QWidget* window, std::function<QWidget*()> layer);

    // A layer with this property set to true (a popup over the page) is hidden by Esc when it has
    // no back button of its own.
    static constexpr const char* ClosedByEscape = "kvClosedByEscape";

    // The visible, enabled button of the layer that a key presses, or nullptr.
    static QAbstractButton* ButtonFor(QWidget* layer, int key, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    std::function<QWidget*()> m_layer;
};
