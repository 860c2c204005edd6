#include "pageunits.h"

#include "ui/animationbox.h"
#include "ui/drawingboard.h"
#include "ui/layoutwindow.h"
#include "ui/listview.h"
#include "ui/styledmenu.h"
#include "ui/units.h"

MainUnits MainUnits::bind(LayoutWindow &window)
{
    const auto button = [&window](const QString &name) { return window.requiredUnit<GraphicButton>(name); };
    return {
        window.requiredUnit<TransparentLabel>(QStringLiteral("标题标签")),
        window.requiredUnit<TransparentLabel>(QStringLiteral("版本标签")),
        window.requiredUnit<AnimationBox>(QStringLiteral("背景动画框")),
        window.requiredUnit<StyledMenu>(QStringLiteral("菜单")),
        button(QStringLiteral("列表按钮")),
        button(QStringLiteral("添加按钮")),
        button(QStringLiteral("修改按钮")),
        button(QStringLiteral("删除按钮")),
        button(QStringLiteral("统计按钮")),
        button(QStringLiteral("备份按钮")),
        button(QStringLiteral("用户按钮")),
        button(QStringLiteral("皮肤按钮")),
        button(QStringLiteral("菜单按钮")),
        button(QStringLiteral("帮助按钮")),
        button(QStringLiteral("最小化按钮")),
        button(QStringLiteral("关闭按钮")),
    };
}

SplashUnits SplashUnits::bind(LayoutWindow &window)
{
    return {
        window.requiredUnit<TransparentLabel>(QStringLiteral("版本号标签")),
        window.requiredUnit<TransparentLabel>(QStringLiteral("透明标签1")),
        window.requiredUnit<Timer>(QStringLiteral("时钟1")),
    };
}

ViewUnits ViewUnits::bind(LayoutWindow &page)
{
    const auto button = [&page](const QString &name) { return page.requiredUnit<GraphicButton>(name); };
    const auto label = [&page](const QString &name) { return page.requiredUnit<TransparentLabel>(name); };
    return {
        page.requiredUnit<ComboBox>(QStringLiteral("用户名组合框")),
        page.requiredUnit<EditBox>(QStringLiteral("登录用户名框")),
        page.requiredUnit<EditBox>(QStringLiteral("登录密码框")),
        button(QStringLiteral("登录按钮")),
        button(QStringLiteral("注册按钮")),
        page.requiredUnit<QWidget>(QStringLiteral("登录界面框")),
        button(QStringLiteral("详细查看按钮")),
        button(QStringLiteral("合计查看按钮")),
        page.requiredUnit<DateBox>(QStringLiteral("开始日期框")),
        page.requiredUnit<DateBox>(QStringLiteral("结束日期框")),
        page.requiredUnit<Label>(QStringLiteral("开始日期标签")),
        page.requiredUnit<Label>(QStringLiteral("结束日期标签")),
        page.requiredUnit<ListView>(QStringLiteral("理财列表框")),
        page.requiredUnit<DrawingBoard>(QStringLiteral("画板1")),
        button(QStringLiteral("打印列表按钮")),
        button(QStringLiteral("图表按钮")),
        page.requiredUnit<QWidget>(QStringLiteral("刷新标签")),
        page.requiredUnit<SuperEditBox>(QStringLiteral("超级编辑框1")),
        page.requiredUnit<QWidget>(QStringLiteral("统计界面框1")),
        page.requiredUnit<QWidget>(QStringLiteral("统计界面框2")),
        button(QStringLiteral("刷新按钮1")),
        button(QStringLiteral("刷新按钮2")),
        label(QStringLiteral("支出标签")),
        label(QStringLiteral("收入标签")),
        label(QStringLiteral("剩余标签")),
        label(QStringLiteral("天数标签")),
        label(QStringLiteral("日均支出标签")),
        label(QStringLiteral("日均收入标签")),
    };
}

EntryUnits EntryUnits::bind(LayoutWindow &page)
{
    const auto edit = [&page](const QString &name) { return page.requiredUnit<EditBox>(name); };
    const auto combo = [&page](const QString &name) { return page.requiredUnit<ComboBox>(name); };
    const auto button = [&page](const QString &name) { return page.requiredUnit<GraphicButton>(name); };
    return {
        edit(QStringLiteral("项目类型框")),
        edit(QStringLiteral("项目名称框")),
        edit(QStringLiteral("人员名称框")),
        edit(QStringLiteral("备注框")),
        edit(QStringLiteral("收支金额框")),
        combo(QStringLiteral("项目类型组合框")),
        combo(QStringLiteral("项目名称组合框")),
        combo(QStringLiteral("人员名称组合框")),
        combo(QStringLiteral("收支金额组合框")),
        page.requiredUnit<TransparentLabel>(QStringLiteral("收支金额标签")),
        page.requiredUnit<DateBox>(QStringLiteral("选择日期框")),
        page.requiredUnit<Label>(QStringLiteral("选择日期标签")),
        button(QStringLiteral("提示按钮标签")),
        page.requiredUnit<ListView>(QStringLiteral("添加理财列表框")),
        page.requiredUnit<DrawingBoard>(QStringLiteral("画板1")),
        button(QStringLiteral("添加按钮")),
        button(QStringLiteral("删除按钮")),
        button(QStringLiteral("保存按钮")),
        button(QStringLiteral("返回按钮")),
    };
}

BackupUnits BackupUnits::bind(LayoutWindow &page)
{
    const auto button = [&page](const QString &name) { return page.requiredUnit<GraphicButton>(name); };
    return {
        button(QStringLiteral("备份数据按钮")),
        button(QStringLiteral("导出数据按钮")),
        button(QStringLiteral("导入数据按钮")),
        button(QStringLiteral("压缩数据按钮")),
        button(QStringLiteral("恢复数据按钮")),
        page.requiredUnit<QWidget>(QStringLiteral("备份密码标签")),
        page.requiredUnit<QWidget>(QStringLiteral("备份密码外形框")),
        page.requiredUnit<EditBox>(QStringLiteral("备份密码框")),
        button(QStringLiteral("备份密码确认按钮")),
        button(QStringLiteral("备份密码取消按钮")),
    };
}

StatisticsUnits StatisticsUnits::bind(LayoutWindow &page)
{
    const auto label = [&page](const QString &name) { return page.requiredUnit<TransparentLabel>(name); };
    StatisticsUnits units{
        page.requiredUnit<ComboBox>(QStringLiteral("年份选择组合框")),
        label(QStringLiteral("年份标签")),
        label(QStringLiteral("当月标签")),
        label(QStringLiteral("上月标签")),
        label(QStringLiteral("总支出标签")),
        label(QStringLiteral("总收入标签")),
        label(QStringLiteral("当月支出标签")),
        label(QStringLiteral("当月收入标签")),
        label(QStringLiteral("上月支出标签")),
        label(QStringLiteral("上月收入标签")),
        {},
        {},
        label(QStringLiteral("年支出标签")),
        label(QStringLiteral("年收入标签")),
        label(QStringLiteral("年份标签1")),
        page.requiredUnit<GraphicButton>(QStringLiteral("收支图表按钮")),
    };
    for (int m = 1; m <= 12; ++m) {
        units.monthExpense[m - 1] = label(QStringLiteral("月支出标签%1").arg(m));
        units.monthIncome[m - 1] = label(QStringLiteral("月收入标签%1").arg(m));
    }
    return units;
}

UserUnits UserUnits::bind(LayoutWindow &page)
{
    const auto edit = [&page](const QString &name) { return page.requiredUnit<EditBox>(name); };
    const auto button = [&page](const QString &name) { return page.requiredUnit<GraphicButton>(name); };
    return {
        edit(QStringLiteral("用户名框")),
        edit(QStringLiteral("原密码框")),
        edit(QStringLiteral("新的密码框")),
        edit(QStringLiteral("确认密码框")),
        button(QStringLiteral("图形按钮1")),
        button(QStringLiteral("图形按钮2")),
        button(QStringLiteral("图形按钮3")),
    };
}

NewUserUnits NewUserUnits::bind(LayoutWindow &window)
{
    return {
        window.requiredUnit<EditBox>(QStringLiteral("用户名框")),
        window.requiredUnit<EditBox>(QStringLiteral("新的密码框")),
        window.requiredUnit<EditBox>(QStringLiteral("确认密码框")),
        window.requiredUnit<GraphicButton>(QStringLiteral("图形按钮3")),
        window.requiredUnit<GraphicButton>(QStringLiteral("图形按钮1")),
        window.requiredUnit<GraphicButton>(QStringLiteral("关闭按钮")),
    };
}

PromptUnits PromptUnits::bind(LayoutWindow &window, bool withNo)
{
    return {
        window.requiredUnit<TransparentLabel>(QStringLiteral("标题标签")),
        window.requiredUnit<TransparentLabel>(QStringLiteral("提示内容标签")),
        window.requiredUnit<GraphicButton>(QStringLiteral("图形按钮1")),
        withNo ? window.requiredUnit<GraphicButton>(QStringLiteral("图形按钮2")) : nullptr,
        window.requiredUnit<GraphicButton>(QStringLiteral("关闭按钮")),
    };
}

HelpUnits HelpUnits::bind(LayoutWindow &window, int tabCount)
{
    HelpUnits units{window.requiredUnit<AnimationBox>(QStringLiteral("背景动画框")), {},
                    window.requiredUnit<TransparentLabel>(QStringLiteral("说明标签")),
                    window.requiredUnit<GraphicButton>(QStringLiteral("关闭按钮"))};
    for (int i = 1; i <= tabCount; ++i)
        units.tabs.append(window.requiredUnit<TransparentLabel>(QStringLiteral("透明标签%1").arg(i)));
    return units;
}

ChartUnits ChartUnits::bind(LayoutWindow &window)
{
    const auto button = [&window](const QString &name) { return window.requiredUnit<GraphicButton>(name); };
    const auto label = [&window](const QString &name) { return window.requiredUnit<TransparentLabel>(name); };
    return {
        {label(QStringLiteral("去向标签")), label(QStringLiteral("每月标签")), label(QStringLiteral("历年标签"))},
        button(QStringLiteral("支出按钮")),
        button(QStringLiteral("收入按钮")),
        button(QStringLiteral("返回按钮")),
        label(QStringLiteral("年份说明标签")),
        label(QStringLiteral("年份标签")),
        window.requiredUnit<ComboBox>(QStringLiteral("年份选择组合框")),
        button(QStringLiteral("年份下拉按钮")),
        button(QStringLiteral("保存图片按钮")),
        button(QStringLiteral("打印图表按钮")),
        button(QStringLiteral("关闭按钮")),
        label(QStringLiteral("说明标签")),
        window.requiredUnit<QWidget>(QStringLiteral("图表框")),
        label(QStringLiteral("空状态标签")),
    };
}
