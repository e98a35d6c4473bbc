#pragma once
#include <QList>
#include <QString>
#include <QWidget>

class KVJargon;
class KVListBox;
class QFrame;
class QLabel;
class QLineEdit;

// A popup over the whole window: a dimmed ground that closes it when tapped beside the panel,
// and the panel in the middle. It opens no event loop of its own: the window goes on (timer
// ticks included) while it is shown, and its choice arrives as a signal.
class KVPopup : public QWidget {
    Q_OBJECT
public:
    KVPopup(const QString& objectName, QWidget* window);
    QFrame* panel() const { return m_panel; }
    QLabel* title() const { return m_title; }
    // Shows the popup over the window, in front of everything.
    void popUp();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void placePanel();

private:
    QFrame* m_panel;
    QLabel* m_title;
};

// A list of choices, one big row each: the first tap on a row chooses it and closes the list.
class ChoicePopup : public KVPopup {
    Q_OBJECT
public:
    struct Choice {
        QString name;    // the row's object name, and what chosen() reports
        QString caption;
        QString icon = {}; // a resource, or none
    };
    ChoicePopup(const QString& objectName, QWidget* window);
    void Open(const QString& heading, const QList<Choice>& choices);
    KVListBox* list() const { return m_list; }

signals:
    void chosen(const QString& name);

private:
    KVListBox* m_list = nullptr;
};

// A name to type: an edit with "Terug" and "OK" (Esc and Enter in the window); OK with an empty
// name does nothing.
class NamePopup : public KVPopup {
    Q_OBJECT
public:
    NamePopup(KVJargon& jargon, const QString& objectName, QWidget* window);
    void Open(const QString& heading, const QString& name);
    QLineEdit* edit() const { return m_edit; }

signals:
    void accepted(const QString& name);

private:
    void accept();
    QLineEdit* m_edit;
};
