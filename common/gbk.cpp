#include "gbk.h"

#include <cerrno>
#include <iconv.h>

namespace {

// One conversion with a fresh descriptor; iconv descriptors carry state and are not shared.
class Converter
{
public:
    Converter(const char *to, const char *from) : cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (cd != iconv_t(-1))
            iconv_close(cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;
    bool ok() const { return cd != iconv_t(-1); }
    iconv_t cd;
};

// Length of the GB18030 character that starts at bytes[i], or 0 when the bytes end inside it.
qsizetype characterLength(const QByteArray &bytes, qsizetype i)
{
    const auto lead = uchar(bytes[i]);
    if (lead < 0x80 || lead == 0xFF)
        return 1;
    if (i + 1 >= bytes.size())
        return 0;
    const auto second = uchar(bytes[i + 1]);
    if (second >= 0x30 && second <= 0x39)
        return i + 3 < bytes.size() ? 4 : 0;
    return 2;
}

} // namespace

QByteArray toGbk(const QString &text)
{
    if (text.isEmpty())
        return {};
    Converter conv("GB18030", "UTF-16LE");
    if (!conv.ok())
        return text.toLatin1();
    QByteArray out;
    for (qsizetype i = 0; i < text.size();) {
        // Convert one character at a time so that a lone surrogate becomes "?" and the rest goes on.
        const qsizetype len = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QChar *unit = text.constData() + i;
        char *in = const_cast<char *>(reinterpret_cast<const char *>(unit));
        size_t inLeft = size_t(len) * 2;
        char buffer[8];
        char *outPtr = buffer;
        size_t outLeft = sizeof buffer;
        if (iconv(conv.cd, &in, &inLeft, &outPtr, &outLeft) == size_t(-1)) {
            iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
            out += '?';
        } else {
            out.append(buffer, qsizetype(sizeof buffer - outLeft));
        }
        i += len;
    }
    return out;
}

QString fromGbk(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};
    Converter conv("UTF-16LE", "GB18030");
    if (!conv.ok())
        return QString::fromLatin1(bytes);
    QString out;
    out.reserve(bytes.size());
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    while (inLeft > 0) {
        char16_t buffer[256];
        char *outPtr = reinterpret_cast<char *>(buffer);
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(conv.cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(reinterpret_cast<const QChar *>(buffer), qsizetype((sizeof buffer - outLeft) / 2));
        if (r != size_t(-1))
            break;
        if (errno == E2BIG)
            continue;
        if (errno == EINVAL)
            break; // the bytes end inside a character
        out.append(QChar(QChar::ReplacementCharacter));
        ++in;
        --inLeft;
        iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

QByteArray gbkPrefix(const QByteArray &bytes, qsizetype maxBytes)
{
    if (bytes.size() <= maxBytes)
        return bytes;
    qsizetype end = 0;
    while (end < bytes.size()) {
        const qsizetype len = characterLength(bytes, end);
        if (len == 0 || end + len > maxBytes)
            break;
        end += len;
    }
    return bytes.left(end);
}
