#include "rc4.h"

#include <array>
#include <utility>

QByteArray jetRc4(const QByteArray &key, const QByteArray &data)
{
    if (key.isEmpty())
        return data;
    std::array<quint8, 256> s;
    for (int i = 0; i < 256; ++i)
        s[i] = quint8(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + quint8(key[i % key.size()])) & 0xff;
        std::swap(s[i], s[j]);
    }
    QByteArray out(data);
    int i = 0;
    int j = 0;
    for (qsizetype k = 0; k < out.size(); ++k) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        out[k] = char(quint8(out[k]) ^ s[(s[i] + s[j]) & 0xff]);
    }
    return out;
}
