#pragma once

class KVGlobal;
class QImage;

// A signature picture the size of a pad (392 x 136), with a few blue strokes.
QImage SampleSignature(int variant);

// Makes g's current ticket a fully filled one: every header field, long texts with quotes and
// non-ASCII letters, all job types, a full week, 8 used and 5 needed parts lines, both
// signatures, footers, mechanic and office address. Sets the plan sizes to 8 and 5, plans and
// builds the sheet; does not fill it.
void MakeSampleTicket(KVGlobal& g);
