#pragma once
#include <QString>
#include <stdexcept>

// An error that ends the current action. Its text is meant for the user: the application's
// default handler shows it in a message box and the event loop goes on.
class KVError : public std::runtime_error {
public:
    explicit KVError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};
