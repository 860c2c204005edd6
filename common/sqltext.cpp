#include "sqltext.h"

QString quoteText(const QString &text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += u'\'';
    // Copied in runs between quotes; each quote is written twice.
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(u'\''); at >= 0; at = text.indexOf(u'\'', from)) {
        quoted.append(text.constData() + from, at + 1 - from);
        quoted += u'\'';
        from = at + 1;
    }
    quoted.append(text.constData() + from, text.size() - from);
    quoted += u'\'';
    return quoted;
}
