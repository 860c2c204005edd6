#include "lookups.h"

#include "common/sqltext.h"
#include "dataaccess/dbrecordset.h"
#include "ledger/schema.h"

namespace {

// Replaces the list with one column of a query and gives the box its first item or the default.
void fill(DbRecordset &recordset, const QString &query, const QString &column, const QString &fallback,
          QStringList &list, QString &box)
{
    recordset.Open(query);
    const qint64 n = recordset.RecordCount();
    list.clear();
    for (qint64 i = 0; i < n; ++i) {
        list.append(recordset.GetText(column));
        recordset.MoveNext();
    }
    box = list.isEmpty() ? fallback : list.first();
}

} // namespace

void loadItemTypes(DbRecordset &recordset, QStringList &types, QString &typeBox)
{
    fill(recordset, QStringLiteral("select * from xmlxsj order by xmlx"), RecordColumn::type, QStringLiteral("生活"),
         types, typeBox);
}

void loadItemNames(DbRecordset &recordset, const QString &type, QStringList &names, QString &nameBox)
{
    fill(recordset,
         QStringLiteral("select * from xmmcsj where xmlx=") + quoteText(type) + QStringLiteral(" order by xmmc"),
         RecordColumn::name, QStringLiteral("早餐"), names, nameBox);
}

void loadPersons(DbRecordset &recordset, const QString &currentUser, QStringList &persons, QString &personBox)
{
    fill(recordset, QStringLiteral("select * from rysj order by ry"), RecordColumn::person, currentUser, persons,
         personBox);
}

bool deleteRecord(DbConnection &connection, qint64 id, Prompter &prompter, const std::function<void()> &afterDeletion)
{
    if (!prompter.askConfirm(QStringLiteral("是否真的要删除选中的记录！")))
        return false;
    if (!connection.Execute(QStringLiteral("delete from lcsj where id=") + QString::number(id))) {
        prompter.showMessage(QStringLiteral("删除记录失败！"));
        return false;
    }
    if (afterDeletion)
        afterDeletion();
    prompter.showMessage(QStringLiteral("删除记录成功！"));
    return true;
}

bool deleteItemName(DbConnection &connection, const QString &name, QStringList &names, QString &nameBox,
                    Prompter &prompter)
{
    if (!prompter.askConfirm(QStringLiteral("是否真的要删除项目名称？")))
        return false;
    if (!connection.Execute(QStringLiteral("delete from xmmcsj where xmmc=") + quoteText(name))) {
        prompter.showMessage(QStringLiteral("删除项目名称失败！"));
        return false;
    }
    if (names.removeOne(name))
        nameBox = names.isEmpty() ? QString() : names.first();
    return true;
}

bool deleteItemType(DbConnection &connection, DbRecordset &recordset, const QString &type, QStringList &types,
                    QString &typeBox, QStringList &names, QString &nameBox, Prompter &prompter)
{
    if (!prompter.askConfirm(QStringLiteral("删除项目类型后，与之相关的项目名称也会一起删除！是否继续？")))
        return false;
    if (!connection.Execute(QStringLiteral("delete from xmlxsj where xmlx=") + quoteText(type))) {
        prompter.showMessage(QStringLiteral("删除项目类型失败！"));
        return false;
    }
    if (!connection.Execute(QStringLiteral("delete from xmmcsj where xmlx=") + quoteText(type))) {
        prompter.showMessage(QStringLiteral("删除项目名称失败[01]！"));
        return false;
    }
    if (types.removeOne(type)) {
        typeBox = types.isEmpty() ? QString() : types.first();
        loadItemNames(recordset, typeBox, names, nameBox);
    }
    return true;
}
