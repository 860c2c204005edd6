// The helpers every list row goes through: amount text, number reading and the password digest.
#include "common/numbers.h"
#include "users/passworddigest.h"

#include <QCryptographicHash>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

static void amount_text_ours(benchmark::State &state)
{
    double v = 0.01;
    for (auto _ : state) {
        benchmark::DoNotOptimize(amountText(v));
        v += 1.37;
    }
}
// Baseline: Qt's own fixed two-decimal formatting, which rounds the binary value instead.
static void amount_text_baseline(benchmark::State &state)
{
    double v = 0.01;
    for (auto _ : state) {
        benchmark::DoNotOptimize(QString::number(v, 'f', 2));
        v += 1.37;
    }
}
BENCHMARK(amount_text_ours)->Name("amount_text/ours");
BENCHMARK(amount_text_baseline)->Name("amount_text/baseline");

static void text_to_number_ours(benchmark::State &state)
{
    const QString text = QStringLiteral("  1234.56元");
    for (auto _ : state)
        benchmark::DoNotOptimize(textToNumber(text));
}
// Baseline: the C library's reading of the same digits.
static void text_to_number_baseline(benchmark::State &state)
{
    const QString text = QStringLiteral("  1234.56元");
    for (auto _ : state)
        benchmark::DoNotOptimize(std::strtod(text.toLatin1().constData(), nullptr));
}
BENCHMARK(text_to_number_ours)->Name("text_to_number/ours");
BENCHMARK(text_to_number_baseline)->Name("text_to_number/baseline");

static void digest_ours(benchmark::State &state)
{
    const QByteArray message(state.range(0), 'p');
    for (auto _ : state)
        benchmark::DoNotOptimize(passwordDigestOfBytes(message));
}
// Baseline: Qt's standard MD5 of the same bytes.
static void digest_baseline(benchmark::State &state)
{
    const QByteArray message(state.range(0), 'p');
    for (auto _ : state)
        benchmark::DoNotOptimize(QCryptographicHash::hash(message, QCryptographicHash::Md5).toHex());
}
BENCHMARK(digest_ours)->Name("digest/ours")->Arg(16)->Arg(1 << 20);
BENCHMARK(digest_baseline)->Name("digest/baseline")->Arg(16)->Arg(1 << 20);
