#include "export/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace exporting {

namespace {

QString systemError(int number) {
    return QString::fromLocal8Bit(std::strerror(number));
}

// Writes beside `path` under a new name that nothing else can hold (no link
// can be waiting there), then renames it over `path`, which replaces a link
// at that name and never its target.
bool writeReplacing(const QString &path, const QString &shown,
                    const std::function<bool(QIODevice &, QString *)> &write, QString *error) {
    auto fail = [&](const QString &reason) {
        *error = QStringLiteral("cannot write %1: %2").arg(shown, reason);
        return false;
    };
    const QByteArray finalName = QFile::encodeName(path);
    QByteArray temporaryName = finalName + ".XXXXXX";
    const int fd = mkstemp(temporaryName.data());
    if (fd < 0)
        return fail(systemError(errno));
    // A new file gets the permissions any file made here would get.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);

    bool written = false;
    {
        QFile file;
        if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                       QFileDevice::DontCloseHandle)) {
            *error = file.errorString();
        } else if (write(file, error)) {
            written = file.flush();
            if (!written)
                *error = file.errorString();
        }
    }
    const int closeError = ::close(fd) == 0 ? 0 : errno;
    if (written && closeError != 0) {
        written = false;
        *error = systemError(closeError);
    }
    if (written && std::rename(temporaryName.constData(), finalName.constData()) != 0) {
        written = false;
        *error = systemError(errno);
    }
    if (!written) {
        ::unlink(temporaryName.constData());
        // A stop has no reason to give.
        return error->isEmpty() ? false : fail(*error);
    }
    return true;
}

} // namespace

bool writeSafely(const QString &path, const std::function<bool(QIODevice &, QString *)> &write,
                 QString *error, Links links) {
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo target(path);
    // A link the program replaces is only a name; what it points to doesn't matter.
    const bool replacedLink = links == Links::Replace && target.isSymLink();
    if (!replacedLink && target.isDir()) {
        *error = QStringLiteral("%1 is a folder").arg(shown);
        return false;
    }
    if (!replacedLink && target.exists() && !target.isFile()) {
        *error = QStringLiteral("%1 is not a regular file").arg(shown);
        return false;
    }
    if (links == Links::Replace)
        return writeReplacing(path, shown, write, error);

    QSaveFile file(path);
    // Unbuffered, a full disk shows at the write that meets it, with its reason.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *error = QStringLiteral("cannot write %1: %2").arg(shown, file.errorString());
        return false;
    }
    if (!write(file, error)) {
        file.cancelWriting();
        if (!error->isEmpty())
            *error = QStringLiteral("cannot write %1: %2").arg(shown, *error);
        return false;
    }
    // Nothing should be left in a buffer; if it were, commit() would write it
    // without noticing a full disk and rename a truncated file.
    if (!file.flush()) {
        *error = QStringLiteral("cannot write %1: %2").arg(shown, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(shown, file.errorString());
        return false;
    }
    return true;
}

bool writeSafelyByName(const QString &path,
                       const std::function<bool(const QString &temporaryPath, QString *)> &write,
                       QString *error) {
    const QString shown = QDir::toNativeSeparators(path);
    // The file the user named is written through a link to it, as the shell's
    // redirection does: the link stays.
    const QFileInfo named(path);
    const QString real = !named.isSymLink() ? path
                         : named.exists()   ? named.canonicalFilePath()
                                            : named.symLinkTarget();
    const QFileInfo target(real);
    if (target.isDir()) {
        *error = QStringLiteral("%1 is a folder").arg(shown);
        return false;
    }
    if (target.exists() && !target.isFile()) {
        *error = QStringLiteral("%1 is not a regular file").arg(shown);
        return false;
    }
    QTemporaryFile temporary(
        target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX.part").arg(target.fileName())));
    if (!temporary.open()) {
        *error = QStringLiteral("cannot write %1: %2").arg(shown, temporary.errorString());
        return false;
    }
    temporary.close();
    const QString temporaryPath = temporary.fileName();
    bool written = write(temporaryPath, error);
    if (written) {
        // An old file keeps its permissions; a new one gets those any file
        // made here would get.
        const mode_t mask = umask(0);
        umask(mask);
        struct stat old {};
        const bool keep = target.exists() && ::stat(QFile::encodeName(real).constData(), &old) == 0;
        ::chmod(QFile::encodeName(temporaryPath).constData(),
                keep ? (old.st_mode & 07777) : (0666 & ~mask));
        // rename() replaces the old file in one step: never half a file.
        if (std::rename(QFile::encodeName(temporaryPath).constData(),
                        QFile::encodeName(real).constData()) != 0) {
            *error = systemError(errno);
            written = false;
        } else {
            temporary.setAutoRemove(false);
        }
    }
    if (!written && !error->isEmpty())
        *error = QStringLiteral("cannot write %1: %2").arg(shown, *error);
    return written;
}

bool writeAll(QIODevice &out, const char *data, qint64 size, QString *error) {
    for (qint64 done = 0; done < size;) {
        const qint64 written = out.write(data + done, size - done);
        if (written <= 0) {
            *error = out.errorString();
            return false;
        }
        done += written;
    }
    return true;
}

} // namespace exporting
