// Writes the fuzzer's first inputs into the folder it is given.
#include "PictureFiles.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

int main(int argc, char *argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (const auto &[name, bytes] : picturefiles::seeds()) {
        QFile file(folder.filePath(name));
        if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) ||
            file.write(bytes) != bytes.size())
            return 1;
    }
    return 0;
}
