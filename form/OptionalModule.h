#pragma once

#include <QLibrary>
#include <QString>

namespace form {

// A module of the program's own that carries a heavy library (the video
// encoders, the PDF renderer), loaded the first time its feature is used so
// that the window's start never maps that library. It is looked for in the
// package's private library folder next to the program, which in the build
// tree is build/lib/<arch>/tessaline/, and used only if it was built from the
// same version as the program.
class OptionalModule {
public:
    // `name` is the module's short name: "video" finds libtessaline-video.so.
    explicit OptionalModule(const QString &name);

    // The exported function `symbol`, loading the module first if need be; a
    // null pointer when the module is missing, can't be loaded, is of another
    // version or lacks the symbol, and then errorString() says which, in one
    // line that names the file.
    QFunctionPointer resolve(const char *symbol);
    // The same, as the entry's own function pointer type.
    template <typename Function> Function function(const char *symbol) {
        return reinterpret_cast<Function>(resolve(symbol));
    }
    QString errorString() const { return m_error; }

    // Where the module is looked for.
    QString filePath() const;

private:
    bool load();

    QString m_name;
    QLibrary m_library;
    bool m_tried = false;
    bool m_loaded = false;
    QString m_error;
};

} // namespace form
