#pragma once
#include <QApplication>

// The application object. An error that reaches the event loop uncaught shows its text in a
// message box, and the event loop goes on.
class KVApplication : public QApplication {
public:
    KVApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // Shows the text of the exception being handled in a message box.
    static void ShowError(const QString& text);
};
