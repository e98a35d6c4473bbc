#include "Resources.h"

#include <QtCore/qglobal.h>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

static void initCore() { Q_INIT_RESOURCE(core); }

void InitCoreResources()
{
    static const bool done = (initCore(), true);
    (void)done;
}

QImage ResourceImage(const QString& path)
{
    InitCoreResources();
    QImageReader reader(path, QFileInfo(path).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}
