#include "skinlist.h"

#include "common/gbk.h"
#include "common/program.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringList>

SkinListResult readSkinList(const QString &listText, const QString &pictureFolder, const QString &signature)
{
    SkinListResult result;
    result.records.append({toGbk(QStringLiteral("签名")), toGbk(signature)});
    const QStringList lines = listText.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const auto fail = [&](const QString &what) {
            result.records.clear();
            result.error = QStringLiteral("line %1: %2").arg(i + 1).arg(what);
            return result;
        };
        const qsizetype space = line.indexOf(u' ');
        const qsizetype eq = line.indexOf(u'=');
        if (space < 0 || eq < space)
            return fail(QStringLiteral("expected \"kind name=value\""));
        const QString kind = line.left(space);
        const QString name = line.mid(space + 1, eq - space - 1).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (name.isEmpty())
            return fail(QStringLiteral("the entry has no name"));

        SkinRecord record{toGbk(name), {}};
        if (kind == QLatin1String("text")) {
            record.value = toGbk(value);
        } else if (kind == QLatin1String("colour")) {
            bool ok = false;
            const qint64 colour = value.toLongLong(&ok);
            if (!ok || colour < 0 || colour > 0xFFFFFF)
                return fail(QStringLiteral("\"%1\" is not a colour between 0 and 16777215").arg(value));
            record.value = QByteArray::number(colour);
        } else if (kind == QLatin1String("file")) {
            QFile picture(QDir(pictureFolder).filePath(value));
            if (!picture.open(QIODevice::ReadOnly))
                return fail(QStringLiteral("cannot read %1").arg(picture.fileName()));
            record.value = picture.readAll();
        } else {
            return fail(QStringLiteral("unknown kind \"%1\"").arg(kind));
        }
        if (!fitsInSkinRecord(record.name) || record.name.contains('\0'))
            return fail(QStringLiteral("the name \"%1\" contains a separator").arg(name));
        if (!fitsInSkinRecord(record.value))
            return fail(QStringLiteral("the value of \"%1\" contains a separator").arg(name));
        result.records.append(record);
    }
    return result;
}

QString buildSkinFile(const QString &listPath, const QString &pictureFolder, const QString &outputPath)
{
    QFile list(listPath);
    if (!list.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1").arg(listPath);
    const SkinListResult parsed = readSkinList(QString::fromUtf8(list.readAll()), pictureFolder, applicationTitle);
    if (!parsed.error.isEmpty())
        return listPath + u':' + parsed.error;
    const QByteArray file = encodeSkinFile(parsed.records, skinKey());
    QSaveFile out(outputPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size() || !out.commit())
        return QStringLiteral("cannot write %1").arg(outputPath);
    return {};
}
