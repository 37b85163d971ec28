// bench_clock: the stopwatch of the benchmark, the summary of a series of
// timings (median, min, max) and the aligned report lines.
#pragma once
#include <vector>

/// Microseconds on a steady clock since an arbitrary start.
double bench_now_us();

/// Median, fastest and slowest of a series of measurements.
struct bench_summary {
    double median;
    double min;
    double max;
    int count;
};

/// Summarises a series (it must not be empty).
bench_summary bench_summarise(std::vector<double> samples);

/// Every sample turned by f(sample), e.g. a time into a rate.
bench_summary bench_map(const bench_summary& s, double (*f)(double));

/// The header line of a table of figures.
void bench_print_header(const char* title);

/// One figure line: label, median, min, max and unit.
void bench_print(const char* label, const bench_summary& s, const char* unit);

/// One figure line with its ratio to a baseline figure.
void bench_print_ratio(const char* label, const bench_summary& s, const char* unit,
                       const bench_summary& baseline);

/// A goal line: what was asked, the value reached, and whether it was met.
void bench_print_goal(const char* goal, double value, double limit, const char* unit);

/// A free line of text, indented like the figures.
void bench_print_note(const char* format, ...) __attribute__((format(printf, 1, 2)));
