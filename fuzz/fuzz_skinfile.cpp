// The skin file: a deciphered file's records are split into names and values, and a file that
// loads writes back through the builder's encoder into a file that loads as the same table.
// Odd first byte: the rest is the deciphered file. Even: the rest is records, one a line, name
// and value split at the first tab, encoded by the builder and loaded.
#include "fuzzsupport.h"

#include "appearance/skinfile.h"
#include "common/gbk.h"
#include "common/program.h"

namespace {

bool sameTable(const SkinTable &a, const SkinTable &b)
{
    return a.names == b.names && a.values == b.values;
}

QString skinPath()
{
    return fuzz::programFolder() + QStringLiteral("/fuzz.cskn");
}

bool load(const QByteArray &plain)
{
    FUZZ_CHECK(fuzz::writeBytes(skinPath(), rc4(skinKey(), plain)), skinPath());
    return loadSkinFile(skinPath(), applicationTitle);
}

void checkLoaded(const QByteArray &plain)
{
    const SkinTable &t = skinTable();
    FUZZ_CHECK(t.names.size() == t.values.size() && t.names.size() >= 2, QString::fromLatin1(plain.toHex()));
    FUZZ_CHECK(t.values.first().left(t.values.first().indexOf('\0') < 0 ? t.values.first().size()
                                                                       : t.values.first().indexOf('\0'))
                   == toGbk(applicationTitle),
               QString::fromLatin1(plain.toHex()));
    QList<SkinRecord> records;
    for (qsizetype i = 0; i < t.names.size(); ++i) {
        FUZZ_CHECK(!t.names[i].contains('\0') && fitsInSkinRecord(t.names[i]) && fitsInSkinRecord(t.values[i]),
                   QString::fromLatin1(plain.toHex()));
        records.append({t.names[i], t.values[i]});
        // The first entry of a name is the one looked up.
        const QString name = fromGbk(t.names[i]);
        if (toGbk(name) == t.names[i] && t.names.indexOf(t.names[i]) == i)
            FUZZ_CHECK(getSkinEntry(name) == t.values[i], QString::fromLatin1(plain.toHex()));
    }
    // What loaded writes back, and loads again as the same table.
    const SkinTable first = t;
    const QByteArray cipher = encodeSkinFile(records, skinKey());
    FUZZ_CHECK(!cipher.isEmpty(), QString::fromLatin1(plain.toHex()));
    FUZZ_CHECK(load(rc4(skinKey(), cipher)), QString::fromLatin1(plain.toHex()));
    FUZZ_CHECK(sameTable(skinTable(), first), QString::fromLatin1(plain.toHex()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::programFolder();
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const SkinTable before = skinTable();
    if (data[0] & 1) {
        if (load(rest))
            checkLoaded(rest);
        else
            FUZZ_CHECK(sameTable(skinTable(), before), QStringLiteral("a refused file changed the table"));
        return 0;
    }
    // Records as the builder is given them; the signature comes first.
    QList<SkinRecord> records{{QByteArrayLiteral("Signature"), toGbk(applicationTitle)}};
    for (const QByteArray &line : rest.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        records.append({tab < 0 ? line : line.left(tab), tab < 0 ? QByteArray() : line.mid(tab + 1)});
    }
    bool fits = true;
    for (const SkinRecord &r : records)
        fits = fits && fitsInSkinRecord(r.name) && fitsInSkinRecord(r.value) && !r.name.contains('\0');
    const QByteArray cipher = encodeSkinFile(records, skinKey());
    FUZZ_CHECK(cipher.isEmpty() == !fits, QString::fromLatin1(rest.toHex()));
    if (!fits)
        return 0;
    const QByteArray plain = rc4(skinKey(), cipher);
    // A file the builder wrote loads as the records it was given.
    FUZZ_CHECK(load(plain), QString::fromLatin1(rest.toHex()));
    SkinTable expected;
    for (const SkinRecord &r : records) {
        expected.names.append(r.name);
        expected.values.append(r.value);
    }
    FUZZ_CHECK(sameTable(skinTable(), expected), QString::fromLatin1(rest.toHex()));
    checkLoaded(plain);
    return 0;
}
