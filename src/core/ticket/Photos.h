#pragma once
#include <QImage>
#include <QString>
#include <QTime>

class KVGlobal;

// The photos of the current ticket: JPEG files in the documents folder, named in TBon.foto with
// their descriptions in TBon.desc and their number in TBon.numfoto.
namespace Photos {

constexpr int MaxPhotos = 4;
// The description of a new photo.
QString NewDescription();

// "foto-" + ticket number + "-" + HHMMSS + ".jpg". Characters of the ticket number that would
// make the name reach outside the folder (path separators, "..", control characters) are
// replaced, so the result is always a plain file name.
QString PhotoName(const QString& bonnr, const QTime& time);
// A file name without a folder part and without "..": the only names that are opened or deleted.
bool IsPlainFileName(const QString& name);
// The file of a photo name in the documents folder, or an empty text for a name that is not plain.
QString PhotoPath(const KVGlobal& g, const QString& name);

// With four photos: shows "Maximum aantal fotos op kolvarn." and returns true.
bool LimitReached(KVGlobal& g);
// The name for a photo taken now. When that name is taken already (a file of that name, or a
// photo of this ticket, from the same second), "-2", "-3" ... goes before ".jpg".
QString NewPhotoName(const KVGlobal& g);
// Writes the picture as a new photo of the ticket and appends it; returns its name. At the limit
// it shows the limit message and returns an empty text.
QString AddPhoto(KVGlobal& g, const QImage& picture);
// Deletes photo index (0-based): its file goes at once, the later photos move up.
void DeletePhoto(KVGlobal& g, int index);
// The picture of a photo, or a null image when its file is missing, unreadable or not plain.
QImage LoadPhoto(const KVGlobal& g, const QString& name);

} // namespace Photos
