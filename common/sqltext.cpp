#include "sqltext.h"

QString quoteText(const QString &text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += u'\'';
    for (const QChar c : text) {
        quoted += c;
        if (c == u'\'')
            quoted += c;
    }
    quoted += u'\'';
    return quoted;
}
