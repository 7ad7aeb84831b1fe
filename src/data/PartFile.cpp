#include "PartFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

int systemRenameNoReplace(const char *from, const char *to)
{
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

void syncFolder(const QString &file)
{
    // The new name itself must reach the disk, or a power cut could take it
    // back; a file system that cannot sync a folder has nothing to lose here.
    const int folder = ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

} // namespace

int CopyToNewFile(const QString &from, const QString &to)
{
    const QByteArray target = QFile::encodeName(to);
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    const int out = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    static constexpr size_t kChunk = 1 << 20;
    int error = 0;
    // The kernel copies without the bytes passing through the program where
    // the file system can; elsewhere they are read and written here.
    bool copied = false;
    for (;;) {
        const ssize_t put = ::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
        if (put > 0) {
            copied = true;
            continue;
        }
        if (put == 0) {
            copied = true;
            break;
        }
        if (errno == EINTR)
            continue;
        if (copied || (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP))
            error = errno;
        break;
    }
    const std::unique_ptr<char[]> buffer(copied || error ? nullptr : new char[kChunk]);
    while (!copied && !error) {
        const ssize_t got = ::read(in, buffer.get(), kChunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got < 0)
                error = errno;
            break;
        }
        for (ssize_t done = 0; done < got && !error;) {
            const ssize_t put = ::write(out, buffer.get() + done, size_t(got - done));
            if (put < 0 && errno != EINTR)
                error = errno;
            else if (put > 0)
                done += put;
        }
    }
    if (!error && ::fsync(out) != 0)
        error = errno;
    if (::close(out) != 0 && !error)
        error = errno;
    ::close(in);
    if (error)
        ::unlink(target.constData()); // half a copy never keeps the name
    return error;
}

PartFileCalls &partFileCalls()
{
    static PartFileCalls calls{::link, systemRenameNoReplace, std::rename};
    return calls;
}

PartFile::PartFile(const QString &target, Existing existing) : m_target(target), m_existing(existing)
{
    if (existing == Existing::Refuse && QFileInfo::exists(target))
        throw FileError(EEXIST, QStringLiteral("File '%1' already exists").arg(target));
    // A hidden name of its own in the same folder, so that the rename stays
    // on one file system and a part left by a kill does not pass for the file.
    const QFileInfo info(target);
    const QString suffix = QStringLiteral(".part");
    QByteArray name = QFile::encodeName(
        info.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX%2").arg(info.fileName(), suffix)));
    const int fd = ::mkstemps(name.data(), int(suffix.size()));
    if (fd < 0) {
        const int error = errno;
        throw FileError(error, QStringLiteral("Cannot create a file in %1: %2").arg(info.absolutePath(), systemText(error)));
    }
    ::close(fd);
    m_part = QFile::decodeName(name);
    ::unlink(name.constData()); // the name is taken for us; the makers create the file themselves
}

PartFile::~PartFile()
{
    if (m_committed)
        return;
    QFile::remove(m_part + QStringLiteral("-journal"));
    QFile::remove(m_part);
}

void PartFile::commit()
{
    const QByteArray part = QFile::encodeName(m_part), target = QFile::encodeName(m_target);
    // On the disk before it has the target's name, so that a power cut
    // cannot leave the name on a file whose pages never arrived.
    {
        const int fd = ::open(part.constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0) {
            const int error = errno;
            if (fd >= 0)
                ::close(fd);
            throw FileError(error, QStringLiteral("Cannot write %1: %2").arg(m_part, systemText(error)));
        }
        ::close(fd);
    }
    const PartFileCalls &calls = partFileCalls();
    if (m_existing == Existing::Replace) {
        if (calls.rename(part.constData(), target.constData()) != 0) {
            const int error = errno;
            throw FileError(error, QStringLiteral("Cannot put %1 in place: %2").arg(m_target, systemText(error)));
        }
    } else if (calls.link(part.constData(), target.constData()) == 0) {
        // A link is made only where no file is: a target that appeared
        // meanwhile stays as it is.
        ::unlink(part.constData());
    } else if (errno == EEXIST) {
        throw FileError(EEXIST, QStringLiteral("File '%1' already exists").arg(m_target));
    } else if (calls.renameNoReplace(part.constData(), target.constData()) != 0) {
        // A file system without links (FAT) may still rename without
        // replacing; without that either, the bytes are copied to a name
        // made afresh. Never a replacing rename.
        int error = errno;
        if (error == EINVAL || error == ENOSYS || error == ENOTSUP) {
            error = CopyToNewFile(m_part, m_target);
            if (error == 0)
                ::unlink(part.constData());
        }
        if (error == EEXIST)
            throw FileError(EEXIST, QStringLiteral("File '%1' already exists").arg(m_target));
        if (error != 0)
            throw FileError(error, QStringLiteral("Cannot put %1 in place: %2").arg(m_target, systemText(error)));
    }
    m_committed = true;
    syncFolder(m_target);
}
