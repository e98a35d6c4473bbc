#pragma once
#include <QDateTime>
#include <QString>

class KVGlobal;

// What the sync page tells about the exchange with the cloud: when it last went through, and
// the last thing that went wrong, in words. Kept in the local table syncstatus, so that it
// survives a restart.
class CloudStatus {
public:
    explicit CloudStatus(KVGlobal& g);

    struct Event {
        QDateTime at;   // invalid: never
        QString detail; // an error: the words for the user, then the server's own text
    };

    // A check, a download or a delivery went through with the connection open.
    void NoteExchange();
    // A database error of the cloud connection (code and text as the client library gave them).
    void NoteError(int code, const QString& text);
    // The internet could not be reached.
    void NoteUnreachable();

    Event LastExchange();
    Event LastError();

    // The words for an error of the cloud connection, translated: what happened, as a user would
    // say it, followed by the server's own text in brackets.
    QString InWords(int code, const QString& text) const;

private:
    void write(const QString& item, const Event& e);
    Event read(const QString& item);
    KVGlobal& g;
};
