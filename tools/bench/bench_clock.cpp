// bench_clock: steady-clock timing, series summaries and the report format.
// Every figure is printed as median with min and max, so one slow outlier on
// a busy machine shows as a wide range rather than a wrong median.
#include "bench_clock.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <ctime>

double bench_now_us() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

bench_summary bench_summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    return {median, samples.front(), samples.back(), (int)n};
}

bench_summary bench_map(const bench_summary& s, double (*f)(double)) {
    double a = f(s.min), b = f(s.max);
    return {f(s.median), std::min(a, b), std::max(a, b), s.count};
}

void bench_print_header(const char* title) {
    printf("\n== %s\n", title);
    printf("  %-44s %12s %12s %12s  %-6s %s\n", "figure", "median", "min", "max", "unit", "ratio");
}

void bench_print(const char* label, const bench_summary& s, const char* unit) {
    printf("  %-44s %12.1f %12.1f %12.1f  %-6s\n", label, s.median, s.min, s.max, unit);
}

void bench_print_ratio(const char* label, const bench_summary& s, const char* unit,
                       const bench_summary& baseline) {
    printf("  %-44s %12.1f %12.1f %12.1f  %-6s %.2fx\n", label, s.median, s.min, s.max, unit,
           s.median / baseline.median);
}

void bench_print_goal(const char* goal, double value, double limit, const char* unit) {
    printf("  goal: %-38s %12.3f %s (limit %.3f %s): %s\n", goal, value, unit, limit, unit,
           value <= limit ? "met" : "MISSED");
}

void bench_print_note(const char* format, ...) {
    va_list args;
    va_start(args, format);
    printf("  ");
    vprintf(format, args);
    printf("\n");
    va_end(args);
}
