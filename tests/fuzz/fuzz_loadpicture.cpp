// Any bytes at all, handed to the picture loader as a file: it must return a
// photo or a reason, never crash, leak or take long.
#include "form/LoadPicture.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdio>
#include <sys/mman.h>
#include <unistd.h>

namespace {
int g_file = -1;
QString g_path;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    // Image plugins are found through the application's library paths.
    static QCoreApplication app(*argc, *argv);
    g_file = memfd_create("picture", MFD_CLOEXEC);
    g_path = QStringLiteral("/proc/self/fd/%1").arg(g_file);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (ftruncate(g_file, 0) != 0 || pwrite(g_file, data, size, 0) != ssize_t(size))
        return 0;
    QString error;
    const QImage photo = form::LoadPicture(g_path, QSize(250, 187), 1.0, &error);
    if (photo.isNull() == error.isEmpty() || (!photo.isNull() && photo.size() != QSize(250, 187)))
        __builtin_trap(); // a photo of the wrong size, or a failure without a reason
    return 0;
}
