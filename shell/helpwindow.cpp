#include "helpwindow.h"

#include "resources/artwork.h"
#include "shelldressing.h"
#include "ui/animationbox.h"
#include "ui/units.h"

#include <QFile>

namespace {

const QString guideTab = QStringLiteral("操作指南");

QByteArray guidePicture()
{
    QFile file(guidePicturePath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

const QStringList &HelpWindow::tabCaptions()
{
    static const QStringList captions{QStringLiteral("欢迎使用"), QStringLiteral("许可协议"), guideTab,
                                      QStringLiteral("更新说明"), QStringLiteral("旧版数据恢复")};
    return captions;
}

QString HelpWindow::tabText(const QString &caption)
{
    if (caption == QStringLiteral("欢迎使用"))
        return QStringLiteral(
            "欢迎使用Varnel家庭理财！\n\n"
            "Varnel家庭理财是一款简单易用的家庭理财软件，帮您记下每一笔收入和支出，看清家里的钱从哪里来、到哪里去。\n\n"
            "主要功能：\n"
            "1、合计查询和详细查询；\n"
            "2、按项目名称和项目类型查询；\n"
            "3、快速记录日常的收入和支出；\n"
            "4、按年份统计每个月的收支；\n"
            "5、支持多个用户，每个用户有自己的账本；\n"
            "6、可以更换皮肤，也可以用自己的图片做背景；\n"
            "7、打印当前列表；\n"
            "8、数据备份与恢复，Excel导出与导入。");
    if (caption == QStringLiteral("许可协议"))
        return QStringLiteral(
            "最终用户许可协议\n\n"
            "请在使用本软件之前仔细阅读本协议。安装、复制或使用本软件，即表示您同意接受本协议的各项条款。\n\n"
            "1、本软件为免费软件，个人和家庭可以免费使用、复制和传播，但不得用于出售，也不得修改后以其他名义发布。\n"
            "2、本软件按“现状”提供。作者不对因使用或不能使用本软件造成的任何直接或间接损失负责，包括数据丢失。请您定期备份自己的数据。\n"
            "3、本软件不会收集、上传您的任何个人信息，您的数据只保存在本机的程序文件夹中。\n"
            "4、本软件的版权归作者所有，受著作权法保护。\n"
            "5、如果您不同意本协议的条款，请停止使用并删除本软件。");
    if (caption == QStringLiteral("更新说明"))
        return QStringLiteral(
            "更新说明(3.12)：\n修正统计页面的日期不显示的问题。\n\n"
            "更新说明(3.11)：\n修正任务栏不在屏幕底部时窗口位置不正确的问题。\n\n"
            "更新说明(3.1)：\n修正日期不显示的问题。\n\n"
            "更新说明(3.03)：\n修正统计页面显示的年份。\n\n"
            "更新说明(3.02)：\n加快数据恢复的速度；调整列表滚动条的位置。\n\n"
            "更新说明(3.01)：\n修正列表的位置。\n\n"
            "更新说明(3.0)：\n全部代码重写，查询更快；全新的界面，支持更换皮肤；增加本月、上月和全年的统计。");
    if (caption == QStringLiteral("旧版数据恢复"))
        return QStringLiteral(
            "旧版数据库恢复：\n\n"
            "一、Windows版的数据\n"
            "1、第一次启动本程序之前，把Windows版程序文件夹里data文件夹中的文件（yhlb.dat和各用户的“用户名_lc.dat”）"
            "复制到本程序的data文件夹中，启动后用原来的用户名和密码登录即可；\n"
            "2、也可以在本版本中新建一个同名的用户并登录，在备份页面点击“恢复数据”，选中Windows版的备份文件（.lcabak）"
            "或账本文件（用户名_lc.dat）并打开，即可完成恢复。\n"
            "转换后，Windows版的原文件改名为“yhlb.dat.jet”、“用户名_lc.dat.jet”留在data文件夹中，本程序不再使用它们，"
            "确认数据无误后可以删除。\n\n"
            "二、2.x旧版本的数据\n"
            "1、在旧版本中先备份数据；\n"
            "2、在本版本中新建一个与备份的数据库同名的用户，密码最好也与旧版相同，然后登录；\n"
            "3、点击帮助按钮左边的菜单按钮，在菜单中选择“旧版数据恢复”，选中备份的数据库文件（.lc）并打开，即可完成恢复。");
    return {};
}

HelpWindow::HelpWindow(QWidget *parent)
    : LayoutWindow(QStringLiteral("help"), parent), units(HelpUnits::bind(*this, int(tabCaptions().size())))
{
    current = tabCaptions().first();
    placeAtCreation();
    scene.bindCanvas(units.canvas);
    registerShellWindow(ShellWindow::Help, this);
    dressDialogWindow(this);
    createGuideSprite();

    for (int i = 0; i < units.tabs.size(); ++i)
        connect(units.tabs[i], &TransparentLabel::pressed, this, [this, i](Qt::MouseButton button, const QPoint &) {
            if (button == Qt::LeftButton)
                chooseTab(tabCaptions().at(i));
        });
    connect(units.close, &GraphicButton::clicked, this, &QWidget::close);
    // The re-dressing of every window clears this canvas too; the guide picture is put back.
    afterEveryDressing(this, [this] { restoreGuideSprite(); });
    moveOnBarePress();
    chooseTab(tabCaptions().first());
}

HelpWindow::~HelpWindow()
{
    registerShellWindow(ShellWindow::Help, nullptr);
    resetDressing(this);
    scene.clearSprites();
}

void HelpWindow::createGuideSprite()
{
    guide = scene.addPictureSprite(guideTab, 0, 50, 0, 0, current == guideTab, guidePicture());
}

void HelpWindow::restoreGuideSprite()
{
    AnimationBox *canvas = scene.canvas();
    if (!canvas || canvas->findObject(guideTab) >= 0)
        return;
    scene = SpriteScene();
    scene.bindCanvas(canvas);
    createGuideSprite();
}

void HelpWindow::chooseTab(const QString &caption)
{
    const bool guideShown = caption == guideTab;
    scene.setVisible(guide, guideShown);
    if (!guideShown)
        units.text->setText(tabText(caption));
    for (int i = 0; i < units.tabs.size(); ++i)
        units.tabs[i]->setText(tabCaptions().at(i));
    units.text->setVisible(!guideShown);
    current = caption;
}

void HelpWindow::redressHelpWindow()
{
    dressDialogWindow(this);
    restoreGuideSprite();
}
