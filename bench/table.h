#pragma once
// One row per measurement: both sides of every run, reduced to medians and a spread, and
// the ratio (ours / baseline per run) held against its target.
#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace xh::bench {

struct Row {
    Row(std::string what_, std::string baseline_, std::string unit_, std::string target_, double limit_,
        bool higherIsBetter_)
        : what(std::move(what_)), baseline(std::move(baseline_)), unit(std::move(unit_)), target(std::move(target_)),
          limit(limit_), higherIsBetter(higherIsBetter_) {}
    std::string what;
    std::string baseline;
    std::string unit;
    std::string target;          // as printed
    double limit = 1.0;          // the ratio's bound
    bool higherIsBetter = true;  // throughput: ratio >= limit; time, memory, size: ratio <= limit
    std::vector<double> ours, theirs;
    std::string note;  // why the row has no figures, or what went wrong
};

inline double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline std::string Figure(const std::vector<double>& v, const char* format) {
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    char median[32], low[32], high[32];
    std::snprintf(median, sizeof median, format, Median(v));
    std::snprintf(low, sizeof low, format, *lo);
    std::snprintf(high, sizeof high, format, *hi);
    if (v.size() == 1) return median;
    return std::string(median) + " (" + low + "-" + high + ")";
}

// Prints the table as Markdown; false when a row misses its target or has no figures.
inline bool PrintTable(const std::vector<Row>& rows, int runs) {
    std::printf("%d runs per row; figures are medians with the lowest and highest run in brackets;\n"
                "each ratio is ours / baseline within one run.\n\n",
                runs);
    std::printf("| measurement | ours | baseline | ratio | target | result |\n");
    std::printf("|---|---|---|---|---|---|\n");
    bool allMet = true;
    for (const Row& row : rows) {
        if (row.ours.empty()) {
            std::printf("| %s | - | %s | - | %s | not measured: %s |\n", row.what.c_str(), row.baseline.c_str(),
                        row.target.c_str(), row.note.c_str());
            continue;
        }
        std::vector<double> ratios;
        for (std::size_t i = 0; i < row.ours.size(); ++i) ratios.push_back(row.ours[i] / row.theirs[i]);
        const double ratio = Median(ratios);
        const bool met = row.higherIsBetter ? ratio >= row.limit : ratio <= row.limit;
        allMet = allMet && met && row.note.empty();
        const char* format = row.unit == "MB" ? "%.2f" : row.unit == "files/s" ? "%.0f" : "%.1f";
        std::printf("| %s | %s %s | %s %s (%s) | %s | %s | %s%s%s |\n", row.what.c_str(),
                    Figure(row.ours, format).c_str(), row.unit.c_str(), Figure(row.theirs, format).c_str(),
                    row.unit.c_str(), row.baseline.c_str(), Figure(ratios, "%.2fx").c_str(), row.target.c_str(),
                    met ? "met" : "MISSED", row.note.empty() ? "" : "; ", row.note.c_str());
    }
    return allMet;
}

}  // namespace xh::bench
