// The main of every benchmark: runs them, then prints each "<case>/ours" as a ratio of the time of
// "<case>/baseline" from the same run, so the figures mean the same on any machine. With
// --benchmark_repetitions the ratio is of the means. Both the wall clock (what a person waits) and
// the processor time (what other work on the machine disturbs less) are given.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>

namespace {

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            // With repetitions the mean stands for the case; without, its one run.
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean") {
                times[name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
                means.insert(name);
            } else if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !means.count(name)) {
                times[name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            }
        }
    }
    void printRatios() const
    {
        std::printf("\nratios against the baseline of the same run (wall clock, processor time):\n");
        for (const auto &[name, time] : times) {
            const std::size_t at = name.find("/ours");
            if (at == std::string::npos)
                continue;
            std::string baseline = name;
            baseline.replace(at, 5, "/baseline");
            const auto found = times.find(baseline);
            if (found != times.end() && found->second.first > 0 && found->second.second > 0)
                std::printf("  %-50s %6.2fx %6.2fx\n", name.c_str(), time.first / found->second.first,
                            time.second / found->second.second);
        }
    }

private:
    std::map<std::string, std::pair<double, double>> times; // wall clock, processor time
    std::set<std::string> means;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
