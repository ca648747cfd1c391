#include "export/GifWriter.h"

#include <QFileDevice>

#include <gif_lib.h>
#include <libimagequant.h>

#include <memory>
#include <vector>

namespace exporting {

namespace {

template <typename T, void (*Destroy)(T *)> struct Deleter {
    void operator()(T *p) const {
        if (p)
            Destroy(p);
    }
};
template <typename T, void (*Destroy)(T *)> using Owned = std::unique_ptr<T, Deleter<T, Destroy>>;

// A picture in the palette's indices, one byte a pixel, rows without gaps.
struct IndexedPicture {
    int width = 0;
    std::vector<GifByteType> pixels;
    const GifByteType *row(int y) const { return pixels.data() + std::size_t(y) * width; }
};

struct Quantised {
    std::vector<GifColorType> palette;
    IndexedPicture first;
    IndexedPicture last;
};

bool quantise(const QImage &first, const QImage &last, Quantised *out, QString *error) {
    const QImage first32 = first.convertToFormat(QImage::Format_RGBA8888);
    const QImage last32 = last.convertToFormat(QImage::Format_RGBA8888);
    const int width = first32.width();
    const int height = first32.height();
    // The quantiser sees the two pictures stacked as one: one histogram, one
    // palette, and one remapping, which may refine the palette for the pixels
    // it maps and so must cover both.
    std::vector<void *> rows;
    for (const QImage *picture : {&first32, &last32}) {
        for (int y = 0; y < height; ++y)
            rows.push_back(const_cast<uchar *>(picture->constScanLine(y)));
    }
    Owned<liq_attr, liq_attr_destroy> attr(liq_attr_create());
    if (!attr) {
        *error = QStringLiteral("the colour quantiser could not start");
        return false;
    }
    liq_set_max_colors(attr.get(), 256);
    // Speed 7 of 10 takes a third of the default's time for a 3 % larger
    // colour error on the built-in photographs, which keeps an export well
    // under a second.
    liq_set_speed(attr.get(), 7);
    Owned<liq_image, liq_image_destroy> image(
        liq_image_create_rgba_rows(attr.get(), rows.data(), width, 2 * height, 0));
    liq_result *raw = nullptr;
    if (!image || liq_image_quantize(image.get(), attr.get(), &raw) != LIQ_OK) {
        *error = QStringLiteral("the colour quantiser found no palette for the pictures");
        return false;
    }
    Owned<liq_result, liq_result_destroy> result(raw);
    liq_set_dithering_level(result.get(), 1.0f);

    std::vector<GifByteType> pixels(std::size_t(width) * 2 * height);
    if (liq_write_remapped_image(result.get(), image.get(), pixels.data(), pixels.size()) !=
        LIQ_OK) {
        *error = QStringLiteral("the colour quantiser could not dither the pictures");
        return false;
    }
    const auto middle = pixels.begin() + std::ptrdiff_t(pixels.size() / 2);
    out->first = {width, std::vector<GifByteType>(pixels.begin(), middle)};
    out->last = {width, std::vector<GifByteType>(middle, pixels.end())};
    const liq_palette *palette = liq_get_palette(result.get());
    for (unsigned i = 0; i < palette->count; ++i)
        out->palette.push_back(
            {palette->entries[i].r, palette->entries[i].g, palette->entries[i].b});
    return true;
}

// A short write is no error yet; the next one says why, such as a full disk.
int writeToDevice(GifFileType *gif, const GifByteType *data, int length) {
    auto *device = static_cast<QIODevice *>(gif->UserData);
    int done = 0;
    while (done < length) {
        const qint64 written =
            device->write(reinterpret_cast<const char *>(data) + done, length - done);
        if (written <= 0)
            break;
        done += int(written);
    }
    return done;
}

// Hundredths of a second, rounded to the nearest.
int centiseconds(int ms) {
    return (ms + 5) / 10;
}

struct GifFile {
    GifFileType *gif = nullptr;
    ~GifFile() {
        if (gif)
            EGifCloseFile(gif, nullptr);
    }
};

} // namespace

bool writeGif(const TileAnimation &animation, QIODevice &out, const Progress &progress,
              QString *error) {
    Quantised q;
    if (!quantise(animation.first, animation.last, &q, error))
        return false;

    const auto failed = [&](int code) {
        // The file's own reason, when it was the file that failed, says more.
        const auto *file = qobject_cast<const QFileDevice *>(&out);
        *error = file && file->error() != QFileDevice::NoError
                     ? file->errorString()
                     : QStringLiteral("GIF: %1").arg(QString::fromUtf8(GifErrorString(code)));
        return false;
    };
    int code = 0;
    GifFile file;
    file.gif = EGifOpen(&out, writeToDevice, &code);
    if (!file.gif)
        return failed(code);
    GifFileType *gif = file.gif;
    EGifSetGifVersion(gif, true);

    // A colour table's size is a power of two; the unused entries stay black.
    q.palette.resize(std::size_t(1) << GifBitSize(int(q.palette.size())));
    std::unique_ptr<ColorMapObject, void (*)(ColorMapObject *)> map(
        GifMakeMapObject(int(q.palette.size()), q.palette.data()), GifFreeMapObject);
    const int width = animation.first.width();
    const int height = animation.first.height();
    if (!map || EGifPutScreenDesc(gif, width, height, 8, 0, map.get()) == GIF_ERROR)
        return failed(gif->Error);

    if (animation.loop) {
        static const GifByteType netscape[] = "NETSCAPE2.0";
        static const GifByteType endless[] = {1, 0, 0};
        if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
            EGifPutExtensionBlock(gif, 11, netscape) == GIF_ERROR ||
            EGifPutExtensionBlock(gif, 3, endless) == GIF_ERROR ||
            EGifPutExtensionTrailer(gif) == GIF_ERROR)
            return failed(gif->Error);
    }

    const QRect whole(0, 0, width, height);
    const int frames = animation.frameCount();
    for (int k = 0; k < frames; ++k) {
        const int nextStart = k + 1 < frames ? animation.startMs.at(k + 1) : animation.endMs;
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.DelayTime = centiseconds(nextStart) - centiseconds(animation.startMs.at(k));
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        const int length = EGifGCBToExtension(&control, extension);

        const QRect rect = k == 0 ? whole : animation.changes.at(k - 1) & whole;
        const IndexedPicture &picture = k == 0 ? q.first : q.last;
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, length, extension) == GIF_ERROR ||
            EGifPutImageDesc(gif, rect.x(), rect.y(), rect.width(), rect.height(), false,
                             nullptr) == GIF_ERROR)
            return failed(gif->Error);
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            if (EGifPutLine(gif, const_cast<GifByteType *>(picture.row(y)) + rect.x(),
                            rect.width()) == GIF_ERROR)
                return failed(gif->Error);
        }
        if (progress && !progress(k + 1, frames)) {
            error->clear();
            return false;
        }
    }
    GifFileType *closing = std::exchange(file.gif, nullptr);
    if (EGifCloseFile(closing, &code) == GIF_ERROR)
        return failed(code);
    return true;
}

} // namespace exporting
