#include "export/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace exporting {

bool writeSafely(const QString &path, const std::function<bool(QIODevice &, QString *)> &write,
                 QString *error) {
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo target(path);
    if (target.isDir()) {
        *error = QStringLiteral("%1 is a folder").arg(shown);
        return false;
    }
    if (target.exists() && !target.isFile()) {
        *error = QStringLiteral("%1 is not a regular file").arg(shown);
        return false;
    }

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
