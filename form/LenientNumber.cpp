#include "form/LenientNumber.h"

#include <QString>

namespace form {

double lenientNumber(QStringView text) {
    QString number;
    bool seenPoint = false;
    for (const QChar ch : text) {
        if (ch == u' ' || ch == u'\t' || ch == u'\n')
            continue;
        if (number.isEmpty() && (ch == u'+' || ch == u'-')) {
            number += ch;
            continue;
        }
        if (ch.isDigit() && ch.unicode() < 128) {
            number += ch;
        } else if (ch == u'.' && !seenPoint) {
            seenPoint = true;
            number += ch;
        } else {
            break;
        }
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok ? value : 0.0;
}

} // namespace form
