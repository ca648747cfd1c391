// Decodes a picture with Qt's own readers and writes its pixels out as C++
// source, so that the program shows it without decoding anything at start-up.
//
//     rawimage <picture> <variable> <output.cpp>
//
// The output defines `const RawImage <variable>` (resources/RawImage.h).
// Opaque pictures become 32-bit RGB, pictures with transparency 32-bit ARGB:
// the formats Qt itself decodes them to, or converts them to before use.
#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>

#include <cstdio>

namespace {

int fail(const QString &message) {
    std::fprintf(stderr, "rawimage: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4)
        return fail(QStringLiteral("usage: rawimage <picture> <variable> <output.cpp>"));
    const QString &input = args.at(1);
    const QString &variable = args.at(2);
    const QString &output = args.at(3);

    QImageReader reader(input);
    QImage image = reader.read();
    if (image.isNull())
        return fail(input + QStringLiteral(": ") + reader.errorString());
    const QImage::Format format =
        image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    image = image.convertToFormat(format);

    QByteArray text;
    text += "// Generated at build time from " + QFileInfo(input).fileName().toUtf8() +
            " by tools/rawimage; do not edit.\n";
    text += "#include \"resources/RawImage.h\"\n\nnamespace {\n\n";
    // A string literal, not a list of numbers: the compiler reads it far faster.
    text += "alignas(16) const char kPixels[] =\n";
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const uchar *>(image.constScanLine(y));
        for (qsizetype x = 0; x < image.bytesPerLine(); x += 32) {
            text += "    \"";
            for (qsizetype i = x; i < qMin(x + 32, image.bytesPerLine()); ++i) {
                static const char hex[] = "0123456789abcdef";
                text += "\\x";
                text += hex[row[i] >> 4];
                text += hex[row[i] & 15];
            }
            text += "\"\n";
        }
    }
    text += "    ;\n\n} // namespace\n\n";
    text += "const RawImage " + variable.toUtf8() + "{reinterpret_cast<const uchar *>(kPixels), " +
            QByteArray::number(image.width()) + ", " + QByteArray::number(image.height()) + ", " +
            QByteArray::number(image.bytesPerLine()) + ", " +
            (format == QImage::Format_ARGB32 ? "QImage::Format_ARGB32" : "QImage::Format_RGB32") +
            "};\n";

    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return fail(output + QStringLiteral(": ") + file.errorString());
    return 0;
}
