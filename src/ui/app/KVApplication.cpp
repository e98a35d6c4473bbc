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
