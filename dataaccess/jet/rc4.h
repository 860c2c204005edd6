#pragma once
// RC4, as Jet uses it to hide its header.
#include <QByteArray>

QByteArray jetRc4(const QByteArray &key, const QByteArray &data);
