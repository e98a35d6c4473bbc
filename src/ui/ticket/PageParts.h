#pragma once
#include <QIcon>
#include <QString>

class KVJargon;
class KVListBox;
class KVListItem;
class KVPage;
class KVSpeedButton;
class QPushButton;
class QWidget;
class TFMain;

// Pieces the ticket pages are built from.
namespace PageParts {

// The top bar of a page: its title caption and, when named, a back button "Terug" on the left
// and "OK" on the right.
struct TopBarButtons {
    KVSpeedButton* back = nullptr;
    KVSpeedButton* ok = nullptr;
};
TopBarButtons SetUpTopBar(KVJargon& j, KVPage* page, const QString& titleName, const QString& title,
                          const QString& backName, const QString& okName);
// A list row whose caption is a KVJargon caption, with an editor widget on the right.
KVListItem* AddRow(KVJargon& j, KVListBox* list, const QString& itemName, const QString& caption,
                   QWidget* editor = nullptr);
// A long press (or two-finger tap) on the row's caption opens the term editor for it.
void OffersTermEditor(TFMain& main, KVListItem* item);
// The widget at the right end of a row.
QWidget* AlignRight(QWidget* widget);
// The widget in the right-hand column of its row, so that the editors of a page line up
// whatever the length of their captions.
QWidget* EditorColumn(QWidget* widget);
// A round "+" or "-" stepper button that repeats while it is held down.
QPushButton* StepButton(const QString& objectName, const QString& text);
// Bottom-bar icons, drawn here so they look the same everywhere.
QIcon TrashIcon();
QIcon CameraIcon();
// The look the ticket pages add to the window's style.
QString PageStyleSheet();
// A bottom-bar button with an icon above its text.
void SetIcon(KVSpeedButton* button, const QIcon& icon);

} // namespace PageParts
