#pragma once
// The digest that every ledger stores for its owner's password.
#include <QByteArray>
#include <QString>

// 32 lower-case hexadecimal characters over the GB18030 bytes of the password.
QString passwordDigest(const QString &password);
// The same over raw bytes; empty text for messages of 2^28 bytes or more.
QString passwordDigestOfBytes(const QByteArray &message);
