#pragma once
// The first page of a Jet database: which engine wrote it, its database password and whether its
// pages are enciphered. The header from offset 0x18 is hidden with RC4 under a fixed key; Jet 4
// further masks the password with the creation date.
#include <QByteArray>
#include <QString>

enum class JetFormat {
    NotJet, // no "Standard Jet DB" page at the start
    Jet3,   // Access 97, 2048-byte pages
    Jet4,   // Access 2000 to 2003, 4096-byte pages
    Accdb,  // version byte 2 or higher: a later engine, not read here
};

struct JetHeader
{
    JetFormat format = JetFormat::NotJet;
    QString password;        // empty when the file has none
    bool enciphered = false; // the pages are enciphered under a database key
    int pageSize = 0;
};

// The header bytes from the start of the file; fewer than a header's worth are no Jet file.
JetHeader readJetHeader(const QByteArray &start);
// Reads the start of the file; a missing or unreadable file is no Jet file.
JetHeader readJetHeaderFile(const QString &path);
