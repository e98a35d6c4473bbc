#pragma once
#include <QColor>
#include <QIcon>

// The line icons of the list pages, drawn in one stroke colour so that they suit the dark bars
// (white) and the light navigator (dark blue) alike.
enum class CatalogueIcon { Delete, SelectAll, Download, Upload, Copy, Add, First, Prior, Next, Last, Remove, Search };

QIcon MakeCatalogueIcon(CatalogueIcon kind, const QColor& colour);

class QAbstractButton;
// Shows the button's icon only; its caption stays its text.
void ShowAsIcon(QAbstractButton* button, CatalogueIcon kind, const QColor& colour = Qt::white);

class KVJargon;
class KVPage;
class KVSpeedButton;
class QString;
// A bottom-bar button of a list page shown as its icon, with its caption bound to the
// captions store.
KVSpeedButton* AddIconButton(KVPage* page, KVJargon& jargon, const QString& name, const QString& design, CatalogueIcon kind);
