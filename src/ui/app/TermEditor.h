#pragma once
#include <QFrame>

class QLabel;
class QLineEdit;
class QPushButton;

// The popup in which the user renames a caption (TMSFMXPopupJargon): header "Jargon", the
// current caption (LabelOrigin), the new term (EditJargon), "Terug" and "OK".
class TermEditor : public QFrame {
    Q_OBJECT
public:
    explicit TermEditor(QWidget* parent);
    void Open(const QString& itemName, const QString& currentCaption);
    QString JargonItem() const { return m_item; }
    QLabel* LabelOrigin() const { return m_origin; }
    QLineEdit* EditJargon() const { return m_edit; }

signals:
    void SaveTerm(const QString& itemName, const QString& text);

private:
    void centre();
    QString m_item;
    QLabel* m_origin;
    QLineEdit* m_edit;
};
