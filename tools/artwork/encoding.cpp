#include "encoding.h"

#include "appearance/skinfile.h"

#include <QBuffer>
#include <QImageWriter>

namespace {

QByteArray encode(const QImage &image, const QByteArray &format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(image))
        return {};
    return bytes;
}

} // namespace

QByteArray encodeFitting(QImage image, const QByteArray &format)
{
    if (image.isNull())
        return {};
    // Straight (not premultiplied) pixels, so that a changed bit reaches the file as it is.
    image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const bool jpeg = format == "jpg" || format == "jpeg";
    for (int attempt = 0; attempt < 32; ++attempt) {
        const QByteArray bytes = encode(image, format, jpeg ? 92 - attempt / 2 : -1);
        if (bytes.isEmpty())
            return {};
        if (fitsInSkinRecord(bytes))
            return bytes;
        const QPoint at((attempt * 37) % image.width(), (attempt * 11) % image.height());
        const QRgb pixel = image.pixel(at);
        image.setPixel(at, qRgba(qRed(pixel), qGreen(pixel), qBlue(pixel) ^ 1, qAlpha(pixel)));
    }
    return {};
}
