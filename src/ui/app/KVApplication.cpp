#include "KVApplication.h"

#include "app/KVError.h"

#include <QMessageBox>

KVApplication::KVApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Kolvarn"));
    setApplicationVersion(QStringLiteral(KV_APP_VERSION));
}

bool KVApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const KVAbort&) {
        // silent by design
    } catch (const KVError& e) {
        ShowError(e.text());
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
    return true;
}

void KVApplication::ShowError(const QString& text)
{
    QMessageBox::critical(activeWindow(), QString(), text);
}
