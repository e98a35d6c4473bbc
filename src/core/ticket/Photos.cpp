#include "Photos.h"

#include "app/KVError.h"
#include "app/KVGlobal.h"

#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <algorithm>

namespace Photos {

namespace {
constexpr int kJpegQuality = 90;

bool takenByTicket(const TBon& b, const QString& name)
{
    for (int k = 1; k <= std::min(b.numfoto, MaxPhotos); ++k)
        if (b.foto[k].compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}
}

QString NewDescription() { return QStringLiteral("...."); }

QString PhotoName(const QString& bonnr, const QTime& time)
{
    QString number;
    number.reserve(bonnr.size());
    for (QChar c : bonnr)
        number += (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20) ? QLatin1Char('_') : c;
    while (number.contains(QLatin1String("..")))
        number.replace(QLatin1String(".."), QLatin1String("."));
    return QStringLiteral("foto-") + number + QLatin1Char('-') + time.toString(QStringLiteral("HHmmss"))
         + QStringLiteral(".jpg");
}

bool IsPlainFileName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name.contains(QLatin1String("..")))
        return false;
    for (QChar c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20)
            return false;
    return true;
}

QString PhotoPath(const KVGlobal& g, const QString& name)
{
    return IsPlainFileName(name) ? g.DocumentsFolder() + name : QString();
}

bool LimitReached(KVGlobal& g)
{
    if (g.bon.numfoto < MaxPhotos)
        return false;
    g.seams.ShowMessage(g.Translate(QStringLiteral("Maximum aantal fotos op kolvarn.")));
    return true;
}

QString NewPhotoName(const KVGlobal& g)
{
    const QString name = PhotoName(g.bon.bonnr, g.seams.Now().time());
    const QString stem = name.chopped(4); // without ".jpg"
    QString candidate = name;
    for (int n = 2; QFile::exists(g.DocumentsFolder() + candidate) || takenByTicket(g.bon, candidate); ++n)
        candidate = stem + QLatin1Char('-') + QString::number(n) + QStringLiteral(".jpg");
    return candidate;
}

QString AddPhoto(KVGlobal& g, const QImage& picture)
{
    if (LimitReached(g))
        return {};
    const QString name = NewPhotoName(g);
    const QString path = g.DocumentsFolder() + name;
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        QImageWriter writer(&file, "jpg");
        writer.setQuality(kJpegQuality);
        written = writer.write(picture.convertToFormat(QImage::Format_RGB32)) && file.commit();
    }
    if (!written)
        throw KVError(QStringLiteral("Unable to write to %1").arg(path));
    TBon& b = g.bon;
    b.numfoto = std::clamp(b.numfoto, 0, MaxPhotos - 1) + 1;
    b.foto[b.numfoto] = name;
    b.desc[b.numfoto] = NewDescription();
    return name;
}

void DeletePhoto(KVGlobal& g, int index)
{
    TBon& b = g.bon;
    const int count = std::clamp(b.numfoto, 0, MaxPhotos);
    if (index < 0 || index >= count)
        return;
    const QString path = PhotoPath(g, b.foto[index + 1]);
    if (!path.isEmpty())
        QFile::remove(path);
    // Entries index+1 .. 3 take the following ones; the fourth keeps its content beyond the count.
    for (int i = index + 1; i < MaxPhotos; ++i) {
        b.foto[i] = b.foto[i + 1];
        b.desc[i] = b.desc[i + 1];
    }
    b.numfoto = count - 1;
}

QImage LoadPhoto(const KVGlobal& g, const QString& name)
{
    const QString path = PhotoPath(g, name);
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read();
}

} // namespace Photos
