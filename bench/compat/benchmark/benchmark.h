// A stand-in for the part of Google Benchmark's interface that bench/ uses,
// for the Windows cross-build, where the library is not available. It
// measures the same way in spirit: iterations grow until a run lasts the
// minimum time, then each repetition runs that many, and the median of the
// repetitions' items per second is kept.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace benchmark {

template <typename T>
inline void DoNotOptimize(const T& value) {
    asm volatile("" : : "r,m"(value) : "memory");
}
inline void ClobberMemory() { asm volatile("" : : : "memory"); }

class State {
    using Clock = std::chrono::steady_clock;

public:
    State(std::int64_t iterations, int threadIndex, int threads)
        : m_iterations(iterations), m_threadIndex(threadIndex), m_threads(threads) {}

    struct __attribute__((unused)) Value {};
    class Iterator {
    public:
        Iterator(State* state, std::int64_t left) : m_state(state), m_left(left) {}
        Value operator*() const { return {}; }
        Iterator& operator++() {
            --m_left;
            return *this;
        }
        bool operator!=(const Iterator&) {
            if (m_left > 0) return true;
            m_state->Stop();
            return false;
        }

    private:
        State* m_state;
        std::int64_t m_left;
    };
    Iterator begin() {
        m_start = Clock::now();
        return Iterator(this, m_iterations);
    }
    Iterator end() { return Iterator(this, 0); }

    void PauseTiming() { m_paused = Clock::now(); }
    void ResumeTiming() { m_start += Clock::now() - m_paused; }
    std::int64_t iterations() const { return m_iterations; }
    int thread_index() const { return m_threadIndex; }
    int threads() const { return m_threads; }
    void SetItemsProcessed(std::int64_t items) { m_items = items; }

    double Seconds() const { return std::chrono::duration<double>(m_elapsed).count(); }
    std::int64_t Items() const { return m_items; }

private:
    void Stop() { m_elapsed = Clock::now() - m_start; }

    std::int64_t m_iterations;
    int m_threadIndex;
    int m_threads;
    std::int64_t m_items = 0;
    Clock::time_point m_start{}, m_paused{};
    Clock::duration m_elapsed{};
};

namespace internal {

class Benchmark {
public:
    Benchmark(std::string name, std::function<void(State&)> function)
        : m_name(std::move(name)), m_function(std::move(function)) {}
    Benchmark* Threads(int threads) { m_threads = threads; return this; }
    Benchmark* UseRealTime() { return this; }
    Benchmark* MinTime(double seconds) { m_minTime = seconds; return this; }
    Benchmark* Repetitions(int count) { m_repetitions = count; return this; }
    Benchmark* ReportAggregatesOnly(bool = true) { return this; }

    // Items per second of one run of `iterations` on every thread, over the
    // longest thread's time; and that time.
    std::pair<double, double> Run(std::int64_t iterations) {
        std::vector<State> states;
        for (int i = 0; i < m_threads; ++i) states.emplace_back(iterations, i, m_threads);
        std::vector<std::thread> threads;
        for (int i = 1; i < m_threads; ++i) threads.emplace_back([&, i] { m_function(states[i]); });
        m_function(states[0]);
        for (auto& thread : threads) thread.join();
        double seconds = 0;
        std::int64_t items = 0;
        for (const State& state : states) {
            seconds = std::max(seconds, state.Seconds());
            items += state.Items();
        }
        return {seconds > 0 ? items / seconds : 0, seconds};
    }

    // ns per item: the median over the repetitions.
    double Measure() {
        std::int64_t iterations = 1;
        for (;;) {
            const double seconds = Run(iterations).second;
            if (seconds >= m_minTime || iterations >= (std::int64_t{1} << 40)) break;
            const double factor = seconds > 0 ? 1.4 * m_minTime / seconds : 10;
            iterations = static_cast<std::int64_t>(
                static_cast<double>(iterations) * std::clamp(factor, 2.0, 10.0)) + 1;
        }
        std::vector<double> rates;
        for (int i = 0; i < m_repetitions; ++i) rates.push_back(Run(iterations).first);
        std::sort(rates.begin(), rates.end());
        const double median = rates[rates.size() / 2];
        std::printf("%-24s %10lld iterations x %d threads, median %.1f ns per item\n",
                    m_name.c_str(), static_cast<long long>(iterations), m_threads, 1e9 / median);
        std::fflush(stdout);
        return 1e9 / median;
    }

    const std::string& Name() const { return m_name; }

private:
    std::string m_name;
    std::function<void(State&)> m_function;
    int m_threads = 1;
    double m_minTime = 0.5;
    int m_repetitions = 1;
};

inline std::vector<std::unique_ptr<Benchmark>>& Registry() {
    static std::vector<std::unique_ptr<Benchmark>> registry;
    return registry;
}

}  // namespace internal

template <typename Function>
internal::Benchmark* RegisterBenchmark(const char* name, Function function) {
    internal::Registry().push_back(std::make_unique<internal::Benchmark>(name, function));
    return internal::Registry().back().get();
}

inline void Initialize(int*, char**) {}
inline void Shutdown() {}

// The median ns per item of every case, in registration order.
inline std::vector<std::pair<std::string, double>> RunAndCollectMedians() {
    std::vector<std::pair<std::string, double>> medians;
    for (const auto& benchmark : internal::Registry())
        medians.emplace_back(benchmark->Name(), benchmark->Measure());
    return medians;
}

}  // namespace benchmark
