#include "KVOpenUrl.h"

#include "KVError.h"
#include "KVGlobal.h"

#include <QUrl>

void OpenWebAddress(const KVGlobal& g, const QString& address, bool /*external*/)
{
    const QUrl url(address);
    if (address.isEmpty() || !url.isValid() || !g.seams.openUrl || !g.seams.openUrl(url))
        throw KVError(QStringLiteral("Not supported!"));
}
