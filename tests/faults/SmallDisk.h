#pragma once

#include <sys/mount.h>

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

// A tmpfs of a few KB mounted on a fresh temporary folder for as long as the object lives: a
// real disk that fills up (ENOSPC). Mounting needs root or CAP_SYS_ADMIN; isMounted() says
// whether it worked, errorString() why not.
class SmallDisk {
  public:
    explicit SmallDisk(int kilobytes) {
        if (!dir_.isValid()) {
            error_ = dir_.errorString();
            return;
        }
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0700";
        mounted_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs",
                           MS_NOSUID | MS_NODEV, options.constData()) == 0;
        if (!mounted_) {
            error_ = QString::fromLocal8Bit(std::strerror(errno));
        }
    }
    ~SmallDisk() {
        if (mounted_) {
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool isMounted() const { return mounted_; }
    QString path() const { return dir_.path(); }
    QString errorString() const { return error_; }

  private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString error_;
};
