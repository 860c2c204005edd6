#pragma once
// A small skin written to a temporary folder and loaded: plain coloured pictures whose pixels a
// test can tell apart, and the program folder pointed at the same place for the settings file.
#include "appearance/skinfile.h"
#include "common/clock.h"
#include "common/gbk.h"
#include "common/program.h"
#include "ui/units.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QTemporaryDir>

inline QByteArray solidPicture(const QColor &colour, const QSize &size = QSize(10, 10), const char *format = "PNG")
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

inline QString colourText(const QColor &c)
{
    return QString::number(c.red() + c.green() * 256 + c.blue() * 65536);
}

// The entries of the test skin; a test changes or removes some and calls load().
class SkinFixture
{
public:
    static inline const QColor windowColour{200, 210, 220};
    static inline const QColor shapeFill{0, 255, 0};
    static inline const QColor shapeLine{255, 0, 0};
    static inline const QColor background{10, 20, 30};
    static inline const QColor festivalBlue{0, 0, 255};

    SkinFixture()
    {
        setProgramDirectory(folder.path());
        QFile::remove(folder.filePath(QStringLiteral("config.ini")));
        entries[QStringLiteral("窗口背景颜色")] = colourText(windowColour).toLatin1();
        entries[QStringLiteral("外形框背景颜色")] = colourText(shapeFill).toLatin1();
        entries[QStringLiteral("外形框线条颜色")] = colourText(shapeLine).toLatin1();
        entries[QStringLiteral("渐变标签背景颜色1")] = "255";
        entries[QStringLiteral("渐变标签背景颜色2")] = "65280";
        entries[QStringLiteral("渐变标签背景颜色3")] = "16711680";
        entries[QStringLiteral("矩形")] = solidPicture(Qt::white);
        for (const char16_t *line : {u"横线_黑", u"纵线_黑"})
            entries[QString::fromUtf16(line)] = solidPicture(Qt::black, QSize(4, 4), "BMP");
        for (const char16_t *line : {u"横线_白", u"纵线_白"})
            entries[QString::fromUtf16(line)] = solidPicture(Qt::white, QSize(4, 4), "BMP");
        entries[QStringLiteral("图标")] = solidPicture(Qt::yellow, QSize(20, 20));
        // Button pictures cover only their lower right part, so the top-left pixel shows what is behind.
        for (const QString &tag : {QStringLiteral("添加导航"), QStringLiteral("添加"), QStringLiteral("下拉")}) {
            entries[tag + QStringLiteral("正常图片")] = cornerPicture(QColor(100, 0, 0));
            entries[tag + QStringLiteral("点燃图片")] = cornerPicture(QColor(0, 100, 0));
        }
        entries[QStringLiteral("添加导航按下图片")] = cornerPicture(QColor(0, 0, 100));
        entries[QStringLiteral("圣诞图标")] = solidPicture(festivalBlue, QSize(4, 4));
        entries[QStringLiteral("背景图片数")] = "3";
        entries[QStringLiteral("纯色图片数")] = "2";
        for (int i = 1; i <= 3; ++i) {
            entries[QStringLiteral("背景图片%1").arg(i)] = solidPicture(QColor(10 * i, 20, 30), QSize(86, 60), "JPG");
            entries[QStringLiteral("背景图片%1_缩略图").arg(i)] = solidPicture(QColor(10 * i, 20, 30), QSize(200, 140));
            entries[QStringLiteral("圣诞图片%1").arg(i)] = solidPicture(QColor(200, 10 * i, 0), QSize(86, 60), "JPG");
            entries[QStringLiteral("圣诞图片%1_缩略图").arg(i)] = solidPicture(QColor(200, 10 * i, 0), QSize(200, 140));
        }
        for (int i = 1; i <= 2; ++i) {
            entries[QStringLiteral("纯色图片%1").arg(i)] = solidPicture(QColor(0, 100 * i, 0), QSize(86, 60));
            entries[QStringLiteral("纯色图片%1_缩略图").arg(i)] = solidPicture(QColor(0, 100 * i, 0), QSize(200, 140));
        }
        entries[QStringLiteral("缩略图背景框1")] = solidPicture(Qt::gray, QSize(220, 160));
        entries[QStringLiteral("添加背景图片")] = solidPicture(Qt::magenta, QSize(200, 140));
    }

    static QByteArray cornerPicture(const QColor &colour)
    {
        QImage image(20, 20, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        for (int y = 10; y < 20; ++y)
            for (int x = 10; x < 20; ++x)
                image.setPixelColor(x, y, colour);
        return imageToBytes(image);
    }

    bool load()
    {
        QList<SkinRecord> records{{"signature", toGbk(applicationTitle)}};
        for (auto it = entries.cbegin(); it != entries.cend(); ++it)
            records.append({toGbk(it.key()), it.value()});
        const QString path = folder.filePath(QStringLiteral("test.cskn"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(encodeSkinFile(records, skinKey()));
        file.close();
        return loadSkinFile(path, applicationTitle);
    }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = folder.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }

    QTemporaryDir folder;
    QMap<QString, QByteArray> entries;
};
