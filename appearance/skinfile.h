#pragma once
// The skin file: every picture and colour of the interface, as named entries in one file
// enciphered with RC4 under a key the program derives at run time.
#include <QByteArray>
#include <QList>
#include <QString>

// The two-character GBK marks "◆※" between records and "●※" between a name and its value.
inline const QByteArray skinRecordSeparator = QByteArray::fromHex("a1f4a1f9");
inline const QByteArray skinFieldSeparator = QByteArray::fromHex("a1f1a1f9");

struct SkinTable
{
    QList<QByteArray> names; // GBK bytes, in file order
    QList<QByteArray> values;
};

// The entries of the loaded skin; empty until loadSkinFile succeeds.
const SkinTable &skinTable();

// Reads, deciphers, splits and checks the file; on success replaces the table and returns true.
// A missing, empty or truncated file, fewer than two records, a record without a field separator
// or a first record whose value is not the expected signature fail and leave the table as it was.
bool loadSkinFile(const QString &path, const QString &expectedSignature);

// A copy of the value of the first entry with exactly this name; empty when there is none.
QByteArray getSkinEntry(const QString &name);

// The cipher and its key, shared with the skin builder.
QByteArray deriveSkinKey(const QByteArray &hexConstant);
QByteArray skinKey();
QByteArray rc4(const QByteArray &key, const QByteArray &data);

// One record of a skin file as the builder writes it.
struct SkinRecord
{
    QByteArray name;
    QByteArray value;
};
// True when the bytes can stand in a record: neither separator occurs in them.
bool fitsInSkinRecord(const QByteArray &bytes);
// The enciphered file for these records, or empty bytes when a record does not fit.
QByteArray encodeSkinFile(const QList<SkinRecord> &records, const QByteArray &key);
