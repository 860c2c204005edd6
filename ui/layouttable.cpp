#include "ui/layouttable.h"

#include <algorithm>

#include <QFile>
#include <QSet>

const LayoutUnit *LayoutTable::find(const QString &unit) const
{
    for (const LayoutUnit &u : units)
        if (u.name == unit)
            return &u;
    return nullptr;
}

namespace {

bool readInt(const QString &text, int &value)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok;
}

QHash<QString, QString> readOptions(const QString &field)
{
    QHash<QString, QString> options;
    for (const QString &option : field.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const int eq = option.indexOf(QLatin1Char('='));
        if (eq < 0)
            options.insert(option, QString());
        else
            options.insert(option.left(eq), option.mid(eq + 1));
    }
    return options;
}

bool placeIsValid(const QHash<QString, QString> &options)
{
    const auto found = options.constFind(QStringLiteral("placed"));
    if (found == options.constEnd())
        return true;
    const QStringList numbers = found->split(QLatin1Char(','));
    int ignored = 0;
    return (numbers.size() == 2 || numbers.size() == 4)
        && std::all_of(numbers.begin(), numbers.end(), [&ignored](const QString &n) { return readInt(n, ignored); });
}

} // namespace

QRect placedRect(const QHash<QString, QString> &options, const QRect &designed)
{
    const QStringList numbers = options.value(QStringLiteral("placed")).split(QLatin1Char(','));
    if (numbers.size() == 2)
        return QRect(QPoint(numbers[0].toInt(), numbers[1].toInt()), designed.size());
    if (numbers.size() == 4)
        return QRect(numbers[0].toInt(), numbers[1].toInt(), numbers[2].toInt(), numbers[3].toInt());
    return designed;
}

LayoutTable parseLayout(const QString &name, const QString &text)
{
    LayoutTable table;
    table.name = name;
    QSet<QString> names;
    bool haveWindow = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        auto fail = [&](const QString &why) {
            table.error = QStringLiteral("%1, line %2: %3").arg(name).arg(i + 1).arg(why);
            table.units.clear();
            return table;
        };
        QStringList fields = line.split(QLatin1Char('|'));
        for (QString &f : fields)
            f = f.trimmed();

        if (!haveWindow) {
            if ((fields.size() != 5 && fields.size() != 6) || fields[0] != QStringLiteral("窗口"))
                return fail(QStringLiteral("the first line names the window: 窗口 | 顶层 or 页面 | width | height | caption [| options]"));
            int w = 0, h = 0;
            if (!readInt(fields[2], w) || !readInt(fields[3], h) || w <= 0 || h <= 0)
                return fail(QStringLiteral("the window size is no pair of positive numbers"));
            if (fields[1] != QStringLiteral("顶层") && fields[1] != QStringLiteral("页面"))
                return fail(QStringLiteral("a window is 顶层 or 页面"));
            table.page = fields[1] == QStringLiteral("页面");
            table.size = QSize(w, h);
            table.caption = fields[4];
            if (fields.size() == 6) {
                table.options = readOptions(fields[5]);
                if (!placeIsValid(table.options))
                    return fail(QStringLiteral("the window is placed at neither two nor four numbers"));
            }
            haveWindow = true;
            continue;
        }

        if (fields.size() != 10)
            return fail(QStringLiteral("a unit line has ten fields, this one %1").arg(fields.size()));
        LayoutUnit unit;
        unit.name = fields[0];
        if (unit.name.isEmpty())
            return fail(QStringLiteral("a unit without a name"));
        if (names.contains(unit.name))
            return fail(QStringLiteral("the unit name %1 is taken").arg(unit.name));
        unit.kind = unitKindFromName(fields[1]);
        if (unit.kind == UnitKind::None)
            return fail(QStringLiteral("%1 is no kind of unit").arg(fields[1]));
        int l = 0, t = 0, w = 0, h = 0;
        if (!readInt(fields[2], l) || !readInt(fields[3], t) || !readInt(fields[4], w) || !readInt(fields[5], h) || w < 0
            || h < 0)
            return fail(QStringLiteral("the place of %1 is not four numbers").arg(unit.name));
        unit.rect = QRect(l, t, w, h);
        unit.inside = fields[6];
        if (!unit.inside.isEmpty()) {
            const LayoutUnit *container = table.find(unit.inside);
            if (!container)
                return fail(QStringLiteral("%1 sits inside %2, which is not above it").arg(unit.name, unit.inside));
            if (container->kind != UnitKind::ShapeBox && container->kind != UnitKind::PictureBox)
                return fail(QStringLiteral("%1 cannot hold units").arg(unit.inside));
        }
        unit.text = fields[7];
        unit.tag = fields[8];
        unit.options = readOptions(fields[9]);
        if (!placeIsValid(unit.options))
            return fail(QStringLiteral("%1 is placed at neither two nor four numbers").arg(unit.name));
        names.insert(unit.name);
        table.units.append(unit);
    }
    if (!haveWindow)
        table.error = QStringLiteral("%1: no window line").arg(name);
    return table;
}

LayoutTable loadLayout(const QString &name)
{
    QFile file(QStringLiteral(":/layouts/%1.txt").arg(name));
    if (!file.open(QIODevice::ReadOnly)) {
        LayoutTable table;
        table.name = name;
        table.error = QStringLiteral("no layout named %1").arg(name);
        return table;
    }
    return parseLayout(name, QString::fromUtf8(file.readAll()));
}

QStringList layoutNames()
{
    return {QStringLiteral("main"),    QStringLiteral("splash"),     QStringLiteral("view"),
            QStringLiteral("entry"),   QStringLiteral("backup"),     QStringLiteral("statistics"),
            QStringLiteral("user"),    QStringLiteral("skin"),       QStringLiteral("message"),
            QStringLiteral("confirm"), QStringLiteral("newuser"),    QStringLiteral("help"),
            QStringLiteral("server")};
}
