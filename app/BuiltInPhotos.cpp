#include "app/BuiltInPhotos.h"

QImage builtInSourcePhoto() {
    return QImage(QStringLiteral(":/source.jpg"));
}

QImage builtInCoverPhoto() {
    return QImage(QStringLiteral(":/cover.jpg"));
}
