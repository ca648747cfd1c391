#include "reveal/EffectCatalogue.h"

#include <QFile>

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

QList<QStringList> effectTables() {
    QFile file(QStringLiteral(":/effects.txt"));
    file.open(QIODevice::ReadOnly);
    return parseEffectTables(QString::fromUtf8(file.readAll()));
}

QStringList effectNames() {
    QStringList names;
    for (int n = 1; n <= kEffectCount; ++n)
        names.append(QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')));
    return names;
}

} // namespace reveal
