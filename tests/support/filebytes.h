#pragma once
// A file's bytes whole, for tests that compare files or damage copies of them.
#include <QByteArray>
#include <QFile>
#include <QString>

// Empty when the file cannot be read.
inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes the bytes in place of whatever the file held.
inline bool writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
