#include "app/PhotoOptions.h"

#include "app/PhotoControls.h"
#include "app/Tessaline.h"
#include "cli/CommandLineChecks.h"
#include "form/LoadPicture.h"
#include "resources/BuiltInPhotos.h"

#include <QCommandLineParser>

#include <cstdio>

PhotoOptions::PhotoOptions()
    : m_sourceOption(QStringLiteral("source"),
                     QStringLiteral("Use the picture in FILE as the source photograph (left)."),
                     QStringLiteral("FILE"))
    , m_coverOption(QStringLiteral("cover"),
                    QStringLiteral("Use the picture in FILE as the cover photograph (right)."),
                    QStringLiteral("FILE")) {}

void PhotoOptions::addTo(QCommandLineParser &parser) const {
    parser.addOption(m_sourceOption);
    parser.addOption(m_coverOption);
}

void PhotoOptions::read(const QCommandLineParser &parser) {
    m_sourcePath = parser.value(m_sourceOption);
    m_coverPath = parser.value(m_coverOption);
}

std::optional<int> PhotoOptions::load(const QString &program, qreal devicePixelRatio) {
    QString error;
    if (loadAt(devicePixelRatio, &error))
        return std::nullopt;
    return commandline::report(program, error, 2);
}

bool PhotoOptions::loadAt(qreal devicePixelRatio, QString *error) {
    QImage source, cover;
    if (!m_sourcePath.isEmpty()) {
        source = form::LoadPicture(m_sourcePath, kPhotoSize, devicePixelRatio, error);
        if (source.isNull())
            return false;
    }
    if (!m_coverPath.isEmpty()) {
        cover = form::LoadPicture(m_coverPath, kPhotoSize, devicePixelRatio, error);
        if (cover.isNull())
            return false;
    }
    m_source = source;
    m_cover = cover;
    return true;
}

void PhotoOptions::applyTo(Tessaline &window) {
    // Read once more at the screen's density, so that a high-DPI screen gets
    // every device pixel; the first reading was at one pixel to a pixel.
    const qreal ratio = window.devicePixelRatioF();
    if (ratio != 1.0)
        loadAt(ratio, nullptr);
    if (!m_source.isNull())
        window.photos->setPhoto(PhotoControls::Source, m_source, m_sourcePath);
    if (!m_cover.isNull())
        window.photos->setPhoto(PhotoControls::Cover, m_cover, m_coverPath);
}
