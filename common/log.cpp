#include "log.h"

#include "clock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

Q_LOGGING_CATEGORY(logData, "kelm.data")
Q_LOGGING_CATEGORY(logExchange, "kelm.exchange")
Q_LOGGING_CATEGORY(logUsers, "kelm.users")
Q_LOGGING_CATEGORY(logShell, "kelm.shell")

namespace {

QString logPath;
qint64 logLimit = 0;
QtMessageHandler previousHandler = nullptr;

void writeToLog(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    static const char *const kinds[] = {"debug", "warning", "critical", "fatal", "info"};
    const QString line = QStringLiteral("%1 %2 %3: %4")
                             .arg(Clock::now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                                  QLatin1String(kinds[qBound(0, int(type), 4)]),
                                  QLatin1String(context.category ? context.category : "default"), text);
    appendLogLine(logPath, line, logLimit);
    if (previousHandler)
        previousHandler(type, context, text);
}

} // namespace

QString loggableStatement(const QString &statement)
{
    static const QRegularExpression secret(QStringLiteral("yhmm|password|pwd"), QRegularExpression::CaseInsensitiveOption);
    if (!statement.contains(secret))
        return statement;
    static const QRegularExpression quoted(QStringLiteral("'(?:[^']|'')*'|\"(?:[^\"]|\"\")*\""));
    QString masked = statement;
    masked.replace(quoted, QStringLiteral("'***'"));
    return masked;
}

QString loggableConnectionString(const QString &connectionString)
{
    static const QRegularExpression value(QStringLiteral("((?:password|pwd)\\s*=\\s*)(\"(?:[^\"]|\"\")*\"|'(?:[^']|'')*'|[^;]*)"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString masked = connectionString;
    masked.replace(value, QStringLiteral("\\1***"));
    return masked;
}

bool appendLogLine(const QString &path, const QString &line, qint64 maxBytes)
{
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).size() > maxBytes) {
        QFile::remove(path + QStringLiteral(".1"));
        QFile::rename(path, path + QStringLiteral(".1"));
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    return file.write((line + u'\n').toUtf8()) > 0;
}

void startLogFile(const QString &folder, qint64 maxBytes)
{
    logPath = QDir(folder).filePath(QStringLiteral("kelm.log"));
    logLimit = maxBytes;
    previousHandler = qInstallMessageHandler(writeToLog);
}
