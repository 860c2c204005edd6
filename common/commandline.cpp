#include "commandline.h"

#include "program.h"

CommandLineAnswer answerCommandLine(const QStringList &arguments)
{
    for (const QString &argument : arguments) {
        if (argument == QStringLiteral("--"))
            break; // what follows names files, not options
        if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h")) {
            return {true, QStringLiteral("用法：%1 [选项]\n"
                                         "%2：一家人记录收入和支出的账本。\n"
                                         "\n"
                                         "选项：\n"
                                         "  -h, --help     显示本说明后退出\n"
                                         "  -v, --version  显示版本号后退出\n"
                                         "\n"
                                         "其他参数不起作用。程序已在运行时，再次启动会把已打开的窗口显示到最前面。\n"
                                         "安装版的数据在 ~/.local/share/%1/data/，设置在 ~/.config/%1/；\n"
                                         "从自带 data 文件夹的目录运行时，一切都保存在程序旁边。\n")
                              .arg(programName, applicationTitle)};
        }
        if (argument == QStringLiteral("--version") || argument == QStringLiteral("-v"))
            return {true, programName + u' ' + versionText + u'\n'};
    }
    return {};
}
