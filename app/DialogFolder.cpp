#include "app/DialogFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString dialogFolder(const QString &lastUsed) {
    if (!lastUsed.isEmpty() && QFileInfo(lastUsed).isDir())
        return lastUsed;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (QFileInfo(pictures).isDir())
        return pictures;
    return QDir::homePath();
}
