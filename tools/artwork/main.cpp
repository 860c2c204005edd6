// artwork SKIN_FOLDER PROGRAM_FOLDER ICON_FOLDER: draws every picture of the green skin into
// SKIN_FOLDER (the skin builder packs them as resources/skin/entries.txt lists), the pictures built
// into the program into PROGRAM_FOLDER, and the program's icon for the desktop menus into
// ICON_FOLDER, laid out as the hicolor icon theme (<size>x<size>/apps/kelm.png, scalable/apps/kelm.svg).
#include "artwork.h"
#include "encoding.h"
#include "gifwriter.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

namespace {

QString failure;

void writeBytes(const QString &path, const QByteArray &bytes)
{
    if (!failure.isEmpty())
        return;
    QFile file(path);
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        failure = QStringLiteral("cannot write %1").arg(path);
}

void writePicture(const QDir &folder, const QString &name, const QImage &image)
{
    const QByteArray format = name.section(u'.', -1).toLatin1();
    const QByteArray bytes = encodeFitting(image, format);
    if (bytes.isEmpty() && failure.isEmpty())
        failure = QStringLiteral("cannot encode %1").arg(name);
    writeBytes(folder.filePath(name), bytes);
}

struct ButtonArt
{
    const char *file;
    enum Kind { Navigation, Command, Wide, Title, Small } kind;
    const char16_t *caption; // the caption, or for symbols the symbol's name
};

const ButtonArt buttons[] = {
    {"nav-list", ButtonArt::Navigation, u"list:查看"},
    {"nav-add", ButtonArt::Navigation, u"add:添加"},
    {"nav-edit", ButtonArt::Navigation, u"edit:修改"},
    {"nav-delete", ButtonArt::Navigation, u"delete:删除"},
    {"nav-chart", ButtonArt::Navigation, u"chart:统计"},
    {"nav-backup", ButtonArt::Navigation, u"backup:备份"},
    {"nav-user", ButtonArt::Navigation, u"user:用户"},
    {"title-skin", ButtonArt::Title, u"skin"},
    {"title-menu", ButtonArt::Title, u"menu"},
    {"title-help", ButtonArt::Title, u"help"},
    {"title-minimise", ButtonArt::Title, u"minimise"},
    {"title-close", ButtonArt::Title, u"close"},
    {"cmd-login", ButtonArt::Command, u"登录"},
    {"cmd-register", ButtonArt::Command, u"注册"},
    {"cmd-add", ButtonArt::Command, u"添加"},
    {"cmd-delete", ButtonArt::Command, u"删除"},
    {"cmd-save", ButtonArt::Command, u"保存"},
    {"cmd-back", ButtonArt::Command, u"返回"},
    {"cmd-ok", ButtonArt::Command, u"确定"},
    {"cmd-cancel", ButtonArt::Command, u"取消"},
    {"cmd-edit", ButtonArt::Command, u"修改"},
    {"cmd-expense", ButtonArt::Command, u"支出"},
    {"cmd-income", ButtonArt::Command, u"收入"},
    {"wide-detail", ButtonArt::Wide, u"详细查看"},
    {"wide-summary", ButtonArt::Wide, u"合计查看"},
    {"wide-print", ButtonArt::Wide, u"打印列表"},
    {"wide-backup", ButtonArt::Wide, u"备份数据"},
    {"wide-restore", ButtonArt::Wide, u"恢复数据"},
    {"wide-export", ButtonArt::Wide, u"导出数据"},
    {"wide-import", ButtonArt::Wide, u"导入数据"},
    {"wide-compact", ButtonArt::Wide, u"压缩数据"},
    {"wide-restorecopy", ButtonArt::Wide, u"恢复备份"},
    {"wide-openfolder", ButtonArt::Wide, u"打开文件夹"},
    {"wide-backupon", ButtonArt::Wide, u"开启备份"},
    {"wide-backupoff", ButtonArt::Wide, u"关闭备份"},
    {"wide-chart", ButtonArt::Wide, u"收支图表"},
    {"wide-save-picture", ButtonArt::Wide, u"保存图片"},
    {"wide-print-chart", ButtonArt::Wide, u"打印图表"},
    {"wide-billimport", ButtonArt::Wide, u"导入账单"},
    {"wide-changerow", ButtonArt::Wide, u"修改本行"},
    {"wide-changeparty", ButtonArt::Wide, u"按对方修改"},
    {"wide-toggleimport", ButtonArt::Wide, u"切换导入"},
    {"calendar", ButtonArt::Small, u"calendar"},
    {"refresh", ButtonArt::Small, u"refresh"},
    {"chart", ButtonArt::Small, u"chart"},
    {"drop", ButtonArt::Small, u"drop"},
    {"stardrop", ButtonArt::Small, u"stardrop"},
    {"plaindrop", ButtonArt::Small, u"plaindrop"},
};

QImage buttonPicture(const ButtonArt &art, ButtonState state)
{
    const QString caption = QString::fromUtf16(art.caption);
    switch (art.kind) {
    case ButtonArt::Navigation:
        return navigationButton(caption.section(u':', 0, 0), caption.section(u':', 1), state);
    case ButtonArt::Command:
        return commandButton(QSize(68, 24), caption, state);
    case ButtonArt::Wide:
        return commandButton(QSize(90, 24), caption, state);
    case ButtonArt::Title:
        return titleButton(caption, state);
    case ButtonArt::Small:
        return smallButton(caption, caption == u"calendar" || caption == u"refresh" || caption == u"chart" ? QSize(22, 22) : QSize(15, 15), state);
    }
    return {};
}

void drawSkin(const QDir &skin)
{
    writePicture(skin, QStringLiteral("rect.png"), contentRectangle());
    writePicture(skin, QStringLiteral("line-h-dark.bmp"), borderLine(true, QColor(0x33, 0x59, 0x4a)));
    writePicture(skin, QStringLiteral("line-v-dark.bmp"), borderLine(false, QColor(0x33, 0x59, 0x4a)));
    writePicture(skin, QStringLiteral("line-h-light.bmp"), borderLine(true, Qt::white));
    writePicture(skin, QStringLiteral("line-v-light.bmp"), borderLine(false, Qt::white));
    writePicture(skin, QStringLiteral("icon-20.png"), windowIcon(20));

    const std::pair<ButtonState, const char *> states[] = {
        {ButtonState::Normal, "normal"}, {ButtonState::Hover, "hover"}, {ButtonState::Pressed, "pressed"}};
    for (const ButtonArt &art : buttons)
        for (const auto &[state, suffix] : states)
            writePicture(skin, QStringLiteral("%1-%2.png").arg(QLatin1String(art.file), QLatin1String(suffix)), buttonPicture(art, state));
    writePicture(skin, QStringLiteral("festival-icon.png"), festivalIcon());

    // Two skin pictures: the gallery's third picture slot is the user's own.
    const QString names[] = {QStringLiteral("晨光山谷"), QStringLiteral("竹影清风")};
    for (int i = 1; i <= 2; ++i) {
        const QImage picture = landscapeBackground(i);
        writePicture(skin, QStringLiteral("background-%1.jpg").arg(i), picture);
        writePicture(skin, QStringLiteral("background-%1-thumb.jpg").arg(i), thumbnail(picture, names[i - 1]));
    }
    const std::pair<QColor, QString> plains[] = {{QColor(0xd4, 0xea, 0xdb), QStringLiteral("薄荷绿")},
                                                 {QColor(0xd3, 0xe4, 0xe6), QStringLiteral("青瓷蓝")},
                                                 {QColor(0xef, 0xe8, 0xd6), QStringLiteral("米白")}};
    for (int i = 1; i <= 3; ++i) {
        const QImage picture = plainBackground(plains[i - 1].first);
        writePicture(skin, QStringLiteral("plain-%1.png").arg(i), picture);
        writePicture(skin, QStringLiteral("plain-%1-thumb.png").arg(i), thumbnail(picture, plains[i - 1].second, true));
    }
    const QString festivalNames[] = {QStringLiteral("雪松"), QStringLiteral("冬青")};
    for (int i = 1; i <= 2; ++i) {
        const QImage picture = festivalBackground(i);
        writePicture(skin, QStringLiteral("christmas-%1.jpg").arg(i), picture);
        writePicture(skin, QStringLiteral("christmas-%1-thumb.jpg").arg(i), thumbnail(picture, festivalNames[i - 1]));
    }
    writePicture(skin, QStringLiteral("thumb-frame.png"), thumbnailFrame());
    writePicture(skin, QStringLiteral("add-picture.png"), addPicture());
}

void drawProgramPictures(const QDir &program)
{
    writePicture(program, QStringLiteral("splash.png"), splashPicture());
    writePicture(program, QStringLiteral("icon.png"), windowIcon(256));
    writePicture(program, QStringLiteral("logo.png"), logoPicture(48));
    writePicture(program, QStringLiteral("guide.png"), guidePicture());
    // nine frames, the last one held for half a second
    writeBytes(program.filePath(QStringLiteral("highlight.gif")),
               encodeAnimatedGif(highlightFrames(), {4, 4, 4, 4, 4, 4, 4, 4, 50}, qRgb(255, 255, 255)));
}

// The sizes desktop menus, panels and software centres ask the theme for.
const int iconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

void drawDesktopIcons(const QDir &icons)
{
    for (const int size : iconSizes) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (!QDir().mkpath(icons.filePath(folder)))
            failure = QStringLiteral("cannot create %1").arg(icons.filePath(folder));
        writePicture(icons, folder + QStringLiteral("/kelm.png"), windowIcon(size));
    }
    if (!QDir().mkpath(icons.filePath(QStringLiteral("scalable/apps"))))
        failure = QStringLiteral("cannot create %1").arg(icons.filePath(QStringLiteral("scalable/apps")));
    QSvgGenerator svg;
    svg.setFileName(icons.filePath(QStringLiteral("scalable/apps/kelm.svg")));
    svg.setSize(QSize(64, 64));
    svg.setViewBox(QRect(0, 0, 64, 64));
    svg.setTitle(QStringLiteral("Varnel家庭理财"));
    QPainter p;
    if (!p.begin(&svg)) {
        failure = QStringLiteral("cannot write the scalable icon");
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    paintWindowIcon(p);
    p.end();
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: artwork SKIN_FOLDER PROGRAM_FOLDER ICON_FOLDER\n");
        return 2;
    }
    // Without the CJK faces every caption would fall back to some other font unnoticed.
    const QStringList families = QFontDatabase::families();
    for (const QString &face : {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC")}) {
        if (!families.contains(face)) {
            std::fprintf(stderr, "artwork: the font \"%s\" is missing (Debian package fonts-noto-cjk)\n", qPrintable(face));
            return 1;
        }
    }
    const QDir skin(args[1]);
    const QDir program(args[2]);
    const QDir icons(args[3]);
    if (!QDir().mkpath(skin.path()) || !QDir().mkpath(program.path()) || !QDir().mkpath(icons.path())) {
        std::fprintf(stderr, "artwork: cannot create the output folders\n");
        return 1;
    }
    drawSkin(skin);
    drawProgramPictures(program);
    drawDesktopIcons(icons);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "artwork: %s\n", qPrintable(failure));
        return 1;
    }
    return 0;
}
