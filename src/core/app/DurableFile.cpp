#include "DurableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Runs a system call again when a signal interrupted it.
template <class F> auto retrying(F&& call)
{
    auto result = call();
    while (result < 0 && errno == EINTR)
        result = call();
    return result;
}

ssize_t callWrite(const FileCalls& calls, int fd, const char* data, size_t size)
{
    return retrying([&] { return calls.write ? calls.write(fd, data, size) : ::write(fd, data, size); });
}
int callFsync(const FileCalls& calls, int fd)
{
    return retrying([&] { return calls.fsync ? calls.fsync(fd) : ::fsync(fd); });
}
// close is not retried: after EINTR the descriptor is gone already.
int callClose(const FileCalls& calls, int fd) { return calls.close ? calls.close(fd) : ::close(fd); }
int callRename(const FileCalls& calls, const char* from, const char* to)
{
    return calls.rename ? calls.rename(from, to) : ::rename(from, to);
}

// The file a write replaces: the target of a symbolic link, else the path itself.
QString targetOf(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        if (!target.isEmpty())
            return target;
    }
    return path;
}

bool isStaleName(const QString& name, const QString& base)
{
    if (!name.startsWith(base + QLatin1Char('.')))
        return false;
    const QString tail = name.mid(base.size() + 1);
    const auto alnum = [](const QString& s) {
        for (QChar c : s)
            if (!(c.isLetterOrNumber() && c.unicode() < 0x80))
                return false;
        return true;
    };
    // Ours: "<name>.new-XXXXXX". The earlier writer's: "<name>.XXXXXX", six random letters and
    // digits; a word of six small letters ("backup") is more likely a copy someone made.
    if (tail.startsWith(QLatin1String("new-")))
        return tail.size() == 10 && alnum(tail.mid(4));
    const bool word = std::all_of(tail.begin(), tail.end(), [](QChar c) { return c >= u'a' && c <= u'z'; });
    return tail.size() == 6 && alnum(tail) && !word;
}

} // namespace

QString TemporaryPrefix(const QString& path) { return path + QStringLiteral(".new-"); }

void WriteFileDurably(const QString& path, const QByteArray& bytes, const FileCalls& calls)
{
    const QString target = targetOf(path);
    QByteArray temp = QFile::encodeName(TemporaryPrefix(target) + QStringLiteral("XXXXXX"));
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC); // mode 0600
    if (fd < 0)
        throw FileWriteError(path, systemReason(errno));

    int failure = 0;
    const char* data = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0 && failure == 0) {
        const ssize_t n = callWrite(calls, fd, data, left);
        if (n < 0)
            failure = errno;
        else if (n == 0)
            failure = ENOSPC; // the file system takes no more
        else {
            data += n;
            left -= size_t(n);
        }
    }
    // The data on the disk, not just in the cache, before the old file makes way for it.
    if (failure == 0 && callFsync(calls, fd) != 0)
        failure = errno;
    struct stat st {};
    if (failure == 0 && (::fstat(fd, &st) != 0 || st.st_size != off_t(bytes.size())))
        failure = EIO;
    if (callClose(calls, fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && callRename(calls, temp.constData(), QFile::encodeName(target).constData()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(temp.constData());
        throw FileWriteError(path, systemReason(failure));
    }

    // The new name in the folder on the disk too. The file is in place by now: a folder that
    // cannot be synced (some file systems refuse) leaves it there, as good as the system makes it.
    const int dir = ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        callFsync(calls, dir);
        ::close(dir);
    }
}

void RemoveStaleTemporaries(const QString& path)
{
    const QFileInfo info(targetOf(path));
    const QString base = info.fileName();
    QDir folder = info.absoluteDir();
    const QStringList candidates = folder.entryList({base + QStringLiteral(".*")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : candidates)
        if (isStaleName(name, base))
            folder.remove(name);
}
