#include "cli/CommandLineChecks.h"

#include <QCommandLineParser>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>

namespace commandline {

namespace {

// The options of every mode that take a value, so that the value that follows
// one is never mistaken for a mode's flag.
const QStringList kValueOptions = {
    QStringLiteral("export"),   QStringLiteral("atlas"),   QStringLiteral("luma"),
    QStringLiteral("effect"),   QStringLiteral("source"),  QStringLiteral("cover"),
    QStringLiteral("scale"),    QStringLiteral("size"),    QStringLiteral("format"),
    QStringLiteral("fps"),      QStringLiteral("effects"), QStringLiteral("hold"),
    QStringLiteral("duration"), QStringLiteral("screen"),
};

// Those whose value is a file or a folder.
const QStringList kFileOptions = {
    QStringLiteral("export"), QStringLiteral("atlas"), QStringLiteral("luma"),
    QStringLiteral("source"), QStringLiteral("cover"),
};

QString escapedByte(unsigned char byte) {
    return QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
}

} // namespace

Mode modeOf(int argc, char *argv[]) {
    bool file = false;
    bool luma = false;
    bool present = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--")
            break;
        if (!argument.startsWith("--"))
            continue;
        const qsizetype equals = argument.indexOf('=');
        const QString name = QString::fromLocal8Bit(argument.mid(2, equals < 0 ? -1 : equals - 2));
        file = file || name == u"export" || name == u"atlas";
        luma = luma || name == u"luma";
        present = present || name == u"present";
        // The next argument is this option's value, whatever it looks like.
        if (equals < 0 && kValueOptions.contains(name))
            ++i;
    }
    // Both at once is a mistake the file modes' parser reports.
    if (file)
        return Mode::File;
    if (luma)
        return Mode::Luma;
    return present ? Mode::Present : Mode::Window;
}

std::optional<QStringList> argumentsOf(int argc, char *argv[], QString *problem) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        const QString text = QString::fromLocal8Bit(bytes);
        // The program's own name is only shown, never opened.
        if (i > 0 && QFile::encodeName(text) != bytes) {
            QString quoted;
            for (const char byte : bytes) {
                const auto b = static_cast<unsigned char>(byte);
                quoted += b < 0x20 || b >= 0x7f || b == '\\' ? escapedByte(b) : QChar(b);
            }
            // Whether the argument stands where a file's name is given: an
            // option's value after it, or a picture after --photos.
            const QByteArray previous(argv[i - 1]);
            const QByteArray option =
                bytes.startsWith("--") && bytes.contains('=') ? bytes.mid(2, bytes.indexOf('=') - 2)
                : previous.startsWith("--") && !previous.contains('=') ? previous.mid(2)
                                                                       : QByteArray();
            const bool fileName =
                kFileOptions.contains(QString::fromLatin1(option)) ||
                (!bytes.startsWith('-') && !kValueOptions.contains(QString::fromLatin1(option)));
            *problem = fileName ? QStringLiteral("'%1' is not a valid file name in this locale's "
                                                 "encoding")
                                      .arg(quoted)
                                : QStringLiteral("'%1' is not valid text in this locale's encoding")
                                      .arg(quoted);
            return std::nullopt;
        }
        arguments.append(text);
    }
    return arguments;
}

QString repeatedOption(const QCommandLineParser &parser) {
    QHash<QString, int> seen;
    for (const QString &name : parser.optionNames()) {
        if (++seen[name] > 1)
            return name;
    }
    return {};
}

std::optional<int> exactNumber(const QString &text, int min, int max) {
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    int n = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        n = n * 10 + (c.unicode() - u'0');
    }
    if (n < min || n > max)
        return std::nullopt;
    return n;
}

std::optional<QSize> frameSize(const QString &text) {
    // \z, since $ would also take a newline at the end.
    static const QRegularExpression pattern(QStringLiteral("\\A(\\d{1,5})[xX×](\\d{1,5})\\z"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QSize size(match.captured(1).toInt(), match.captured(2).toInt());
    if (std::min(size.width(), size.height()) < kMinSide ||
        std::max(size.width(), size.height()) > kMaxSide)
        return std::nullopt;
    return size;
}

QString shown(const QString &text) {
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n')
            result += QStringLiteral("\\n");
        else if (u == u'\t')
            result += QStringLiteral("\\t");
        else if (u == u'\r')
            result += QStringLiteral("\\r");
        else if (u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0) ||
                 c.category() == QChar::Other_Format || u == 0x2028 || u == 0x2029)
            result += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
        else
            result += c;
    }
    return result;
}

int report(const QString &program, const QString &message, int status) {
    std::fputs(qPrintable(shown(program + QStringLiteral(": ") + message) + u'\n'), stderr);
    return status;
}

} // namespace commandline
