#pragma once
#include <QAbstractButton>
#include <QElapsedTimer>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

class KVJargon;
class QVBoxLayout;
class QHBoxLayout;

// Shows a caption of KVJargon in a label or button and follows its changes, so that terms and
// languages reach every widget that shows them.
void BindCaption(KVJargon& jargon, QLabel* label, const QString& name, const QString& designText);
void BindCaption(KVJargon& jargon, QAbstractButton* button, const QString& name, const QString& designText);

// A flat tool-bar button with a large hit target.
class KVSpeedButton : public QToolButton {
    Q_OBJECT
public:
    KVSpeedButton(const QString& objectName, const QString& text, QWidget* parent = nullptr);
};

// One row of a phone-style list: icon, caption on the left, detail text on the right and a
// chevron when it leads somewhere. A long press (finger or mouse) or a two-finger tap reports
// longPressed, which opens the term editor for captions that carry a term.
class KVListItem : public QAbstractButton {
    Q_OBJECT
public:
    KVListItem(const QString& objectName, const QString& caption, QWidget* parent = nullptr);

    QString caption() const { return text(); }
    void setCaption(const QString& text);
    QString detail() const { return m_detail; }
    void setDetail(const QString& text);
    void setIconName(const QString& resource);
    void setChevron(bool on) { m_chevron = on; update(); }
    // An editor widget shown on the right instead of the detail text (edits, switches).
    void setEditor(QWidget* editor);
    QWidget* editor() const { return m_editor; }
    // A header row: caption only, shaded, not clickable.
    void setHeader(bool on);
    // Where the editor begins, as a fraction of the row's width (0: right after the caption).
    // Rows of one list that share it line their editors up in one column.
    void setEditorStart(double fraction);
    // The caption's colour, for rows that act like a link.
    void setCaptionColor(const QColor& color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void longPressed();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    bool event(QEvent*) override;

private:
    void layoutEditor();
    QString m_detail;
    QIcon m_icon;
    bool m_chevron = true;
    bool m_header = false;
    bool m_longFired = false;
    QColor m_captionColor;
    double m_editorStart = 0;
    QPointer<QWidget> m_editor;
    QTimer m_longPress;
};

// A vertical list of KVListItem rows.
class KVListBox : public QWidget {
    Q_OBJECT
public:
    explicit KVListBox(const QString& objectName, QWidget* parent = nullptr);
    KVListItem* addItem(const QString& objectName, const QString& caption);
    KVListItem* addHeader(const QString& objectName, const QString& caption);
    void addWidget(QWidget* w);
    void addStretch();
    KVListItem* item(const QString& objectName) const;

signals:
    // A click anywhere on the list, also between items.
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    QVBoxLayout* m_layout;
};

// The top bar of a page: back button on the left, title in the middle, OK on the right.
class KVTopBar : public QWidget {
    Q_OBJECT
public:
    explicit KVTopBar(const QString& objectName, QWidget* parent = nullptr);
    QLabel* title() const { return m_title; }
    KVSpeedButton* addLeft(const QString& objectName, const QString& text);
    KVSpeedButton* addRight(const QString& objectName, const QString& text);

private:
    QHBoxLayout* m_left;
    QHBoxLayout* m_right;
    QLabel* m_title;
};

// A full-window page of the page stack: top bar, body and an optional bottom bar.
class KVPage : public QWidget {
    Q_OBJECT
public:
    KVPage(const QString& objectName, QWidget* parent = nullptr);
    KVTopBar* topBar() const { return m_top; }
    QWidget* body() const { return m_body; }
    QVBoxLayout* bodyLayout() const { return m_bodyLayout; }
    // The bottom bar, created on first use.
    QHBoxLayout* bottomBar();
    KVSpeedButton* addBottomButton(const QString& objectName, const QString& text);

private:
    KVTopBar* m_top;
    QWidget* m_body;
    QVBoxLayout* m_bodyLayout;
    QWidget* m_bottom = nullptr;
    QHBoxLayout* m_bottomLayout = nullptr;
};

// The look of the whole interface at a scale factor (INST/schaal): sizes and fonts grow with it.
QString KVStyleSheet(double scale);
