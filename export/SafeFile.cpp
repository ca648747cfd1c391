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
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1: %2").arg(shown, file.errorString());
        return false;
    }
    if (!write(file, error)) {
        file.cancelWriting();
        if (!error->isEmpty())
            *error = QStringLiteral("cannot write %1: %2").arg(shown, *error);
        return false;
    }
    // What is still buffered goes out here: a disk that fills up now must
    // stop the rename, and commit() alone would not notice.
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

} // namespace exporting
