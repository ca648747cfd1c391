#include "reveal/EffectCatalogue.h"

#include <QResource>

namespace reveal {

QList<QStringList> parseEffectTables(QStringView text) {
    QList<QStringList> tables(kEffectCount);
    QStringList *current = nullptr;
    for (QStringView line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u"effect ")) {
            const int number = line.mid(7).toInt();
            current = number >= 1 && number <= kEffectCount ? &tables[number - 1] : nullptr;
            continue;
        }
        if (current) {
            for (QStringView entry : line.split(u'\t'))
                current->append(entry.toString());
        }
    }
    return tables;
}

namespace {

// The catalogue's text where the program holds it, stored uncompressed, so
// that reading it copies nothing.
QByteArray catalogueText() {
    return QResource(QStringLiteral(":/effects.txt")).uncompressedData();
}

} // namespace

QList<QStringList> effectTables() {
    return parseEffectTables(QString::fromUtf8(catalogueText()));
}

QStringList effectTable(int number) {
    if (number < 1 || number > kEffectCount)
        return {};
    // Only this table's lines are converted and parsed: from its heading to
    // the next one.
    const QByteArray text = catalogueText();
    const QByteArray heading = "\neffect " + QByteArray::number(number).rightJustified(2, '0');
    qsizetype begin = -1;
    for (qsizetype at = text.indexOf(heading); at >= 0; at = text.indexOf(heading, at + 1)) {
        const qsizetype after = at + heading.size();
        if (after == text.size() || text.at(after) == '\n' || text.at(after) == '\r') {
            begin = at + 1;
            break;
        }
    }
    if (begin < 0)
        return {};
    const qsizetype end = text.indexOf("\neffect ", begin);
    const QByteArrayView section =
        QByteArrayView(text).sliced(begin, (end < 0 ? text.size() : end) - begin);
    return parseEffectTables(QString::fromUtf8(section)).value(number - 1);
}

QStringList effectNames() {
    QStringList names;
    for (int n = 1; n <= kEffectCount; ++n)
        names.append(QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')));
    return names;
}

} // namespace reveal
