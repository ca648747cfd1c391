#pragma once

// The functions the PDF module exports, by name, for present/PdfDocument to
// resolve. Plain C across the boundary: the module alone links Poppler.
extern "C" {

// An open document, for one thread at a time.
struct TessalinePdf;

// A rendered page: 32-bit ARGB pixels in native byte order, owned by the module
// until tessaline_pdf_release.
struct TessalinePdfImage {
    int width;
    int height;
    int bytesPerLine;
    const unsigned char *bits;
    void *owner;
};

// Why a document could not be opened.
enum TessalinePdfProblem {
    TessalinePdfOpened = 0,
    TessalinePdfDamaged = 1,  // not a PDF, or damaged beyond reading
    TessalinePdfLocked = 2,   // needs a password to open
    TessalinePdfNoRender = 3, // this Poppler was built without a renderer
};

using TessalinePdfOpen = TessalinePdf *(*)(const char *path, int *problem);
using TessalinePdfClose = void (*)(TessalinePdf *document);
using TessalinePdfPageCount = int (*)(TessalinePdf *document);
// The page's size in points as it is shown (its own rotation applied); 0 when
// the page can't be read.
using TessalinePdfPageSize = int (*)(TessalinePdf *document, int page, double *width,
                                     double *height);
// Renders page `page` (from 0) at the given resolutions in dots per inch; 0 on failure.
using TessalinePdfRender = int (*)(TessalinePdf *document, int page, double xDpi, double yDpi,
                                   TessalinePdfImage *image);
using TessalinePdfRelease = void (*)(TessalinePdfImage *image);
}
