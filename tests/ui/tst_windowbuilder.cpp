#include "common/clock.h"
#include "common/program.h"
#include "common/settings.h"
#include "ui/animationbox.h"
#include "ui/drawingboard.h"
#include "ui/filedialog.h"
#include "ui/layoutwindow.h"
#include "ui/listview.h"
#include "ui/printgrid.h"
#include "ui/styledmenu.h"
#include "ui/units.h"

#include <QApplication>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

namespace {

struct ExpectedUnit
{
    const char16_t *window;
    const char16_t *name;
    const char16_t *kind;
    QRect rect; // inside its container
    const char16_t *inside;
    const char16_t *text;
    const char16_t *tag;
};

// Every unit of every window as the screens were designed: kind, place inside its container,
// initial text and tag. The month grid of the statistics page closes the list.
const ExpectedUnit expectedUnits[] = {
    {u"main", u"皮肤按钮", u"图形按钮", {698, 3, 30, 18}, u"", u"", u"皮肤"},
    {u"main", u"菜单按钮", u"图形按钮", {730, 3, 30, 18}, u"", u"", u"标题菜单"},
    {u"main", u"帮助按钮", u"图形按钮", {762, 3, 30, 18}, u"", u"", u"帮助"},
    {u"main", u"最小化按钮", u"图形按钮", {794, 3, 30, 18}, u"", u"", u"最小化"},
    {u"main", u"关闭按钮", u"图形按钮", {826, 3, 30, 18}, u"", u"", u"关闭"},
    {u"main", u"标题标签", u"透明标签", {30, 4, 578, 24}, u"", u"Varnel家庭理财", u""},
    {u"main", u"按钮动画框", u"动画框", {24, 8, 120, 24}, u"", u"", u""},
    {u"main", u"背景动画框", u"动画框", {168, 8, 32, 24}, u"", u"", u""},
    {u"main", u"子窗口背景动画框", u"动画框", {536, 8, 48, 24}, u"", u"", u""},
    {u"main", u"列表按钮", u"图形按钮", {16, 35, 68, 75}, u"", u"", u"列表导航"},
    {u"main", u"添加按钮", u"图形按钮", {94, 35, 68, 75}, u"", u"", u"添加导航"},
    {u"main", u"修改按钮", u"图形按钮", {172, 35, 68, 75}, u"", u"", u"修改导航"},
    {u"main", u"删除按钮", u"图形按钮", {250, 35, 68, 75}, u"", u"", u"删除导航"},
    {u"main", u"统计按钮", u"图形按钮", {328, 35, 68, 75}, u"", u"", u"统计导航"},
    {u"main", u"备份按钮", u"图形按钮", {406, 35, 68, 75}, u"", u"", u"备份导航"},
    {u"main", u"用户按钮", u"图形按钮", {483, 35, 68, 75}, u"", u"", u"用户导航"},
    {u"main", u"旧版恢复通用对话框", u"通用对话框", {744, 80, 24, 24}, u"", u"", u""},
    {u"main", u"版本标签", u"透明标签", {727, 576, 120, 24}, u"", u"版本号：3.0", u""},
    {u"splash", u"时钟1", u"时钟", {344, 40, 24, 24}, u"", u"", u""},
    {u"splash", u"版本号标签", u"透明标签", {192, 108, 56, 16}, u"", u"3.0", u""},
    {u"splash", u"透明标签1", u"透明标签", {264, 180, 128, 16}, u"", u"正在启动，请稍候。。。", u""},
    {u"view", u"刷新标签", u"透明标签", {845, 0, 15, 464}, u"", u"", u""},
    {u"view", u"详细查看按钮", u"图形按钮", {479, 6, 90, 24}, u"", u"", u"详细查看"},
    {u"view", u"合计查看按钮", u"图形按钮", {592, 6, 90, 24}, u"", u"", u"合计查看"},
    {u"view", u"打印列表按钮", u"图形按钮", {752, 6, 90, 24}, u"", u"", u"打印列表"},
    {u"view", u"图表按钮", u"图形按钮", {726, 7, 22, 22}, u"", u"", u"图表"},
    {u"view", u"外形框1", u"外形框", {16, 7, 180, 22}, u"", u"", u""},
    {u"view", u"开始日期标签", u"标签", {1, 1, 178, 20}, u"外形框1", u"2012-11-18", u""},
    {u"view", u"开始日期框", u"日期框", {27, 4, 146, 14}, u"外形框1", u"", u""},
    {u"view", u"图形按钮1", u"图形按钮", {197, 7, 22, 22}, u"", u"", u"月历"},
    {u"view", u"透明标签1", u"透明标签", {223, 7, 24, 24}, u"", u"至", u""},
    {u"view", u"外形框2", u"外形框", {250, 7, 180, 22}, u"", u"", u""},
    {u"view", u"结束日期标签", u"标签", {1, 1, 178, 20}, u"外形框2", u"2012-11-18", u""},
    {u"view", u"结束日期框", u"日期框", {27, 4, 146, 14}, u"外形框2", u"", u""},
    {u"view", u"图形按钮2", u"图形按钮", {431, 7, 22, 22}, u"", u"", u"月历"},
    {u"view", u"画板1", u"画板", {50, 8, 16, 16}, u"", u"", u""},
    {u"view", u"画板2", u"画板", {292, 9, 16, 16}, u"", u"", u""},
    {u"view", u"合计下拉按钮", u"图形按钮", {684, 11, 15, 15}, u"", u"", u"星下拉"},
    {u"view", u"合计查看组合框", u"组合框", {592, 12, 112, 20}, u"", u"", u""},
    {u"view", u"表格1", u"表格", {568, 28, 24, 24}, u"", u"", u""},
    {u"view", u"通用提供者1", u"通用提供者", {656, 36, 24, 24}, u"", u"", u""},
    {u"view", u"数据库提供者1", u"数据库提供者", {688, 36, 32, 24}, u"", u"", u""},
    {u"view", u"数据源1", u"数据源", {728, 36, 132, 22}, u"", u"", u""},
    {u"view", u"理财列表框", u"列表框", {0, 40, 677, 338}, u"", u"", u""},
    {u"view", u"标题标签", u"标签", {0, 40, 136, 8}, u"", u"", u"N"},
    {u"view", u"超级编辑框1", u"超级编辑框", {736, 80, 115, 36}, u"", u"姓名姓名姓名姓名字", u""},
    {u"view", u"子窗口背景画板", u"画板", {720, 160, 16, 24}, u"", u"", u""},
    {u"view", u"统计界面框1", u"图片框", {-7, 352, 856, 34}, u"", u"", u""},
    {u"view", u"刷新按钮1", u"图形按钮", {823, 7, 22, 22}, u"统计界面框1", u"", u"刷新"},
    {u"view", u"透明标签4", u"透明标签", {23, 9, 80, 16}, u"统计界面框1", u"支出金额：", u""},
    {u"view", u"支出标签", u"透明标签", {109, 9, 111, 16}, u"统计界面框1", u"0.00", u""},
    {u"view", u"收入标签", u"透明标签", {382, 9, 111, 16}, u"统计界面框1", u"0.00", u""},
    {u"view", u"剩余标签", u"透明标签", {617, 9, 111, 16}, u"统计界面框1", u"0.00", u""},
    {u"view", u"透明标签7", u"透明标签", {296, 11, 80, 16}, u"统计界面框1", u"收入金额：", u""},
    {u"view", u"透明标签8", u"透明标签", {531, 11, 80, 16}, u"统计界面框1", u"剩余金额：", u""},
    {u"view", u"统计界面框2", u"图片框", {-8, 384, 856, 34}, u"", u"", u""},
    {u"view", u"刷新按钮2", u"图形按钮", {823, 7, 22, 22}, u"统计界面框2", u"", u"刷新"},
    {u"view", u"透明标签9", u"透明标签", {23, 9, 80, 16}, u"统计界面框2", u"天数：", u""},
    {u"view", u"天数标签", u"透明标签", {109, 9, 111, 16}, u"统计界面框2", u"0.00", u""},
    {u"view", u"日均支出标签", u"透明标签", {382, 9, 111, 16}, u"统计界面框2", u"0.00", u""},
    {u"view", u"日均收入标签", u"透明标签", {617, 9, 111, 16}, u"统计界面框2", u"0.00", u""},
    {u"view", u"透明标签6", u"透明标签", {296, 11, 80, 16}, u"统计界面框2", u"日均支出：", u""},
    {u"view", u"透明标签5", u"透明标签", {531, 11, 80, 16}, u"统计界面框2", u"日均收入：", u""},
    {u"view", u"登录界面框", u"图片框", {2, 423, 856, 34}, u"", u"", u""},
    {u"view", u"登录按钮", u"图形按钮", {664, 5, 68, 24}, u"登录界面框", u"", u"登录"},
    {u"view", u"注册按钮", u"图形按钮", {760, 5, 68, 24}, u"登录界面框", u"", u"注册"},
    {u"view", u"透明标签3", u"透明标签", {8, 6, 72, 24}, u"登录界面框", u"用户名：", u""},
    {u"view", u"外形框3", u"外形框", {85, 6, 233, 22}, u"登录界面框", u"", u""},
    {u"view", u"登录用户名框", u"编辑框", {1, 1, 212, 20}, u"外形框3", u"", u""},
    {u"view", u"用户名组合框", u"组合框", {1, 1, 231, 20}, u"外形框3", u"", u""},
    {u"view", u"图形按钮5", u"图形按钮", {215, 4, 15, 15}, u"外形框3", u"", u"下拉"},
    {u"view", u"透明标签2", u"透明标签", {328, 6, 72, 24}, u"登录界面框", u"密码：", u""},
    {u"view", u"外形框4", u"外形框", {405, 6, 233, 22}, u"登录界面框", u"", u""},
    {u"view", u"登录密码框", u"编辑框", {1, 1, 231, 20}, u"外形框4", u"", u""},
    {u"entry", u"画板1", u"画板", {744, 0, 16, 24}, u"", u"", u""},
    {u"entry", u"子窗口背景画板", u"画板", {8, 8, 16, 24}, u"", u"", u""},
    {u"entry", u"透明标签1", u"透明标签", {74, 16, 72, 24}, u"", u"选择日期：", u""},
    {u"entry", u"外形框1", u"外形框", {151, 16, 208, 22}, u"", u"", u""},
    {u"entry", u"选择日期标签", u"标签", {13, 1, 182, 20}, u"外形框1", u"2012-11-18", u""},
    {u"entry", u"选择日期框", u"日期框", {27, 4, 146, 14}, u"外形框1", u"", u""},
    {u"entry", u"月历下拉按钮", u"图形按钮", {360, 16, 22, 22}, u"", u"", u"月历"},
    {u"entry", u"透明标签3", u"透明标签", {74, 56, 72, 24}, u"", u"项目类型：", u""},
    {u"entry", u"外形框3", u"外形框", {151, 56, 233, 22}, u"", u"", u""},
    {u"entry", u"项目类型组合框", u"组合框", {1, 1, 231, 20}, u"外形框3", u"", u""},
    {u"entry", u"项目类型框", u"编辑框", {3, 1, 208, 20}, u"外形框3", u"", u""},
    {u"entry", u"下拉按钮2", u"图形按钮", {214, 3, 15, 15}, u"外形框3", u"", u"下拉"},
    {u"entry", u"透明标签4", u"透明标签", {488, 56, 72, 24}, u"", u"项目名称：", u""},
    {u"entry", u"外形框4", u"外形框", {565, 56, 233, 22}, u"", u"", u""},
    {u"entry", u"项目名称组合框", u"组合框", {1, 1, 231, 20}, u"外形框4", u"", u""},
    {u"entry", u"项目名称框", u"编辑框", {3, 1, 210, 20}, u"外形框4", u"", u""},
    {u"entry", u"下拉按钮1", u"图形按钮", {214, 4, 15, 15}, u"外形框4", u"", u"下拉"},
    {u"entry", u"透明标签2", u"透明标签", {74, 92, 72, 24}, u"", u"人员名称：", u""},
    {u"entry", u"外形框2", u"外形框", {151, 92, 233, 22}, u"", u"", u""},
    {u"entry", u"人员名称组合框", u"组合框", {1, 1, 231, 20}, u"外形框2", u"", u""},
    {u"entry", u"人员名称框", u"编辑框", {3, 1, 208, 20}, u"外形框2", u"", u""},
    {u"entry", u"下拉按钮3", u"图形按钮", {214, 4, 15, 15}, u"外形框2", u"", u"下拉"},
    {u"entry", u"收支金额标签", u"透明标签", {488, 92, 72, 24}, u"", u"支出金额：", u""},
    {u"entry", u"外形框6", u"外形框", {565, 92, 233, 22}, u"", u"", u""},
    {u"entry", u"收支金额框", u"编辑框", {3, 1, 228, 20}, u"外形框6", u"", u""},
    {u"entry", u"收支金额组合框", u"组合框", {480, 93, 80, 20}, u"", u"", u""},
    {u"entry", u"添加按钮1", u"图形按钮", {483, 96, 15, 15}, u"", u"", u"星下拉"},
    {u"entry", u"提示按钮标签", u"图形按钮", {456, 112, 200, 104}, u"", u"", u"N"},
    {u"entry", u"透明标签5", u"透明标签", {74, 128, 72, 24}, u"", u"备注：", u""},
    {u"entry", u"外形框5", u"外形框", {151, 128, 647, 22}, u"", u"", u""},
    {u"entry", u"备注框", u"编辑框", {3, 1, 641, 20}, u"外形框5", u"", u""},
    {u"entry", u"添加按钮", u"图形按钮", {520, 164, 68, 24}, u"", u"", u"添加"},
    {u"entry", u"删除按钮", u"图形按钮", {605, 164, 68, 24}, u"", u"", u"删除"},
    {u"entry", u"保存按钮", u"图形按钮", {690, 164, 68, 24}, u"", u"", u"保存"},
    {u"entry", u"返回按钮", u"图形按钮", {775, 164, 68, 24}, u"", u"", u"返回"},
    {u"entry", u"标题标签", u"标签", {16, 200, 136, 8}, u"", u"", u"N"},
    {u"entry", u"添加理财列表框", u"列表框", {24, 224, 677, 258}, u"", u"", u""},
    {u"backup", u"子窗口背景画板", u"画板", {72, 8, 32, 24}, u"", u"", u""},
    {u"backup", u"压缩数据按钮", u"图形按钮", {616, 216, 90, 24}, u"", u"", u"压缩数据"},
    {u"backup", u"导入数据按钮", u"图形按钮", {499, 217, 90, 24}, u"", u"", u"导入数据"},
    {u"backup", u"导入账单按钮", u"图形按钮", {499, 260, 90, 24}, u"", u"", u"导入账单"},
    {u"backup", u"导出数据按钮", u"图形按钮", {383, 218, 90, 24}, u"", u"", u"导出数据"},
    {u"backup", u"备份数据按钮", u"图形按钮", {151, 219, 90, 24}, u"", u"", u"备份数据"},
    {u"backup", u"恢复数据按钮", u"图形按钮", {267, 219, 90, 24}, u"", u"", u"恢复数据"},
    {u"backup", u"备份密码取消按钮", u"图形按钮", {656, 300, 68, 24}, u"", u"", u"取消"},
    {u"backup", u"备份密码确认按钮", u"图形按钮", {573, 301, 68, 24}, u"", u"", u"确定"},
    {u"backup", u"备份密码外形框", u"外形框", {256, 304, 301, 22}, u"", u"", u""},
    {u"backup", u"备份密码框", u"编辑框", {3, 1, 296, 20}, u"备份密码外形框", u"", u""},
    {u"backup", u"备份密码标签", u"透明标签", {120, 310, 136, 17}, u"", u"请输入原备份数据密码：", u""},
    {u"backup", u"备份通用对话框", u"通用对话框", {8, 400, 32, 24}, u"", u"", u""},
    {u"backup", u"恢复通用对话框", u"通用对话框", {48, 400, 32, 24}, u"", u"", u""},
    {u"statistics", u"子窗口背景画板", u"画板", {8, 8, 16, 24}, u"", u"", u""},
    {u"statistics", u"透明标签1", u"透明标签", {80, 8, 88, 25}, u"", u"总金额", u""},
    {u"statistics", u"当月标签", u"透明标签", {384, 8, 152, 25}, u"", u"当月", u""},
    {u"statistics", u"上月标签", u"透明标签", {681, 8, 127, 25}, u"", u"上月", u""},
    {u"statistics", u"透明标签2", u"透明标签", {74, 40, 49, 16}, u"", u"支出：", u""},
    {u"statistics", u"总支出标签", u"透明标签", {122, 40, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"透明标签9", u"透明标签", {380, 40, 46, 16}, u"", u"支出：", u""},
    {u"statistics", u"当月支出标签", u"透明标签", {426, 40, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"透明标签14", u"透明标签", {680, 40, 46, 16}, u"", u"支出：", u""},
    {u"statistics", u"上月支出标签", u"透明标签", {727, 40, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"透明标签5", u"透明标签", {74, 68, 49, 16}, u"", u"收入：", u""},
    {u"statistics", u"总收入标签", u"透明标签", {122, 68, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"透明标签7", u"透明标签", {380, 68, 46, 16}, u"", u"收入：", u""},
    {u"statistics", u"当月收入标签", u"透明标签", {426, 68, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"透明标签12", u"透明标签", {680, 68, 46, 16}, u"", u"收入：", u""},
    {u"statistics", u"上月收入标签", u"透明标签", {727, 68, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"年份标签", u"透明标签", {396, 107, 64, 25}, u"", u"2012", u""},
    {u"statistics", u"年份选择组合框", u"组合框", {403, 110, 72, 20}, u"", u"", u""},
    {u"statistics", u"收支图表按钮", u"图形按钮", {752, 106, 90, 24}, u"", u"", u"收支图表"},
    {u"statistics", u"图形按钮1", u"图形按钮", {457, 112, 15, 15}, u"", u"", u"下拉透明"},
    {u"statistics", u"年支出标签", u"透明标签", {500, 437, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"年收入标签", u"透明标签", {716, 437, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"年份标签1", u"透明标签", {388, 438, 56, 16}, u"", u"（2012）", u""},
    {u"statistics", u"透明标签44", u"透明标签", {424, 438, 72, 16}, u"", u"总支出：", u""},
    {u"statistics", u"透明标签45", u"透明标签", {640, 438, 72, 16}, u"", u"总收入：", u""},
    {u"user", u"子窗口背景画板", u"画板", {8, 8, 16, 24}, u"", u"", u""},
    {u"user", u"透明标签2", u"透明标签", {256, 104, 72, 24}, u"", u"用户名：", u""},
    {u"user", u"外形框2", u"外形框", {334, 104, 233, 22}, u"", u"", u""},
    {u"user", u"用户名框", u"编辑框", {1, 1, 230, 20}, u"外形框2", u"", u""},
    {u"user", u"透明标签4", u"透明标签", {256, 153, 72, 24}, u"", u"原密码：", u""},
    {u"user", u"外形框4", u"外形框", {334, 153, 233, 22}, u"", u"", u""},
    {u"user", u"原密码框", u"编辑框", {1, 1, 230, 20}, u"外形框4", u"", u""},
    {u"user", u"透明标签1", u"透明标签", {256, 202, 72, 24}, u"", u"新的密码：", u""},
    {u"user", u"外形框1", u"外形框", {334, 202, 233, 22}, u"", u"", u""},
    {u"user", u"新的密码框", u"编辑框", {1, 1, 230, 20}, u"外形框1", u"", u""},
    {u"user", u"透明标签3", u"透明标签", {256, 252, 72, 24}, u"", u"确认密码：", u""},
    {u"user", u"外形框3", u"外形框", {334, 252, 233, 22}, u"", u"", u""},
    {u"user", u"确认密码框", u"编辑框", {1, 1, 230, 20}, u"外形框3", u"", u""},
    {u"user", u"图形按钮1", u"图形按钮", {312, 352, 68, 24}, u"", u"", u"修改"},
    {u"user", u"图形按钮2", u"图形按钮", {412, 352, 68, 24}, u"", u"", u"删除"},
    {u"user", u"图形按钮3", u"图形按钮", {512, 352, 68, 24}, u"", u"", u"返回"},
    {u"skin", u"子窗口背景画板", u"画板", {8, 8, 32, 24}, u"", u"", u""},
    {u"skin", u"透明标签1", u"透明标签", {16, 16, 88, 16}, u"", u"图片背景：", u""},
    {u"skin", u"子窗口背景动画框", u"动画框", {56, 24, 32, 32}, u"", u"", u""},
    {u"skin", u"图片转换动画框", u"动画框", {112, 24, 48, 40}, u"", u"", u""},
    {u"skin", u"等待标签", u"透明标签", {320, 211, 216, 28}, u"", u"正在更换皮肤，请稍等。。。", u""},
    {u"skin", u"透明标签2", u"透明标签", {16, 240, 88, 16}, u"", u"纯色背景：", u""},
    {u"skin", u"通用对话框1", u"通用对话框", {624, 304, 32, 24}, u"", u"", u""},
    {u"skin", u"透明标签3", u"透明标签", {640, 428, 72, 24}, u"", u"透明度：", u""},
    {u"skin", u"外形框3", u"外形框", {717, 428, 123, 22}, u"", u"", u""},
    {u"skin", u"透明度框", u"编辑框", {1, 1, 101, 20}, u"外形框3", u"", u""},
    {u"skin", u"透明度组合框", u"组合框", {1, 1, 120, 20}, u"外形框3", u"", u""},
    {u"skin", u"图形按钮5", u"图形按钮", {104, 4, 15, 15}, u"外形框3", u"", u"下拉"},
    {u"skin", u"透明标签4", u"透明标签", {17, 434, 456, 16}, u"", u"图片尺寸：860 X 600", u""},
    {u"message", u"关闭按钮", u"图形按钮", {416, 3, 30, 18}, u"", u"", u"关闭"},
    {u"message", u"标题标签", u"透明标签", {30, 4, 58, 24}, u"", u"提示：", u""},
    {u"message", u"背景动画框", u"动画框", {312, 8, 24, 21}, u"", u"", u""},
    {u"message", u"按钮动画框", u"动画框", {336, 8, 24, 21}, u"", u"", u""},
    {u"message", u"子窗口背景动画框", u"动画框", {360, 8, 24, 24}, u"", u"", u""},
    {u"message", u"提示内容标签", u"透明标签", {2, 80, 446, 80}, u"", u"", u""},
    {u"message", u"图形按钮1", u"图形按钮", {191, 184, 68, 24}, u"", u"", u"确定"},
    {u"confirm", u"关闭按钮", u"图形按钮", {416, 3, 30, 18}, u"", u"", u"关闭"},
    {u"confirm", u"标题标签", u"透明标签", {30, 4, 74, 24}, u"", u"提示：", u""},
    {u"confirm", u"背景动画框", u"动画框", {352, 8, 24, 21}, u"", u"", u""},
    {u"confirm", u"按钮动画框", u"动画框", {376, 8, 24, 21}, u"", u"", u""},
    {u"confirm", u"子窗口背景动画框", u"动画框", {376, 32, 24, 24}, u"", u"", u""},
    {u"confirm", u"提示内容标签", u"透明标签", {5, 80, 443, 80}, u"", u"", u""},
    {u"confirm", u"图形按钮1", u"图形按钮", {147, 184, 68, 24}, u"", u"", u"确定"},
    {u"confirm", u"图形按钮2", u"图形按钮", {235, 184, 68, 24}, u"", u"", u"取消"},
    {u"newuser", u"关闭按钮", u"图形按钮", {416, 3, 30, 18}, u"", u"", u"关闭"},
    {u"newuser", u"标题标签", u"透明标签", {27, 4, 69, 24}, u"", u"用户注册", u""},
    {u"newuser", u"背景动画框", u"动画框", {352, 8, 24, 21}, u"", u"", u""},
    {u"newuser", u"按钮动画框", u"动画框", {376, 8, 24, 21}, u"", u"", u""},
    {u"newuser", u"子窗口背景动画框", u"动画框", {384, 24, 24, 24}, u"", u"", u""},
    {u"newuser", u"透明标签2", u"透明标签", {63, 89, 72, 24}, u"", u"用户名：", u""},
    {u"newuser", u"外形框2", u"外形框", {140, 89, 233, 22}, u"", u"", u""},
    {u"newuser", u"用户名框", u"编辑框", {1, 1, 230, 20}, u"外形框2", u"", u""},
    {u"newuser", u"透明标签1", u"透明标签", {63, 138, 72, 24}, u"", u"新的密码：", u""},
    {u"newuser", u"外形框1", u"外形框", {140, 138, 233, 22}, u"", u"", u""},
    {u"newuser", u"新的密码框", u"编辑框", {1, 1, 230, 20}, u"外形框1", u"", u""},
    {u"newuser", u"透明标签3", u"透明标签", {63, 188, 72, 24}, u"", u"确认密码：", u""},
    {u"newuser", u"外形框3", u"外形框", {140, 188, 233, 22}, u"", u"", u""},
    {u"newuser", u"确认密码框", u"编辑框", {1, 1, 230, 20}, u"外形框3", u"", u""},
    {u"newuser", u"图形按钮3", u"图形按钮", {144, 248, 68, 24}, u"", u"", u"确定"},
    {u"newuser", u"图形按钮1", u"图形按钮", {249, 248, 68, 24}, u"", u"", u"取消"},
    {u"server", u"关闭按钮", u"图形按钮", {426, 3, 30, 18}, u"", u"", u"关闭"},
    {u"server", u"标题标签", u"透明标签", {27, 4, 120, 24}, u"", u"数据库服务器", u""},
    {u"server", u"背景动画框", u"动画框", {352, 8, 24, 21}, u"", u"", u""},
    {u"server", u"按钮动画框", u"动画框", {376, 8, 24, 21}, u"", u"", u""},
    {u"server", u"子窗口背景动画框", u"动画框", {384, 24, 24, 24}, u"", u"", u""},
    {u"server", u"透明标签1", u"透明标签", {33, 50, 100, 24}, u"", u"服务器地址：", u""},
    {u"server", u"外形框1", u"外形框", {140, 50, 233, 22}, u"", u"", u""},
    {u"server", u"地址框", u"编辑框", {1, 1, 230, 20}, u"外形框1", u"", u""},
    {u"server", u"透明标签2", u"透明标签", {33, 82, 100, 24}, u"", u"端口：", u""},
    {u"server", u"外形框2", u"外形框", {140, 82, 233, 22}, u"", u"", u""},
    {u"server", u"端口框", u"编辑框", {1, 1, 230, 20}, u"外形框2", u"", u""},
    {u"server", u"透明标签3", u"透明标签", {33, 114, 100, 24}, u"", u"数据库：", u""},
    {u"server", u"外形框3", u"外形框", {140, 114, 233, 22}, u"", u"", u""},
    {u"server", u"数据库框", u"编辑框", {1, 1, 230, 20}, u"外形框3", u"", u""},
    {u"server", u"透明标签4", u"透明标签", {33, 146, 100, 24}, u"", u"登录名：", u""},
    {u"server", u"外形框4", u"外形框", {140, 146, 233, 22}, u"", u"", u""},
    {u"server", u"登录名框", u"编辑框", {1, 1, 230, 20}, u"外形框4", u"", u""},
    {u"server", u"透明标签5", u"透明标签", {33, 178, 100, 24}, u"", u"登录密码：", u""},
    {u"server", u"外形框5", u"外形框", {140, 178, 233, 22}, u"", u"", u""},
    {u"server", u"登录密码框", u"编辑框", {1, 1, 230, 20}, u"外形框5", u"", u""},
    {u"server", u"透明标签6", u"透明标签", {33, 210, 100, 24}, u"", u"家庭名称：", u""},
    {u"server", u"外形框6", u"外形框", {140, 210, 233, 22}, u"", u"", u""},
    {u"server", u"家庭名称框", u"编辑框", {1, 1, 230, 20}, u"外形框6", u"", u""},
    {u"server", u"状态标签", u"透明标签", {33, 246, 400, 24}, u"", u"", u""},
    {u"server", u"测试连接标签", u"标签", {40, 284, 120, 24}, u"", u"测试连接", u""},
    {u"server", u"使用服务器标签", u"标签", {170, 284, 120, 24}, u"", u"使用服务器", u""},
    {u"server", u"使用本机标签", u"标签", {300, 284, 120, 24}, u"", u"使用本机文件", u""},
    {u"server", u"复制到服务器标签", u"标签", {40, 320, 185, 24}, u"", u"复制本机数据到服务器", u""},
    {u"server", u"复制到本机标签", u"标签", {235, 320, 185, 24}, u"", u"复制服务器数据到本机", u""},
    {u"server", u"图形按钮1", u"图形按钮", {196, 372, 68, 24}, u"", u"", u"取消"},
    {u"help", u"关闭按钮", u"图形按钮", {766, 3, 30, 18}, u"", u"", u"关闭"},
    {u"help", u"标题标签", u"透明标签", {30, 4, 106, 24}, u"", u"帮助说明", u""},
    {u"help", u"背景动画框", u"动画框", {608, 7, 24, 21}, u"", u"", u""},
    {u"help", u"按钮动画框", u"动画框", {632, 7, 24, 21}, u"", u"", u""},
    {u"help", u"子窗口背景动画框", u"动画框", {664, 7, 24, 24}, u"", u"", u""},
    {u"help", u"透明标签1", u"透明标签", {12, 64, 64, 24}, u"", u"欢迎使用", u""},
    {u"help", u"说明标签", u"透明标签", {104, 64, 680, 488}, u"", u"", u""},
    {u"help", u"透明标签2", u"透明标签", {12, 98, 64, 24}, u"", u"用户协议", u""},
    {u"help", u"透明标签3", u"透明标签", {12, 132, 64, 24}, u"", u"操作指南", u""},
    {u"help", u"透明标签4", u"透明标签", {12, 166, 64, 24}, u"", u"更新说明", u""},
    {u"help", u"透明标签5", u"透明标签", {4, 200, 72, 24}, u"", u"旧版数据恢复", u""},
    {u"statistics", u"月份标签1", u"透明标签", {42, 154, 53, 25}, u"", u"一月", u""},
    {u"statistics", u"月支出说明1", u"透明标签", {92, 145, 49, 16}, u"", u"支出：", u""},
    {u"statistics", u"月收入说明1", u"透明标签", {92, 173, 49, 16}, u"", u"收入：", u""},
    {u"statistics", u"月支出标签1", u"透明标签", {140, 145, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月收入标签1", u"透明标签", {140, 173, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月份标签2", u"透明标签", {333, 154, 53, 25}, u"", u"二月", u""},
    {u"statistics", u"月支出说明2", u"透明标签", {383, 145, 49, 16}, u"", u"支出：", u""},
    {u"statistics", u"月收入说明2", u"透明标签", {383, 173, 49, 16}, u"", u"收入：", u""},
    {u"statistics", u"月支出标签2", u"透明标签", {432, 145, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月收入标签2", u"透明标签", {432, 173, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月份标签3", u"透明标签", {624, 154, 53, 25}, u"", u"三月", u""},
    {u"statistics", u"月支出说明3", u"透明标签", {674, 145, 49, 16}, u"", u"支出：", u""},
    {u"statistics", u"月收入说明3", u"透明标签", {674, 173, 49, 16}, u"", u"收入：", u""},
    {u"statistics", u"月支出标签3", u"透明标签", {723, 145, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月收入标签3", u"透明标签", {723, 173, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月份标签4", u"透明标签", {41, 229, 53, 25}, u"", u"四月", u""},
    {u"statistics", u"月支出说明4", u"透明标签", {91, 220, 49, 16}, u"", u"支出：", u""},
    {u"statistics", u"月收入说明4", u"透明标签", {91, 248, 49, 16}, u"", u"收入：", u""},
    {u"statistics", u"月支出标签4", u"透明标签", {140, 220, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月收入标签4", u"透明标签", {140, 248, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月份标签5", u"透明标签", {333, 229, 53, 25}, u"", u"五月", u""},
    {u"statistics", u"月支出说明5", u"透明标签", {383, 220, 49, 16}, u"", u"支出：", u""},
    {u"statistics", u"月收入说明5", u"透明标签", {383, 248, 49, 16}, u"", u"收入：", u""},
    {u"statistics", u"月支出标签5", u"透明标签", {432, 220, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月收入标签5", u"透明标签", {432, 248, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月份标签6", u"透明标签", {624, 229, 53, 25}, u"", u"六月", u""},
    {u"statistics", u"月支出说明6", u"透明标签", {674, 220, 49, 16}, u"", u"支出：", u""},
    {u"statistics", u"月收入说明6", u"透明标签", {674, 248, 49, 16}, u"", u"收入：", u""},
    {u"statistics", u"月支出标签6", u"透明标签", {723, 220, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月收入标签6", u"透明标签", {723, 248, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月份标签7", u"透明标签", {41, 304, 53, 25}, u"", u"七月", u""},
    {u"statistics", u"月支出说明7", u"透明标签", {91, 295, 49, 16}, u"", u"支出：", u""},
    {u"statistics", u"月收入说明7", u"透明标签", {91, 323, 49, 16}, u"", u"收入：", u""},
    {u"statistics", u"月支出标签7", u"透明标签", {140, 295, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月收入标签7", u"透明标签", {140, 323, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月份标签8", u"透明标签", {333, 304, 53, 25}, u"", u"八月", u""},
    {u"statistics", u"月支出说明8", u"透明标签", {383, 295, 49, 16}, u"", u"支出：", u""},
    {u"statistics", u"月收入说明8", u"透明标签", {383, 323, 49, 16}, u"", u"收入：", u""},
    {u"statistics", u"月支出标签8", u"透明标签", {432, 295, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月收入标签8", u"透明标签", {432, 323, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月份标签9", u"透明标签", {624, 304, 53, 25}, u"", u"九月", u""},
    {u"statistics", u"月支出说明9", u"透明标签", {674, 295, 49, 16}, u"", u"支出：", u""},
    {u"statistics", u"月收入说明9", u"透明标签", {674, 323, 49, 16}, u"", u"收入：", u""},
    {u"statistics", u"月支出标签9", u"透明标签", {723, 295, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月收入标签9", u"透明标签", {723, 323, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月份标签10", u"透明标签", {41, 379, 53, 25}, u"", u"十月", u""},
    {u"statistics", u"月支出说明10", u"透明标签", {91, 370, 49, 16}, u"", u"支出：", u""},
    {u"statistics", u"月收入说明10", u"透明标签", {91, 398, 49, 16}, u"", u"收入：", u""},
    {u"statistics", u"月支出标签10", u"透明标签", {140, 370, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月收入标签10", u"透明标签", {140, 398, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月份标签11", u"透明标签", {333, 379, 53, 25}, u"", u"十一月", u""},
    {u"statistics", u"月支出说明11", u"透明标签", {383, 370, 49, 16}, u"", u"支出：", u""},
    {u"statistics", u"月收入说明11", u"透明标签", {383, 398, 49, 16}, u"", u"收入：", u""},
    {u"statistics", u"月支出标签11", u"透明标签", {432, 370, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月收入标签11", u"透明标签", {432, 398, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月份标签12", u"透明标签", {624, 379, 53, 25}, u"", u"十二月", u""},
    {u"statistics", u"月支出说明12", u"透明标签", {674, 370, 49, 16}, u"", u"支出：", u""},
    {u"statistics", u"月收入说明12", u"透明标签", {674, 398, 49, 16}, u"", u"收入：", u""},
    {u"statistics", u"月支出标签12", u"透明标签", {723, 370, 136, 16}, u"", u"0.00", u""},
    {u"statistics", u"月收入标签12", u"透明标签", {723, 398, 136, 16}, u"", u"0.00", u""},
};

QString text(const char16_t *s)
{
    return QString::fromUtf16(s);
}

// The class each kind is built as.
bool builtAs(const QObject *unit, UnitKind kind)
{
    switch (kind) {
    case UnitKind::GraphicButton: return qobject_cast<const GraphicButton *>(unit);
    case UnitKind::TransparentLabel: return qobject_cast<const TransparentLabel *>(unit);
    case UnitKind::Label: return qobject_cast<const Label *>(unit);
    case UnitKind::EditBox: return qobject_cast<const EditBox *>(unit);
    case UnitKind::ShapeBox: return qobject_cast<const ShapeBox *>(unit);
    case UnitKind::PictureBox: return qobject_cast<const PictureBox *>(unit);
    case UnitKind::DrawingBoard: return qobject_cast<const DrawingBoard *>(unit);
    case UnitKind::ComboBox: return qobject_cast<const ComboBox *>(unit);
    case UnitKind::DateBox: return qobject_cast<const DateBox *>(unit);
    case UnitKind::ListView: return qobject_cast<const ListView *>(unit);
    case UnitKind::SuperEditBox: return qobject_cast<const SuperEditBox *>(unit);
    case UnitKind::AnimationBox: return qobject_cast<const AnimationBox *>(unit);
    case UnitKind::FileDialog: return qobject_cast<const FileDialog *>(unit);
    case UnitKind::Timer: return qobject_cast<const Timer *>(unit);
    case UnitKind::Grid: return qobject_cast<const PrintGrid *>(unit);
    case UnitKind::StyledMenu: return qobject_cast<const StyledMenu *>(unit);
    case UnitKind::DataSource:
    case UnitKind::GenericProvider:
    case UnitKind::DatabaseProvider: return qobject_cast<const HiddenUnit *>(unit);
    case UnitKind::None: break;
    }
    return false;
}

// The text a unit shows when its window is created.
QString shownText(const QObject *unit)
{
    if (auto *label = qobject_cast<const QLabel *>(unit))
        return label->text();
    if (auto *edit = qobject_cast<const QLineEdit *>(unit))
        return edit->text();
    if (auto *edit = qobject_cast<const QPlainTextEdit *>(unit))
        return edit->toPlainText();
    if (auto *button = qobject_cast<const QAbstractButton *>(unit))
        return button->text();
    return {};
}

} // namespace

class TestWindowBuilder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyLayoutReads();
    void unitsAsDesigned_data();
    void unitsAsDesigned();
    void noUnitBeyondTheDesign_data();
    void noUnitBeyondTheDesign();
    void labelTextsFit_data();
    void labelTextsFit();
    void unitsByKindInTableOrder();
    void lookupIsTypedAndStaysInItsWindow();
    void requiredUnitNamesWhatIsMissing();
    void containerCarriesItsUnits();
    void hiddenAtCreation_data();
    void hiddenAtCreation();
    void passwordBoxes_data();
    void passwordBoxes();
    void dropDownItems();
    void listColumns();
    void mainMenu();
    void placementAtCreation_data();
    void placementAtCreation();
    void pagesGoIntoTheMainWindow();
    void refusedTables_data();
    void refusedTables();
    void modalWindowReturnsWhenClosed();
    void windowFollowsTheMouseWhenMoved();
    void alwaysOnTopKeepsTheWindowShown();
    void windowTitles_data();
    void windowTitles();

private:
    LayoutWindow *window(const QString &name);
    std::map<QString, std::unique_ptr<LayoutWindow>> built;
    QTemporaryDir programFolder;
};

void TestWindowBuilder::initTestCase()
{
    useProgramFont();
    setProgramDirectory(programFolder.path());
}

LayoutWindow *TestWindowBuilder::window(const QString &name)
{
    auto &w = built[name];
    if (!w)
        w = std::make_unique<LayoutWindow>(name);
    return w.get();
}

void TestWindowBuilder::everyLayoutReads()
{
    QCOMPARE(layoutNames().size(), 13);
    for (const QString &name : layoutNames()) {
        const LayoutTable table = loadLayout(name);
        QVERIFY2(table.error.isEmpty(), qPrintable(table.error));
        QVERIFY2(!table.units.isEmpty(), qPrintable(name));
        QVERIFY(window(name)->isValid());
    }
    QVERIFY(!loadLayout(QStringLiteral("nosuchwindow")).error.isEmpty());
    QVERIFY(!LayoutWindow(QStringLiteral("nosuchwindow")).isValid());
}

void TestWindowBuilder::unitsAsDesigned_data()
{
    QTest::addColumn<QString>("windowName");
    QTest::addColumn<QString>("unitName");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QString>("inside");
    QTest::addColumn<QString>("initialText");
    QTest::addColumn<QString>("tag");
    for (const ExpectedUnit &u : expectedUnits)
        QTest::addRow("%s %s", qPrintable(text(u.window)), qPrintable(text(u.name)))
            << text(u.window) << text(u.name) << text(u.kind) << u.rect << text(u.inside) << text(u.text) << text(u.tag);
}

void TestWindowBuilder::unitsAsDesigned()
{
    QFETCH(QString, windowName);
    QFETCH(QString, unitName);
    QFETCH(QString, kind);
    QFETCH(QRect, rect);
    QFETCH(QString, inside);
    QFETCH(QString, initialText);
    QFETCH(QString, tag);

    LayoutWindow *w = window(windowName);
    QObject *unit = w->unitObject(unitName);
    QVERIFY2(unit, "the unit is missing");
    QCOMPARE(unit->objectName(), unitName);
    QCOMPARE(unitKindName(unitKind(unit)), kind);
    QVERIFY2(builtAs(unit, unitKind(unit)), "built as another class than its kind");
    QCOMPARE(unitGeometry(unit), rect);
    QCOMPARE(unitTag(unit), tag);
    QCOMPARE(shownText(unit), initialText);
    if (auto *widget = qobject_cast<QWidget *>(unit)) {
        QWidget *container = widget->parentWidget();
        QVERIFY(container);
        if (inside.isEmpty())
            QCOMPARE(container, static_cast<QWidget *>(w));
        else
            QCOMPARE(container->objectName(), inside);
    } else {
        QVERIFY(inside.isEmpty());
        QCOMPARE(unit->parent(), static_cast<QObject *>(w));
    }
}

void TestWindowBuilder::noUnitBeyondTheDesign_data()
{
    QTest::addColumn<QString>("windowName");
    for (const QString &name : layoutNames())
        QTest::newRow(qPrintable(name)) << name;
}

void TestWindowBuilder::noUnitBeyondTheDesign()
{
    QFETCH(QString, windowName);
    QStringList designed;
    for (const ExpectedUnit &u : expectedUnits)
        if (text(u.window) == windowName)
            designed << text(u.name);
    QStringList extra;
    for (QObject *unit : window(windowName)->units())
        if (!designed.contains(unit->objectName()) && unitKind(unit) != UnitKind::StyledMenu)
            extra << unit->objectName();
    QVERIFY2(extra.isEmpty(), qPrintable(extra.join(QLatin1Char(' '))));
    QCOMPARE(window(windowName)->size(), window(windowName)->layout().size);
}

void TestWindowBuilder::labelTextsFit_data()
{
    noUnitBeyondTheDesign_data();
}

// A caption cut off at its right end is the first thing a person notices.
void TestWindowBuilder::labelTextsFit()
{
    QFETCH(QString, windowName);
    QStringList clipped;
    for (QObject *unit : window(windowName)->units()) {
        auto *label = qobject_cast<QLabel *>(unit);
        if (!label || label->text().isEmpty() || label->wordWrap())
            continue;
        if (label->fontMetrics().horizontalAdvance(label->text()) > label->width())
            clipped << QStringLiteral("%1 (%2 > %3)")
                           .arg(label->objectName())
                           .arg(label->fontMetrics().horizontalAdvance(label->text()))
                           .arg(label->width());
    }
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral(", "))));
}

void TestWindowBuilder::unitsByKindInTableOrder()
{
    LayoutWindow *main = window(QStringLiteral("main"));
    QStringList buttons;
    for (QObject *b : main->units(UnitKind::GraphicButton))
        buttons << b->objectName();
    QCOMPARE(buttons, QStringList({"皮肤按钮", "菜单按钮", "帮助按钮", "最小化按钮", "关闭按钮", "列表按钮", "添加按钮", "修改按钮",
                                   "删除按钮", "统计按钮", "备份按钮", "用户按钮"}));
    QCOMPARE(main->units(UnitKind::AnimationBox).size(), 3);
    QCOMPARE(main->units(UnitKind::StyledMenu).size(), 1);
    // The month grid's amount labels are transparent labels like every other caption.
    QCOMPARE(window(QStringLiteral("statistics"))->units(UnitKind::TransparentLabel).size(), 21 + 60);
}

void TestWindowBuilder::lookupIsTypedAndStaysInItsWindow()
{
    auto main = std::make_unique<LayoutWindow>(QStringLiteral("main"));
    auto *view = new LayoutWindow(QStringLiteral("view"));
    view->placeAtCreation(main.get());
    // Both windows have a 标题标签: a transparent label in the main window, a label on the page.
    QVERIFY(main->unit<TransparentLabel>(QStringLiteral("标题标签")));
    QVERIFY(!main->unit<Label>(QStringLiteral("标题标签")));
    QVERIFY(view->unit<Label>(QStringLiteral("标题标签")));
    QCOMPARE(main->unit<QWidget>(QStringLiteral("标题标签"))->parentWidget(), static_cast<QWidget *>(main.get()));
    QVERIFY(!main->unit<ListView>(QStringLiteral("理财列表框")));
    QVERIFY(view->unit<ListView>(QStringLiteral("理财列表框")));
    QVERIFY(!view->unit<GraphicButton>(QStringLiteral("没有这个单元")));
}

void TestWindowBuilder::requiredUnitNamesWhatIsMissing()
{
    LayoutWindow w(parseLayout(QStringLiteral("test"), QStringLiteral("窗口 | 页面 | 100 | 80 | \n"
                                                                       "甲 | 图形按钮 | 0 | 0 | 10 | 10 |  |  |  |\n")));
    QVERIFY(w.requiredUnit<GraphicButton>(QStringLiteral("甲")));
    QVERIFY2(w.isValid(), qPrintable(w.buildError()));
    // Absent, and present as another kind: both make the window broken and both are named. The
    // code gets stand-ins that never show and are no units of the window.
    w.show();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("乙")));
    GraphicButton *absent = w.requiredUnit<GraphicButton>(QStringLiteral("乙"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("甲.*EditBox")));
    EditBox *otherKind = w.requiredUnit<EditBox>(QStringLiteral("甲"));
    QVERIFY(absent && otherKind);
    absent->show();
    otherKind->show();
    QVERIFY(!absent->isVisible() && !otherKind->isVisible());
    QCOMPARE(w.units().size(), 1);
    QVERIFY(!w.unit<GraphicButton>(QStringLiteral("乙")));
    QVERIFY(!w.isValid());
    QVERIFY2(w.buildError().contains(QStringLiteral("乙")) && w.buildError().contains(QStringLiteral("甲")),
             qPrintable(w.buildError()));
}

void TestWindowBuilder::containerCarriesItsUnits()
{
    LayoutWindow view(QStringLiteral("view"));
    auto *bar = view.unit<PictureBox>(QStringLiteral("登录界面框"));
    auto *login = view.unit<GraphicButton>(QStringLiteral("登录按钮"));
    auto *password = view.unit<EditBox>(QStringLiteral("登录密码框"));
    QCOMPARE(login->mapTo(&view, QPoint(0, 0)), QPoint(2 + 664, 423 + 5));
    QCOMPARE(password->mapTo(&view, QPoint(0, 0)), QPoint(2 + 405 + 1, 423 + 6 + 1));
    bar->move(10, 300);
    QCOMPARE(login->mapTo(&view, QPoint(0, 0)), QPoint(10 + 664, 300 + 5));
    QCOMPARE(password->mapTo(&view, QPoint(0, 0)), QPoint(10 + 405 + 1, 300 + 6 + 1));
    QCOMPARE(login->geometry(), QRect(664, 5, 68, 24));
}

void TestWindowBuilder::hiddenAtCreation_data()
{
    QTest::addColumn<QString>("windowName");
    QTest::addColumn<QString>("unitName");
    QTest::newRow("user names") << "view" << "用户名组合框";
    QTest::newRow("start date") << "view" << "开始日期框";
    QTest::newRow("end date") << "view" << "结束日期框";
    QTest::newRow("summary grouping") << "view" << "合计查看组合框";
    QTest::newRow("entry date") << "entry" << "选择日期框";
    QTest::newRow("item types") << "entry" << "项目类型组合框";
    QTest::newRow("item names") << "entry" << "项目名称组合框";
    QTest::newRow("persons") << "entry" << "人员名称组合框";
    QTest::newRow("amount kind") << "entry" << "收支金额组合框";
    QTest::newRow("years") << "statistics" << "年份选择组合框";
    QTest::newRow("transparency") << "skin" << "透明度组合框";
    QTest::newRow("measuring box") << "view" << "超级编辑框1";
    QTest::newRow("wait label") << "skin" << "等待标签";
    // Off-screen work surfaces; the conversion canvas would otherwise take the clicks meant for
    // the first gallery picture beneath it.
    QTest::newRow("conversion canvas") << "skin" << "图片转换动画框";
    QTest::newRow("stripe board") << "view" << "画板1";
    QTest::newRow("backup password prompt") << "backup" << "备份密码外形框";
}

void TestWindowBuilder::hiddenAtCreation()
{
    QFETCH(QString, windowName);
    QFETCH(QString, unitName);
    LayoutWindow *w = window(windowName);
    QWidget *unit = w->unit<QWidget>(unitName);
    QVERIFY(unit);
    QVERIFY(unit->isHidden());
}

void TestWindowBuilder::passwordBoxes_data()
{
    QTest::addColumn<QString>("windowName");
    QTest::addColumn<QString>("unitName");
    QTest::addColumn<bool>("password");
    QTest::newRow("login password") << "view" << "登录密码框" << true;
    QTest::newRow("login name") << "view" << "登录用户名框" << false;
    QTest::newRow("backup password") << "backup" << "备份密码框" << true;
    QTest::newRow("old password") << "user" << "原密码框" << true;
    QTest::newRow("new password") << "user" << "新的密码框" << true;
    QTest::newRow("repeated password") << "user" << "确认密码框" << true;
    QTest::newRow("user name") << "user" << "用户名框" << false;
    QTest::newRow("new user's password") << "newuser" << "新的密码框" << true;
    QTest::newRow("new user's repeated password") << "newuser" << "确认密码框" << true;
    QTest::newRow("new user's name") << "newuser" << "用户名框" << false;
    QTest::newRow("amount") << "entry" << "收支金额框" << false;
}

void TestWindowBuilder::passwordBoxes()
{
    QFETCH(QString, windowName);
    QFETCH(QString, unitName);
    QFETCH(bool, password);
    auto *edit = window(windowName)->unit<EditBox>(unitName);
    QVERIFY(edit);
    QCOMPARE(edit->passwordMode(), password);
}

void TestWindowBuilder::dropDownItems()
{
    auto items = [](ComboBox *combo) {
        QStringList list;
        for (int i = 0; i < combo->count(); ++i)
            list << combo->itemText(i);
        return list;
    };
    QCOMPARE(items(window(QStringLiteral("entry"))->unit<ComboBox>(QStringLiteral("收支金额组合框"))),
             QStringList({"支出金额", "收入金额"}));
    QCOMPARE(items(window(QStringLiteral("skin"))->unit<ComboBox>(QStringLiteral("透明度组合框"))),
             QStringList({"10", "20", "30", "40", "50", "60", "70", "80", "90"}));
    QVERIFY(items(window(QStringLiteral("view"))->unit<ComboBox>(QStringLiteral("用户名组合框"))).isEmpty());
}

void TestWindowBuilder::listColumns()
{
    for (const auto &[page, name] : {std::pair{"view", "理财列表框"}, std::pair{"entry", "添加理财列表框"}}) {
        auto *list = window(QString::fromUtf8(page))->unit<ListView>(QString::fromUtf8(name));
        QVERIFY(list);
        QCOMPARE(list->columnCount(), 7);
        QStringList titles;
        QList<int> widths;
        for (int c = 0; c < 7; ++c) {
            titles << list->columnTitle(c);
            widths << list->columnWidth(c);
        }
        QCOMPARE(titles, QStringList({"项目类型", "项目名称", "支出金额", "收入金额", "人员", "日期", "备注"}));
        QCOMPARE(widths, QList<int>({100, 100, 100, 100, 100, 88, 268}));
        QCOMPARE(list->columnAlignment(2), Qt::AlignHCenter);
        QCOMPARE(list->columnAlignment(3), Qt::AlignHCenter);
        QCOMPARE(list->columnAlignment(6), Qt::AlignLeft);
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    }
}

void TestWindowBuilder::mainMenu()
{
    auto *menu = window(QStringLiteral("main"))->unit<StyledMenu>(QStringLiteral("菜单"));
    QVERIFY(menu);
    QStringList captions;
    for (QAction *a : menu->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(captions, QStringList({"帮助说明", "-", "退出登录", "-", "旧版数据恢复", "自动备份", "数据库服务器", "-", "微博", "-", "主页", "-", "关于"}));
    QVERIFY(menu->findAction(QStringLiteral("微博/新浪微博")));
    QVERIFY(menu->findAction(QStringLiteral("微博/腾讯微博")));
    QVERIFY(!menu->findAction(QStringLiteral("微博/没有")));
}

void TestWindowBuilder::placementAtCreation_data()
{
    QTest::addColumn<QString>("windowName");
    QTest::addColumn<QString>("unitName"); // empty: the window itself
    QTest::addColumn<QRect>("rect");
    QTest::newRow("main window") << "main" << "" << QRect(0, 0, 860, 600);
    QTest::newRow("splash") << "splash" << "" << QRect(0, 0, 400, 200);
    QTest::newRow("message") << "message" << "" << QRect(0, 0, 450, 250);
    QTest::newRow("confirmation") << "confirm" << "" << QRect(0, 0, 450, 250);
    QTest::newRow("new user") << "newuser" << "" << QRect(0, 0, 450, 320);
    QTest::newRow("help") << "help" << "" << QRect(0, 0, 800, 560);
    QTest::newRow("message title") << "message" << "标题标签" << QRect(30, 5, 58, 24);
    QTest::newRow("confirmation title") << "confirm" << "标题标签" << QRect(30, 5, 74, 24);
    QTest::newRow("new-user title") << "newuser" << "标题标签" << QRect(30, 5, 69, 24);
    QTest::newRow("help title stays") << "help" << "标题标签" << QRect(30, 4, 106, 24);
    QTest::newRow("view page") << "view" << "" << QRect(2, 116, 856, 460);
    QTest::newRow("view list") << "view" << "理财列表框" << QRect(0, 42, 856, 378);
    QTest::newRow("view list title") << "view" << "标题标签" << QRect(0, 38, 856, 20);
    QTest::newRow("login bar") << "view" << "登录界面框" << QRect(2, 424, 852, 36);
    QTest::newRow("totals bar") << "view" << "统计界面框1" << QRect(2, 424, 852, 36);
    QTest::newRow("days bar") << "view" << "统计界面框2" << QRect(2, 424, 852, 36);
    QTest::newRow("refresh strip") << "view" << "刷新标签" << QRect(841, 42, 15, 378);
    QTest::newRow("view button stays") << "view" << "详细查看按钮" << QRect(479, 6, 90, 24);
    QTest::newRow("entry page") << "entry" << "" << QRect(2, 116, 856, 460);
    QTest::newRow("entry list") << "entry" << "添加理财列表框" << QRect(0, 200, 856, 258);
    QTest::newRow("entry list title") << "entry" << "标题标签" << QRect(0, 197, 856, 20);
    QTest::newRow("backup page") << "backup" << "" << QRect(2, 116, 856, 460);
    QTest::newRow("statistics page") << "statistics" << "" << QRect(2, 116, 856, 460);
    QTest::newRow("user page") << "user" << "" << QRect(2, 116, 856, 460);
    QTest::newRow("skin page") << "skin" << "" << QRect(2, 116, 856, 460);
    QTest::newRow("December's expense") << "statistics" << "月支出标签12" << QRect(723, 370, 136, 16);
    QTest::newRow("December's income") << "statistics" << "月收入标签12" << QRect(723, 398, 136, 16);
}

void TestWindowBuilder::placementAtCreation()
{
    QFETCH(QString, windowName);
    QFETCH(QString, unitName);
    QFETCH(QRect, rect);
    LayoutWindow main(QStringLiteral("main"));
    auto *w = new LayoutWindow(windowName, &main);
    w->placeAtCreation(&main);
    if (unitName.isEmpty())
        QCOMPARE(w->isPage() ? w->geometry() : QRect(QPoint(0, 0), w->size()), rect);
    else
        QCOMPARE(unitGeometry(w->unitObject(unitName)), rect);
}

void TestWindowBuilder::pagesGoIntoTheMainWindow()
{
    LayoutWindow main(QStringLiteral("main"));
    main.placeAtCreation();
    for (const char *name : {"view", "entry", "backup", "statistics", "user", "skin"}) {
        auto *page = new LayoutWindow(QString::fromUtf8(name));
        QVERIFY(page->isPage());
        page->placeAtCreation(&main);
        QCOMPARE(page->parentWidget(), static_cast<QWidget *>(&main));
        QVERIFY(!page->isWindow());
        QVERIFY(QRect(0, 0, 860, 600).contains(page->geometry()));
    }
    for (const char *name : {"main", "splash", "message", "confirm", "newuser", "help"}) {
        LayoutWindow w{QString::fromUtf8(name)};
        QVERIFY(!w.isPage());
        QVERIFY(w.isWindow());
        QVERIFY(w.windowFlags().testFlag(Qt::FramelessWindowHint));
    }
    QCOMPARE(main.windowTitle(), QStringLiteral("Varnel家庭理财"));
}

void TestWindowBuilder::refusedTables_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("complaint");
    const QString window = QStringLiteral("窗口 | 页面 | 100 | 80 | \n");
    QTest::newRow("no window line") << "甲 | 标签 | 0 | 0 | 10 | 10 |  |  |  |\n" << "first line";
    QTest::newRow("window of no size") << "窗口 | 顶层 | 0 | 80 | 题\n" << "size";
    QTest::newRow("window of no role") << "窗口 | 对话 | 10 | 80 | 题\n" << "顶层 or 页面";
    QTest::newRow("window placed at three numbers") << "窗口 | 页面 | 100 | 80 |  | placed=2,116,856\n" << "placed";
    QTest::newRow("unknown kind") << window + "甲 | 按钮 | 0 | 0 | 10 | 10 |  |  |  |\n" << "no kind";
    QTest::newRow("short line") << window + "甲 | 标签 | 0 | 0 | 10 | 10 |  |\n" << "ten fields";
    QTest::newRow("place not numbers") << window + "甲 | 标签 | 0 | x | 10 | 10 |  |  |  |\n" << "four numbers";
    QTest::newRow("negative width") << window + "甲 | 标签 | 0 | 0 | -10 | 10 |  |  |  |\n" << "four numbers";
    QTest::newRow("taken name") << window + "甲 | 标签 | 0 | 0 | 10 | 10 |  |  |  |\n甲 | 画板 | 0 | 0 | 1 | 1 |  |  |  |\n"
                                << "taken";
    QTest::newRow("container below") << window + "甲 | 标签 | 0 | 0 | 10 | 10 | 乙 |  |  |\n乙 | 外形框 | 0 | 0 | 20 | 20 |  |  |  |\n"
                                     << "not above";
    QTest::newRow("label holds nothing") << window + "甲 | 标签 | 0 | 0 | 10 | 10 |  |  |  |\n乙 | 标签 | 0 | 0 | 2 | 2 | 甲 |  |  |\n"
                                         << "cannot hold";
    QTest::newRow("unnamed unit") << window + " | 标签 | 0 | 0 | 10 | 10 |  |  |  |\n" << "without a name";
    QTest::newRow("placed at three numbers") << window + "甲 | 标签 | 0 | 0 | 10 | 10 |  |  |  | placed=1,2,3\n" << "neither two nor four";
    QTest::newRow("placed at words") << window + "甲 | 标签 | 0 | 0 | 10 | 10 |  |  |  | placed=a,b\n" << "neither two nor four";
}

void TestWindowBuilder::refusedTables()
{
    QFETCH(QString, table);
    QFETCH(QString, complaint);
    const LayoutTable parsed = parseLayout(QStringLiteral("test"), table);
    QVERIFY2(parsed.error.contains(complaint), qPrintable(parsed.error));
    QVERIFY(parsed.units.isEmpty());
    LayoutWindow w(parsed);
    QVERIFY(!w.isValid());
    QVERIFY(w.units().isEmpty());
}

void TestWindowBuilder::modalWindowReturnsWhenClosed()
{
    LayoutWindow message(QStringLiteral("message"));
    message.placeAtCreation();
    QSignalSpy closed(&message, &LayoutWindow::closed);
    QTimer::singleShot(50, &message, [&] {
        QVERIFY(message.isVisible());
        QCOMPARE(message.windowModality(), Qt::ApplicationModal);
        message.unit<GraphicButton>(QStringLiteral("图形按钮1"))->click();
    });
    connect(message.unit<GraphicButton>(QStringLiteral("图形按钮1")), &QAbstractButton::clicked, &message, &QWidget::close);
    message.execModal();
    QVERIFY(!message.isVisible());
    QCOMPARE(closed.size(), 1);
}

void TestWindowBuilder::windowFollowsTheMouseWhenMoved()
{
    LayoutWindow help(QStringLiteral("help"));
    help.move(100, 100);
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    const QPoint start = help.pos();
    // This platform has no window-system move, so the window follows the mouse itself.
    help.startMove(start + QPoint(40, 20));
    QMouseEvent drag(QEvent::MouseMove, QPointF(10, 10), QPointF(start + QPoint(70, 70)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&help, &drag);
    QCOMPARE(help.pos(), start + QPoint(30, 50));
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(10, 10), QPointF(start + QPoint(70, 70)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&help, &release);
    QMouseEvent later(QEvent::MouseMove, QPointF(10, 10), QPointF(start + QPoint(300, 300)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&help, &later);
    QCOMPARE(help.pos(), start + QPoint(30, 50));
}

void TestWindowBuilder::alwaysOnTopKeepsTheWindowShown()
{
    LayoutWindow splash(QStringLiteral("splash"));
    splash.show();
    splash.setAlwaysOnTop(true);
    QVERIFY(splash.alwaysOnTop());
    QVERIFY(splash.isVisible());
    QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    splash.setAlwaysOnTop(false);
    QVERIFY(!splash.alwaysOnTop());
    QVERIFY(splash.isVisible());
    splash.setBackgroundColour(QColor(224, 242, 231));
    QCOMPARE(splash.backgroundColour(), QColor(224, 242, 231));
}

void TestWindowBuilder::windowTitles_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("title");
    // The window system shows a window's own caption, or else its title label, never the class.
    QTest::newRow("message") << "message" << "提示：";
    QTest::newRow("confirm") << "confirm" << "提示：";
    QTest::newRow("new user") << "newuser" << "用户注册";
    QTest::newRow("help") << "help" << "帮助说明";
    QTest::newRow("page") << "entry" << "";
}

void TestWindowBuilder::windowTitles()
{
    QFETCH(QString, layout);
    QFETCH(QString, title);
    LayoutWindow window(layout);
    QCOMPARE(window.windowTitle(), title);
}

QTEST_MAIN(TestWindowBuilder)
#include "tst_windowbuilder.moc"
