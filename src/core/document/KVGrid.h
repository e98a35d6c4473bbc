#pragma once
#include "Sheet.h"
#include "SheetPainter.h"

#include <QString>
#include <QStringList>

class KVGlobal;
struct RowPlan;

// The ticket document on g.sheet: its row plan, the static layout, the captions and the fill
// from the current ticket. Every writer brackets its changes in one update of the sheet.

// The shade of label cells and bands (ARGB).
constexpr QRgb DocumentShade = 0xFFF5F5F5;

// Registers, with their Dutch design texts, the captions the document reads that no other
// page has registered yet. Captions already registered keep their current text.
void RegisterDocumentCaptions(KVGlobal& g);

// Recomputes g.rowPlan from MaxUsedRows and MaxNeededRows. Plan sizes outside the invariant
// (negative, or summing to more than 13) are first brought back into it.
void PlanDocumentRows(KVGlobal& g);
// Removes every cell's text, merge, colour, font, alignment and image.
void ClearDocument(KVGlobal& g);
// Writes the static sheet for the current row plan, captions and terms.
void BuildDocument(KVGlobal& g);
// Rewrites the caption cells from the current captions and terms.
void RelabelDocument(KVGlobal& g);
// Refreshes the image-list item "logo" from g.logo and places it in cell (0, 0) again.
void ShowDocumentLogo(KVGlobal& g);
// Writes the current ticket into the sheet and computes its totals. The fill resets the
// preview to the fitted scale, so it also clears PreviewZoomed.
void FillDocument(KVGlobal& g);

// How the lines of a work description or of the remarks fill their block of the document, and
// that as the editors show it while typing: "7 / 9 regels" (translated).
TextFit DescriptionFit(const KVGlobal& g, const QStringList& lines);
TextFit RemarksFit(const KVGlobal& g, const QStringList& lines);
QString TextFitCaption(const KVGlobal& g, const TextFit& fit);

// On ticket load: raises the plan size a list of the ticket needs and lowers the other one,
// then clears, re-plans and rebuilds the sheet. Returns whether the plan changed.
bool AdjustDocumentPlanToTicket(KVGlobal& g, int numodd, int numnodig);

// CapitalizeFirst lives with the other caption helpers.
#include "app/Language.h"

// The alignment a cell is drawn with: amounts in column 9 below the week heading and column
// 8 from the parts headings down to the totals are right-aligned; others keep their own.
SheetAlign DocumentCellAlignment(const RowPlan& plan, int col, int row, SheetAlign stored);

// A tap on this row opens the signing page: the four rows of the signature images.
bool IsSignatureBlockRow(const RowPlan& plan, int row);
