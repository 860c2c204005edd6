#pragma once
// GBK text on disk. GB18030 is the superset of GBK: every GBK character keeps its bytes, and
// every Unicode character has bytes of its own, so nothing typed here is lost on the way out.
#include <QByteArray>
#include <QString>

QByteArray toGbk(const QString &text);
// Bytes that are no GB18030 sequence each read as U+FFFD; an incomplete character at the very
// end is dropped.
QString fromGbk(const QByteArray &bytes);
// The longest prefix of at most maxBytes bytes that does not cut a character in two.
QByteArray gbkPrefix(const QByteArray &bytes, qsizetype maxBytes);
