// The PDF module: Poppler's C++ library behind the few functions of
// PdfModuleApi.h, so that the program maps Poppler only when a PDF is shown.
#include "present/PdfModuleApi.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <memory>
#include <string>

#define TESSALINE_EXPORT extern "C" __attribute__((visibility("default")))

struct TessalinePdf {
    std::unique_ptr<poppler::document> document;
    poppler::page_renderer renderer;
};

namespace {

// Poppler reports every oddity of a damaged file on stderr; the program says
// in one line of its own what it makes of the file instead.
void quiet(const std::string &, void *) {}

std::unique_ptr<poppler::page> pageOf(TessalinePdf *pdf, int page) {
    if (!pdf || page < 0 || page >= pdf->document->pages())
        return nullptr;
    return std::unique_ptr<poppler::page>(pdf->document->create_page(page));
}

bool turned(const poppler::page &page) {
    return page.orientation() == poppler::page::landscape ||
           page.orientation() == poppler::page::seascape;
}

} // namespace

TESSALINE_EXPORT TessalinePdf *tessaline_pdf_open(const char *path, int *problem) {
    poppler::set_debug_error_function(quiet, nullptr);
    if (!poppler::page_renderer::can_render()) {
        *problem = TessalinePdfNoRender;
        return nullptr;
    }
    std::unique_ptr<poppler::document> document(poppler::document::load_from_file(path));
    if (!document) {
        *problem = TessalinePdfDamaged;
        return nullptr;
    }
    if (document->is_locked()) {
        *problem = TessalinePdfLocked;
        return nullptr;
    }
    auto *pdf = new TessalinePdf{std::move(document), {}};
    pdf->renderer.set_render_hints(poppler::page_renderer::antialiasing |
                                   poppler::page_renderer::text_antialiasing |
                                   poppler::page_renderer::text_hinting);
    pdf->renderer.set_image_format(poppler::image::format_argb32);
    *problem = TessalinePdfOpened;
    return pdf;
}

TESSALINE_EXPORT void tessaline_pdf_close(TessalinePdf *pdf) {
    delete pdf;
}

TESSALINE_EXPORT int tessaline_pdf_page_count(TessalinePdf *pdf) {
    return pdf ? pdf->document->pages() : 0;
}

TESSALINE_EXPORT int tessaline_pdf_page_size(TessalinePdf *pdf, int index, double *width,
                                             double *height) {
    const std::unique_ptr<poppler::page> page = pageOf(pdf, index);
    if (!page)
        return 0;
    const poppler::rectf box = page->page_rect(poppler::crop_box);
    *width = turned(*page) ? box.height() : box.width();
    *height = turned(*page) ? box.width() : box.height();
    return 1;
}

TESSALINE_EXPORT int tessaline_pdf_render(TessalinePdf *pdf, int index, double xDpi, double yDpi,
                                          TessalinePdfImage *out) {
    const std::unique_ptr<poppler::page> page = pageOf(pdf, index);
    if (!page)
        return 0;
    auto image =
        std::make_unique<poppler::image>(pdf->renderer.render_page(page.get(), xDpi, yDpi));
    if (!image->is_valid() || image->format() != poppler::image::format_argb32)
        return 0;
    out->width = image->width();
    out->height = image->height();
    out->bytesPerLine = image->bytes_per_row();
    out->bits = reinterpret_cast<const unsigned char *>(image->const_data());
    out->owner = image.release();
    return 1;
}

TESSALINE_EXPORT void tessaline_pdf_release(TessalinePdfImage *image) {
    delete static_cast<poppler::image *>(image->owner);
    image->owner = nullptr;
    image->bits = nullptr;
}
