#pragma once
#include <QApplication>
#include <functional>

// The application object. An error that reaches the event loop uncaught shows its text in a
// message box, and the event loop goes on.
class KVApplication : public QApplication {
public:
    KVApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // Shows the text of an error that reached the event loop: a message box, unless a test
    // replaced the display.
    static void ShowError(const QString& text);
    static void SetErrorDisplay(std::function<void(const QString&)> display);
};
