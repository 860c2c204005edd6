#pragma once
// Times the first pass of a benchmark's loop on its own, the cold one a person meets first (after
// login, say), which the means over the warm passes hide. Construct it right before the loop and
// call lap() at the end of each pass; the reporter prints these as "first pass" ratios.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

class ColdClock
{
public:
    explicit ColdClock(benchmark::State &state) : state(state), wall(std::chrono::steady_clock::now()), cpu(std::clock()) {}
    void lap()
    {
        if (done)
            return;
        done = true;
        const double wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall).count();
        const double cpuMs = double(std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC;
        state.counters["cold_ms"] = wallMs;
        state.counters["cold_cpu_ms"] = cpuMs;
    }

private:
    benchmark::State &state;
    std::chrono::steady_clock::time_point wall;
    std::clock_t cpu;
    bool done = false;
};
