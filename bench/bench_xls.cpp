// Writing and reading an exchange sheet of ledger rows, against writing and reading the same
// cells as a CSV text file: the plainest export a ledger could make.
#include "dataaccess/xls/xlsworkbook.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <benchmark/benchmark.h>

namespace {

const QList<XlsColumn> columns{
    {QStringLiteral("项目类型"), XlsColumnType::Text}, {QStringLiteral("项目名称"), XlsColumnType::Text},
    {QStringLiteral("支出金额"), XlsColumnType::Number}, {QStringLiteral("收入金额"), XlsColumnType::Number},
    {QStringLiteral("人员"), XlsColumnType::Text}, {QStringLiteral("日期"), XlsColumnType::Date},
    {QStringLiteral("备注"), XlsColumnType::Text}};

QList<QList<XlsValue>> ledgerRows(int count)
{
    const QStringList types{"生活", "交通", "工资", "医疗", "娱乐"};
    const QStringList names{"早餐", "地铁", "月薪", "药品", "电影", "午餐", "晚餐"};
    const QStringList persons{"张三", "李四", "王五"};
    QList<QList<XlsValue>> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i)
        rows.append({XlsValue::fromText(types.at(i % types.size())),
                     XlsValue::fromText(names.at(i % names.size())),
                     XlsValue::fromNumber((i % 1000) * 1.25), XlsValue::fromNumber(0),
                     XlsValue::fromText(persons.at(i % persons.size())),
                     XlsValue::fromDate(QDateTime(QDate(2012, 1, 1).addDays(i % 3000), QTime(0, 0))),
                     i % 4 ? XlsValue() : XlsValue::fromText(QStringLiteral("备注%1").arg(i))});
    return rows;
}

void writeCsv(const QString &path, const QList<QList<XlsValue>> &rows)
{
    QSaveFile file(path);
    file.open(QIODevice::WriteOnly);
    QTextStream out(&file);
    for (const XlsColumn &c : columns)
        out << c.title << ',';
    out << '\n';
    for (const QList<XlsValue> &row : rows) {
        for (const XlsValue &v : row) {
            if (v.kind == XlsValue::Text)
                out << v.text;
            else if (v.kind == XlsValue::Number)
                out << QString::number(v.number, 'g', 15);
            else if (v.kind == XlsValue::Date)
                out << v.date.toString(QStringLiteral("yyyy-MM-dd"));
            out << ',';
        }
        out << '\n';
    }
    out.flush();
    file.commit();
}

void write_ours(benchmark::State &state)
{
    const QList<QList<XlsValue>> rows = ledgerRows(int(state.range(0)));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ledger.xls"));
    for (auto _ : state) {
        QFile::remove(path);
        benchmark::DoNotOptimize(writeXlsSheet(path, QStringLiteral("lcsj"), columns, rows));
    }
}
void write_baseline(benchmark::State &state)
{
    const QList<QList<XlsValue>> rows = ledgerRows(int(state.range(0)));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ledger.csv"));
    for (auto _ : state)
        writeCsv(path, rows);
}

void read_ours(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ledger.xls"));
    writeXlsSheet(path, QStringLiteral("lcsj"), columns, ledgerRows(int(state.range(0))));
    for (auto _ : state) {
        XlsSheet sheet;
        benchmark::DoNotOptimize(readXlsSheet(path, QStringLiteral("lcsj"), &sheet));
    }
}
// Baseline: the CSV file read back into typed cells.
void read_baseline(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ledger.csv"));
    writeCsv(path, ledgerRows(int(state.range(0))));
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        QTextStream in(&file);
        QList<QList<XlsValue>> rows;
        in.readLine();
        while (!in.atEnd()) {
            const QStringList fields = in.readLine().split(u',');
            QList<XlsValue> row;
            row.reserve(7);
            for (int c = 0; c < 7 && c < fields.size(); ++c) {
                if (c == 2 || c == 3)
                    row.append(XlsValue::fromNumber(fields.at(c).toDouble()));
                else if (c == 5)
                    row.append(XlsValue::fromDate(QDateTime(QDate::fromString(fields.at(c), Qt::ISODate), QTime(0, 0))));
                else
                    row.append(fields.at(c).isEmpty() ? XlsValue() : XlsValue::fromText(fields.at(c)));
            }
            rows.append(row);
        }
        benchmark::DoNotOptimize(rows);
    }
}

} // namespace

BENCHMARK(write_ours)->Name("write_sheet/ours")->Arg(15000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(write_baseline)->Name("write_sheet/baseline")->Arg(15000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(read_ours)->Name("read_sheet/ours")->Arg(15000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(read_baseline)->Name("read_sheet/baseline")->Arg(15000)->Arg(60000)->Unit(benchmark::kMillisecond);
