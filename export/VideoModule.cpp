#include "export/VideoModule.h"

#include "form/OptionalModule.h"

#include <QDir>

namespace exporting {

bool saveVideoThroughModule(const QString &path, const VideoPlan &plan, const Progress &progress,
                            QString *error) {
    static form::OptionalModule module(QStringLiteral("video"));
    const auto save = module.function<SaveVideoEntry>(kSaveVideoEntry);
    if (!save) {
        *error = QStringLiteral("cannot write %1: %2")
                     .arg(QDir::toNativeSeparators(path), module.errorString());
        return false;
    }
    return save(path, plan, progress, error, &writeSafelyByName);
}

} // namespace exporting
