#pragma once
// The two empty databases the program carries and writes out byte for byte: the user directory
// and a new user's ledger. Both carry the database password.
#include <QByteArray>
#include <QString>

QByteArray userDirectoryTemplate();
QByteArray ledgerTemplate();

// Writes the bytes to the path, creating or replacing the file whole; false when it cannot.
bool writeTemplate(const QByteArray &bytes, const QString &path);
