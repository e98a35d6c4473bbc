#pragma once
#include <QFrame>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

// The popup in which the user renames a caption (TMSFMXPopupJargon): header "Jargon", the
// current caption (LabelOrigin), the new term (EditJargon), "Terug" and "OK".
class TermEditor : public QFrame {
    Q_OBJECT
public:
    // translate: the current language's text for a source text; the popup's own texts follow
    // the language each time it opens.
    using Translation = std::function<QString(const QString&)>;
    TermEditor(QWidget* parent, Translation translate);
    void Open(const QString& itemName, const QString& currentCaption);
    QString JargonItem() const { return m_item; }
    QLabel* LabelOrigin() const { return m_origin; }
    QLineEdit* EditJargon() const { return m_edit; }

signals:
    void SaveTerm(const QString& itemName, const QString& text);

private:
    void centre();
    Translation m_translate;
    QLabel* m_header;
    QPushButton* m_back;
    QPushButton* m_ok;
    QString m_item;
    QLabel* m_origin;
    QLineEdit* m_edit;
};
