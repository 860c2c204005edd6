#include "jetheader.h"

#include "rc4.h"

#include "common/gbk.h"

#include <QFile>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace {

constexpr int hiddenFrom = 0x18;
constexpr int hiddenLength = 128;
constexpr int versionAt = 0x14;
constexpr int databaseKeyAt = 0x3e;
constexpr int passwordAt = 0x42;
constexpr int creationDateAt = 0x72;
constexpr int headerLength = hiddenFrom + hiddenLength;

} // namespace

JetHeader readJetHeader(const QByteArray &start)
{
    JetHeader header;
    if (start.size() < headerLength)
        return header;
    static const QByteArray jet("\x00\x01\x00\x00Standard Jet DB\x00", 20);
    static const QByteArray ace("\x00\x01\x00\x00Standard ACE DB\x00", 20);
    const QByteArray signature = start.left(20);
    if (signature != jet && signature != ace)
        return header;
    const quint8 version = quint8(start[versionAt]);
    if (version >= 2 || signature == ace) {
        header.format = JetFormat::Accdb;
        return header;
    }
    header.format = version == 0 ? JetFormat::Jet3 : JetFormat::Jet4;
    header.pageSize = version == 0 ? 2048 : 4096;

    QByteArray page = start.left(headerLength);
    page.replace(hiddenFrom, hiddenLength,
                 jetRc4(QByteArray("\xC7\xDA\x39\x6B", 4), start.mid(hiddenFrom, hiddenLength)));
    const auto *bytes = reinterpret_cast<const uchar *>(page.constData());
    header.enciphered = qFromLittleEndian<quint32>(bytes + databaseKeyAt) != 0;

    if (header.format == JetFormat::Jet4) {
        QByteArray text = page.mid(passwordAt, 40);
        // The mask is the whole part of the creation date as a 32-bit integer.
        const quint64 bits = qFromLittleEndian<quint64>(bytes + creationDateAt);
        double created = 0;
        std::memcpy(&created, &bits, sizeof created);
        const qint32 whole = std::isfinite(created) && std::fabs(created) < 2147483647.0 ? qint32(created) : 0;
        uchar mask[4];
        qToLittleEndian(whole, mask);
        for (int i = 0; i < text.size(); ++i)
            text[i] = char(uchar(text[i]) ^ mask[i % 4]);
        QString password = QString::fromUtf16(reinterpret_cast<const char16_t *>(text.constData()), text.size() / 2);
        const qsizetype end = password.indexOf(QChar(0));
        header.password = end >= 0 ? password.left(end) : password;
    } else {
        QByteArray text = page.mid(passwordAt, 20);
        const qsizetype end = text.indexOf('\0');
        header.password = fromGbk(end >= 0 ? text.left(end) : text);
    }
    return header;
}

JetHeader readJetHeaderFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return readJetHeader(file.read(headerLength));
}
