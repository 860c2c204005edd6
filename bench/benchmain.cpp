// The main of every benchmark: runs them, then prints each "<case>/ours" as a ratio of the time of
// "<case>/baseline" from the same run, so the figures mean the same on any machine. With
// --benchmark_repetitions the ratio is of the medians. Both the wall clock (what a person waits) and
// the processor time (what other work on the machine disturbs less) are given. Cases that time
// their first, cold pass (ColdClock) get a ratio of that pass too, from their first repetition.
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
            // With repetitions the median stands for the case; without, its one run.
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Iteration && run.repetition_index == 0) {
                const auto wall = run.counters.find("cold_ms");
                const auto cpu = run.counters.find("cold_cpu_ms");
                if (wall != run.counters.end() && cpu != run.counters.end())
                    cold[name] = {wall->second.value, cpu->second.value};
            }
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                times[name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
                medians.insert(name);
            } else if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !medians.count(name)) {
                times[name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            }
        }
    }
    void printRatios() const
    {
        std::printf("\nratios against the baseline of the same run (wall clock, processor time):\n");
        print(times);
        if (!cold.empty()) {
            std::printf("\nfirst (cold) pass of the first repetition, against the baseline's:\n");
            print(cold);
        }
    }

private:
    using Times = std::map<std::string, std::pair<double, double>>; // wall clock, processor time
    static void print(const Times &times)
    {
        for (const auto &[name, time] : times) {
            const std::size_t at = name.find("/ours");
            if (at == std::string::npos)
                continue;
            // "<case>/ours_<variant>" is compared with "<case>/baseline_<variant>", or else with the
            // case's one baseline.
            std::string baseline = name;
            baseline.replace(at, 5, "/baseline");
            auto found = times.find(baseline);
            if (found == times.end())
                found = times.find(name.substr(0, at) + "/baseline");
            if (found != times.end() && found->second.first > 0 && found->second.second > 0)
                std::printf("  %-50s %6.2fx %6.2fx\n", name.c_str(), time.first / found->second.first,
                            time.second / found->second.second);
        }
    }

    Times times;
    Times cold;
    std::set<std::string> medians;
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
