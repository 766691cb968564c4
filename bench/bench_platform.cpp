#include "core/codepage/codepage.h"
#include "core/text/numbertext.h"
#include "core/text/textcompare.h"

#include <benchmark/benchmark.h>

namespace {

QString documentText()
{
    QString text;
    for (int r = 0; r < 36; ++r) {
        for (int c = 0; c < 36; ++c)
            text += QStringLiteral("ｵｯｽﾞ%1,").arg(r * c);
        text += QStringLiteral("\r\n");
    }
    return text;
}

void cp932RoundTrip36x36(benchmark::State &state)
{
    const QString text = documentText();
    for (auto _ : state) {
        const Cp932::Encoded e = Cp932::encode(text);
        benchmark::DoNotOptimize(Cp932::decode(e.bytes));
    }
}
BENCHMARK(cp932RoundTrip36x36);

void foldAsciiHeader(benchmark::State &state)
{
    const QString header = QStringLiteral("投票金 stake");
    const QString ascii = QStringLiteral("payout total");
    for (auto _ : state) {
        benchmark::DoNotOptimize(foldText(ascii));
        benchmark::DoNotOptimize(textContains(header, QStringLiteral("投票金")));
    }
}
BENCHMARK(foldAsciiHeader);

void textEqualsKana(benchmark::State &state)
{
    const QString a = QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 12");
    const QString b = QStringLiteral("新規オッズドキュメント 12");
    for (auto _ : state)
        benchmark::DoNotOptimize(textEquals(a, b));
}
BENCHMARK(textEqualsKana);

void numberRoundTrip(benchmark::State &state)
{
    double x = 12.3456;
    for (auto _ : state) {
        x = textToNumber(numberToText(x)) + 0.0001;
        benchmark::DoNotOptimize(formatNumber(x, QStringLiteral("00.000")));
    }
}
BENCHMARK(numberRoundTrip);

} // namespace

BENCHMARK_MAIN();
