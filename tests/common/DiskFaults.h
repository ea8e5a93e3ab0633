#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>

// Disks that fail a write: a file size limit on this process, or a small file system that fills.
namespace DiskFaults {

// While it lives, no write may make a file larger than the limit: the write fails with EFBIG
// (SIGXFSZ is ignored, as it would otherwise end the process). The old limit comes back after.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit {bytes, m_old.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};

// A tmpfs of the given size mounted on a fresh folder, unmounted when it goes. Mounting needs
// root; isMounted() is false where it is refused, and the test skips.
class SmallTmpfs
{
public:
    explicit SmallTmpfs(int kibibytes)
    {
        const QByteArray options = "size=" + QByteArray::number(kibibytes) + "k";
        m_mounted = m_dir.isValid()
            && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData())
                == 0;
    }
    ~SmallTmpfs()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool isMounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }

    // Fills every free byte with one file; false when the file cannot be made.
    bool fill() const
    {
        QFile filler(m_dir.filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) { }
        while (filler.write("f", 1) == 1) { }
        return true;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace DiskFaults
