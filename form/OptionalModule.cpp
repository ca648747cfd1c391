#include "form/OptionalModule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace form {

namespace {

// The program's own folder, also before a QCoreApplication exists (the file
// modes run without one).
QString programFolder() {
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

} // namespace

OptionalModule::OptionalModule(const QString &name)
    : m_name(name) {}

QString OptionalModule::filePath() const {
    return QDir::cleanPath(programFolder() + QLatin1Char('/') +
                           QStringLiteral(TESSALINE_MODULE_DIR_FROM_BIN) +
                           QStringLiteral("/libtessaline-%1.so").arg(m_name));
}

bool OptionalModule::load() {
    if (m_tried)
        return m_loaded;
    m_tried = true;
    const QString path = filePath();
    if (!QFileInfo::exists(path)) {
        m_error = QStringLiteral("the %1 module %2 is not installed").arg(m_name, path);
        return false;
    }
    m_library.setFileName(path);
    if (!m_library.load()) {
        m_error = QStringLiteral("the %1 module can't be loaded: %2")
                      .arg(m_name, m_library.errorString());
        return false;
    }
    using VersionFunction = const char *(*)();
    const auto version =
        reinterpret_cast<VersionFunction>(m_library.resolve("tessaline_module_version"));
    const QString theirs = version ? QString::fromUtf8(version()) : QStringLiteral("unknown");
    if (theirs != QStringLiteral(TESSALINE_VERSION)) {
        m_error = QStringLiteral("the %1 module %2 is version %3, the program %4")
                      .arg(m_name, path, theirs, QStringLiteral(TESSALINE_VERSION));
        m_library.unload();
        return false;
    }
    m_loaded = true;
    return true;
}

QFunctionPointer OptionalModule::resolve(const char *symbol) {
    if (!load())
        return nullptr;
    const QFunctionPointer function = m_library.resolve(symbol);
    if (!function)
        m_error = QStringLiteral("the %1 module %2 lacks %3")
                      .arg(m_name, m_library.fileName(), QString::fromLatin1(symbol));
    return function;
}

} // namespace form
