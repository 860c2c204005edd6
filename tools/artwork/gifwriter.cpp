#include "gifwriter.h"

#include <QHash>

namespace {

void putWord(QByteArray &out, int value)
{
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

// Packs codes of varying width, least significant bit first, and cuts them into sub-blocks.
class CodeWriter
{
public:
    void write(int code, int width)
    {
        bits |= quint32(code) << count;
        count += width;
        while (count >= 8) {
            bytes.append(char(bits & 0xff));
            bits >>= 8;
            count -= 8;
        }
    }
    QByteArray blocks()
    {
        if (count > 0)
            bytes.append(char(bits & 0xff));
        QByteArray out;
        for (qsizetype at = 0; at < bytes.size(); at += 255) {
            const qsizetype n = qMin<qsizetype>(255, bytes.size() - at);
            out.append(char(n));
            out.append(bytes.mid(at, n));
        }
        out.append('\0');
        return out;
    }

private:
    QByteArray bytes;
    quint32 bits = 0;
    int count = 0;
};

QByteArray lzw(const QList<uchar> &indices, int minCodeSize)
{
    const int clearCode = 1 << minCodeSize;
    CodeWriter writer;
    QHash<int, int> table; // (prefix code << 8 | next index) -> code
    int codeSize = minCodeSize + 1;
    int maxCode = clearCode + 1;
    writer.write(clearCode, codeSize);
    int current = -1;
    for (uchar index : indices) {
        if (current < 0) {
            current = index;
            continue;
        }
        const int key = (current << 8) | index;
        const auto found = table.constFind(key);
        if (found != table.constEnd()) {
            current = *found;
            continue;
        }
        writer.write(current, codeSize);
        ++maxCode;
        table.insert(key, maxCode);
        if (maxCode >= (1 << codeSize))
            ++codeSize;
        if (maxCode == 4095) {
            writer.write(clearCode, codeSize);
            table.clear();
            codeSize = minCodeSize + 1;
            maxCode = clearCode + 1;
        }
        current = index;
    }
    if (current >= 0)
        writer.write(current, codeSize);
    writer.write(clearCode, codeSize);
    writer.write(clearCode + 1, minCodeSize + 1);
    return writer.blocks();
}

} // namespace

QByteArray encodeAnimatedGif(const QList<QImage> &frames, const QList<int> &delays, QRgb transparent)
{
    if (frames.isEmpty() || frames.size() != delays.size())
        return {};
    const QSize size = frames.first().size();
    transparent &= 0xffffff;

    // One palette for all frames; the transparent colour takes index 0.
    QList<QRgb> colours{transparent};
    QHash<QRgb, uchar> indexOf{{transparent, 0}};
    QList<QList<uchar>> indexed;
    for (const QImage &frame : frames) {
        if (frame.size() != size)
            return {};
        const QImage argb = frame.convertToFormat(QImage::Format_ARGB32);
        QList<uchar> pixels;
        pixels.reserve(size.width() * size.height());
        for (int y = 0; y < size.height(); ++y) {
            const QRgb *row = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
            for (int x = 0; x < size.width(); ++x) {
                const QRgb colour = qAlpha(row[x]) < 128 ? transparent : (row[x] & 0xffffff);
                auto found = indexOf.constFind(colour);
                if (found == indexOf.constEnd()) {
                    if (colours.size() == 256)
                        return {};
                    found = indexOf.insert(colour, uchar(colours.size()));
                    colours.append(colour);
                }
                pixels.append(*found);
            }
        }
        indexed.append(pixels);
    }
    int depth = 1; // the table holds 2^depth colours
    while ((1 << depth) < colours.size())
        ++depth;
    while (colours.size() < (1 << depth))
        colours.append(0);
    const int minCodeSize = qMax(2, depth);

    QByteArray out("GIF89a");
    putWord(out, size.width());
    putWord(out, size.height());
    out.append(char(0x80 | ((depth - 1) << 4) | (depth - 1))); // global table, its size
    out.append('\0'); // background colour index
    out.append('\0'); // no aspect ratio
    for (QRgb colour : colours) {
        out.append(char(qRed(colour)));
        out.append(char(qGreen(colour)));
        out.append(char(qBlue(colour)));
    }
    // Loop for ever.
    out.append("\x21\xff\x0b" "NETSCAPE2.0" "\x03\x01", 16);
    putWord(out, 0);
    out.append('\0');

    for (qsizetype i = 0; i < indexed.size(); ++i) {
        // Graphic control: restore to background after the frame, index 0 transparent.
        out.append("\x21\xf9\x04", 3);
        out.append(char((2 << 2) | 1));
        putWord(out, delays[i]);
        out.append('\0');
        out.append('\0');
        // The frame covers the whole picture and uses the global table.
        out.append(',');
        putWord(out, 0);
        putWord(out, 0);
        putWord(out, size.width());
        putWord(out, size.height());
        out.append('\0');
        out.append(char(minCodeSize));
        out.append(lzw(indexed[i], minCodeSize));
    }
    out.append(';');
    return out;
}
