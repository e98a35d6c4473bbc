#pragma once
#include <QString>

// Hard-wraps text for a writer that keeps line breaks as they are: a line break goes in after
// the last space, hyphen or tab that lets the line end within maxColumns characters. Existing
// line breaks stay and start a new count; a run without a break character is not split; text
// between quotation marks (single or double) is not broken. An apostrophe between two letters
// or digits (foto's, zo'n) and a mark that the line never closes are not quotation marks.
QString HardWrapText(const QString& text, int maxColumns);
