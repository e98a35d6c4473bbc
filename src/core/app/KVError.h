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

// Ends the current action without a message: the default handler swallows it. Used where an
// error is deliberately kept from the user (the cloud connection's errors); what() keeps the
// underlying text for diagnostics.
class KVAbort : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
