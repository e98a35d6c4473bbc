#include "KVApplication.h"

#include "app/KVError.h"
#include "app/Log.h"

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
    } catch (const KVAbort& e) {
        // silent by design, but not unrecorded
        qCInfo(logApp).noquote() << "action ended quietly:" << QString::fromUtf8(e.what());
    } catch (const KVError& e) {
        qCWarning(logApp).noquote() << "action failed:" << e.text();
        ShowError(e.text());
    } catch (const std::exception& e) {
        qCWarning(logApp).noquote() << "action failed:" << QString::fromUtf8(e.what());
        ShowError(QString::fromUtf8(e.what()));
    }
    return true;
}

namespace {
std::function<void(const QString&)>& errorDisplay()
{
    static std::function<void(const QString&)> display;
    return display;
}
}

void KVApplication::SetErrorDisplay(std::function<void(const QString&)> display) { errorDisplay() = std::move(display); }

void KVApplication::ShowError(const QString& text)
{
    if (errorDisplay())
        errorDisplay()(text);
    else
        QMessageBox::critical(activeWindow(), QString(), text);
}
