#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

class QIODevice;

namespace exporting {

// What a symbolic link at the name written to is taken for.
enum class Links {
    // The file the user named: written through the link to its target, as the
    // shell's redirection does.
    Follow,
    // A name the program chose inside a folder: the link itself is replaced by
    // a regular file, and nothing outside the folder is touched.
    Replace,
};

// Writes a file under a temporary name beside `path` (".NAME.XXXXXX.part") and
// renames it when `write` has succeeded, so that a failure (or a stop, which
// `write` reports with an empty reason) leaves no file and an existing one
// untouched. A folder or a device is refused, since the rename would replace
// it, and so are a file the user may not write and a loop of links. What a
// killed run left beside the same target is removed first. Writes are
// unbuffered and checked, so a full disk is noticed with its reason. Returns
// false with a one-line reason that names the file, or an empty one on a stop.
bool writeSafely(const QString &path, const std::function<bool(QIODevice &, QString *)> &write,
                 QString *error, Links links = Links::Follow);

// The same for a writer that must open the file by its name itself (a video
// muxer reads its own output back): `write` is given the name of a new, empty
// file beside the one `path` names, through a link as with Links::Follow, and
// that file is renamed over it when `write` has succeeded.
bool writeSafelyByName(const QString &path,
                       const std::function<bool(const QString &temporaryPath, QString *)> &write,
                       QString *error);

// Has SIGINT, SIGTERM and SIGHUP remove the temporary file being written
// before they end the program as they otherwise would.
void removeTemporariesOnStop();

// Writes all of `data`: a short write is no error yet, and the next one says
// why, such as a full disk. Returns false with the device's reason.
bool writeAll(QIODevice &out, const char *data, qint64 size, QString *error);

} // namespace exporting
