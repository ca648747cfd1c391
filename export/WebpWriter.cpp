#include "export/WebpWriter.h"

#include "export/SafeFile.h"

#include <QIODevice>

#include <webp/encode.h>
#include <webp/mux.h>

#include <cstring>
#include <memory>

namespace exporting {

namespace {

struct Picture {
    WebPPicture picture{};
    bool ok = false;
    Picture() { ok = WebPPictureInit(&picture); }
    ~Picture() { WebPPictureFree(&picture); }
};

struct Data {
    WebPData data{};
    Data() { WebPDataInit(&data); }
    ~Data() { WebPDataClear(&data); }
};

} // namespace

bool writeWebp(const TileAnimation &animation, QIODevice &out, const Progress &progress,
               QString *error) {
    const int width = animation.first.width();
    const int height = animation.first.height();

    WebPAnimEncoderOptions options;
    WebPConfig config;
    if (!WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&config)) {
        *error = QStringLiteral("WebP: the library is not the version the program was built for");
        return false;
    }
    options.anim_params.loop_count = animation.loop ? 0 : 1; // 0: for ever
    // No key frames: every frame after the first keeps to its changed rectangle.
    options.kmin = 0;
    options.kmax = 0;
    config.lossless = 1;
    config.exact = 1;

    std::unique_ptr<WebPAnimEncoder, void (*)(WebPAnimEncoder *)> encoder(
        WebPAnimEncoderNew(width, height, &options), WebPAnimEncoderDelete);
    if (!encoder) {
        *error = QStringLiteral("WebP: the animation encoder could not start");
        return false;
    }
    const auto failed = [&] {
        *error = QStringLiteral("WebP: %1")
                     .arg(QString::fromUtf8(WebPAnimEncoderGetError(encoder.get())));
        return false;
    };

    const int frames = animation.frameCount();
    QImage shown = animation.first.convertToFormat(QImage::Format_RGBA8888);
    const QImage last = animation.last.convertToFormat(QImage::Format_RGBA8888);
    for (int k = 0; k < frames; ++k) {
        if (k > 0) {
            const QRect rect = animation.changes.at(k - 1) & shown.rect();
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                std::memcpy(shown.scanLine(y) + 4 * rect.x(), last.constScanLine(y) + 4 * rect.x(),
                            std::size_t(4) * rect.width());
        }
        Picture picture;
        picture.picture.use_argb = 1;
        picture.picture.width = width;
        picture.picture.height = height;
        if (!picture.ok || !WebPPictureImportRGBA(&picture.picture, shown.constBits(),
                                                  int(shown.bytesPerLine()))) {
            *error = QStringLiteral("WebP: out of memory");
            return false;
        }
        if (!WebPAnimEncoderAdd(encoder.get(), &picture.picture, animation.startMs.at(k), &config))
            return failed();
        if (progress && !progress(k + 1, frames)) {
            error->clear();
            return false;
        }
    }
    Data data;
    if (!WebPAnimEncoderAdd(encoder.get(), nullptr, animation.endMs, nullptr) ||
        !WebPAnimEncoderAssemble(encoder.get(), &data.data))
        return failed();
    return writeAll(out, reinterpret_cast<const char *>(data.data.bytes), qint64(data.data.size),
                    error);
}

} // namespace exporting
