#include "KVOpenUrl.h"

#include "KVError.h"
#include "KVGlobal.h"

#include <QUrl>

void OpenWebAddress(const KVGlobal& g, const QString& address, bool /*external*/)
{
    const QUrl url(address, QUrl::StrictMode);
    // Only web pages: any other scheme would start whatever program the desktop binds to it.
    const bool web = url.isValid() && !url.host().isEmpty()
                     && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
    if (address.isEmpty() || !web || !g.seams.openUrl || !g.seams.openUrl(url))
        throw KVError(QStringLiteral("Not supported!"));
}
