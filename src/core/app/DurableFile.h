#pragma once
#include "KVError.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <sys/types.h>

// The system calls of a durable file write, one member each, so that a test can make any one
// of them fail the way a full or broken disk does. An empty member is the system's own call.
struct FileCalls {
    std::function<ssize_t(int fd, const void* data, size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(int fd)> close;
    std::function<int(const char* from, const char* to)> rename;
};

// A file that could not be replaced. text() is "Unable to write to <path>"; reason() says why,
// in the system's words ("No space left on device").
class FileWriteError : public KVError {
public:
    FileWriteError(const QString& path, const QString& reason)
        : KVError(QStringLiteral("Unable to write to ") + path), m_path(path), m_reason(reason) {}
    const QString& path() const { return m_path; }
    const QString& reason() const { return m_reason; }

private:
    QString m_path, m_reason;
};

// Replaces the file at path with bytes, so that afterwards it holds either all of its old
// content or all of the new one, also after a crash or a power cut. The bytes go to a
// temporary file beside it (TemporaryPrefix(path) + six characters, readable by its owner
// only), which is synced to disk and checked for its full length before it is renamed over
// the old file; the folder is synced last. A symbolic link is followed: its target is
// replaced. On any failure the temporary file is removed, the old file is untouched and
// FileWriteError is thrown.
void WriteFileDurably(const QString& path, const QByteArray& bytes, const FileCalls& calls = {});

// The name start of the temporary files of path's writer: "<path>.new-".
QString TemporaryPrefix(const QString& path);

// Removes what writers of path left behind when they were killed halfway: the temporary files
// of WriteFileDurably, and those of the earlier writer ("<path>." + six random letters and
// digits, but not a word of six small letters).
// They may hold passwords. Nothing else is touched; a file that cannot be removed stays.
void RemoveStaleTemporaries(const QString& path);
