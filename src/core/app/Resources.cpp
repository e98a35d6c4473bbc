#include "Resources.h"

#include <QtCore/qglobal.h>
#include <QDir>

static void initCore() { Q_INIT_RESOURCE(core); }

void InitCoreResources()
{
    static const bool done = (initCore(), true);
    (void)done;
}
