#include "skinfile.h"

#include "common/gbk.h"

#include <QFile>

#include <array>
#include <numeric>

namespace {

// Which skin files this program reads; the skin builder enciphers with the key derived from it.
constexpr char skinKeyConstant[] =
    "03F426C24ED10964A2537B50B141A174E5F34D8C1F074EDDF5073662E51ACE2C1D21DF68E6185446937DA0CA";
static_assert(sizeof skinKeyConstant - 1 == 88);

SkinTable &table()
{
    static SkinTable loaded;
    return loaded;
}

QByteArray upToZero(const QByteArray &bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    return zero < 0 ? bytes : bytes.left(zero);
}

int hexDigit(char c)
{
    const char u = (c >= 'a' && c <= 'f') ? char(c - 'a' + 'A') : c;
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return 0;
}

} // namespace

const SkinTable &skinTable()
{
    return table();
}

QByteArray deriveSkinKey(const QByteArray &hexConstant)
{
    const qsizetype n = hexConstant.size();
    const qsizetype h = n / 2;
    const QByteArray u = hexConstant.mid(h) + hexConstant.left(h);
    QByteArray w;
    for (qsizetype i = 0; i < h; ++i) {
        w.append(u[i]);
        w.append(u[h + i]);
    }
    w.append(u.mid(2 * h)); // an odd last character stays at the end
    const QByteArray v = w.mid(h) + w.left(h);
    QByteArray key;
    for (qsizetype k = 0; k + 1 < v.size(); k += 2) {
        const int byte = hexDigit(v[k]) * 16 + hexDigit(v[k + 1]);
        if (byte != 0)
            key.append(char(byte));
    }
    return key;
}

QByteArray skinKey()
{
    return deriveSkinKey(QByteArray(skinKeyConstant));
}

QByteArray rc4(const QByteArray &key, const QByteArray &data)
{
    if (key.isEmpty())
        return data;
    std::array<unsigned char, 256> s;
    std::iota(s.begin(), s.end(), 0);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + uchar(key[i % key.size()])) & 0xff;
        std::swap(s[i], s[j]);
    }
    QByteArray out(data.size(), Qt::Uninitialized);
    int i = 0, j = 0;
    for (qsizetype k = 0; k < data.size(); ++k) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        out[k] = char(uchar(data[k]) ^ s[(s[i] + s[j]) & 0xff]);
    }
    return out;
}

bool loadSkinFile(const QString &path, const QString &expectedSignature)
{
    QFile file(path);
    const QByteArray cipher = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const QByteArray plain = rc4(skinKey(), cipher);

    QList<QByteArray> pieces;
    for (qsizetype from = 0;;) {
        const qsizetype at = plain.indexOf(skinRecordSeparator, from);
        if (at < 0) {
            if (from < plain.size())
                pieces.append(plain.mid(from));
            break;
        }
        pieces.append(plain.mid(from, at - from));
        from = at + skinRecordSeparator.size();
    }
    if (pieces.size() < 2)
        return false;

    SkinTable loaded;
    for (const QByteArray &piece : pieces) {
        const qsizetype at = piece.indexOf(skinFieldSeparator);
        if (at < 0)
            return false; // a record needs both a name and a value
        QByteArray value = piece.mid(at + skinFieldSeparator.size());
        const qsizetype second = value.indexOf(skinFieldSeparator);
        if (second >= 0)
            value.truncate(second);
        loaded.names.append(upToZero(piece.left(at)));
        loaded.values.append(value);
    }
    if (upToZero(loaded.values.first()) != toGbk(expectedSignature))
        return false;
    table() = loaded;
    return true;
}

QByteArray getSkinEntry(const QString &name)
{
    const QByteArray wanted = toGbk(name);
    const SkinTable &t = table();
    for (qsizetype i = 0; i < t.names.size(); ++i)
        if (t.names[i] == wanted)
            return t.values[i];
    return {};
}

bool fitsInSkinRecord(const QByteArray &bytes)
{
    return !bytes.contains(skinRecordSeparator) && !bytes.contains(skinFieldSeparator);
}

QByteArray encodeSkinFile(const QList<SkinRecord> &records, const QByteArray &key)
{
    QByteArray plain;
    for (const SkinRecord &record : records) {
        if (!fitsInSkinRecord(record.name) || !fitsInSkinRecord(record.value) || record.name.contains('\0'))
            return {};
        if (!plain.isEmpty())
            plain += skinRecordSeparator;
        plain += record.name + skinFieldSeparator + record.value;
    }
    return rc4(key, plain);
}
