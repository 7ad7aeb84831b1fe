#include "PartFile.h"

#include "engine/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

PartFile::PartFile(const QString &target, Existing existing) : m_target(target), m_existing(existing)
{
    if (existing == Existing::Refuse && QFileInfo::exists(target))
        throw db::DataError(QStringLiteral("File '%1' already exists").arg(target));
    // A hidden name of its own in the same folder, so that the rename stays
    // on one file system and a part left by a kill does not pass for the file.
    const QFileInfo info(target);
    QTemporaryFile reserve(info.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX.part").arg(info.fileName())));
    reserve.setAutoRemove(false);
    if (!reserve.open())
        throw db::DataError(QStringLiteral("Cannot create a file in %1: %2").arg(info.absolutePath(), reserve.errorString()));
    m_part = reserve.fileName();
    reserve.close();
    QFile::remove(m_part); // the name is taken for us; the makers create the file themselves
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
    // On the disk before it has the target's name, so that a power cut
    // cannot leave the name on a file whose pages never arrived.
    {
        QFile file(m_part);
        if (!file.open(QIODevice::ReadWrite) || ::fsync(file.handle()) != 0)
            throw db::DataError(QStringLiteral("Cannot write %1: %2").arg(m_part, file.errorString()));
    }
    const QByteArray part = QFile::encodeName(m_part), target = QFile::encodeName(m_target);
    if (m_existing == Existing::Replace) {
        if (std::rename(part.constData(), target.constData()) != 0)
            throw db::DataError(QStringLiteral("Cannot put %1 in place: %2").arg(m_target, QString::fromLocal8Bit(std::strerror(errno))));
    } else if (::link(part.constData(), target.constData()) == 0) {
        // A link is made only where no file is: a target that appeared
        // meanwhile stays as it is.
        ::unlink(part.constData());
    } else if (errno == EEXIST) {
        throw db::DataError(QStringLiteral("File '%1' already exists").arg(m_target));
    } else if (!QFile::rename(m_part, m_target)) { // a file system without links
        throw db::DataError(QStringLiteral("Cannot put %1 in place").arg(m_target));
    }
    m_committed = true;
}
