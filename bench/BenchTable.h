#pragma once
// One table for every benchmark: each figure with what it is compared with, the ratio and the
// target. The benchmarks print rows; bench/run.sh prints the heading once.
#include <cstdio>
#include <string>

namespace bench {

inline void printHeading()
{
    std::printf("%-74s %12s %12s %8s %9s  %s\n", "figure", "value", "against", "ratio", "target", "holds");
    std::printf("%s\n", std::string(126, '-').c_str());
}

// `target` is the highest ratio allowed; 0 for a figure without a target.
inline void printRow(const std::string &figure, const std::string &value, const std::string &against, double ratio,
                     double target)
{
    char r[32] = "", t[32] = "", h[16] = "";
    // A small share (a part of a list against the whole) keeps its first digits.
    if (ratio > 0)
        std::snprintf(r, sizeof r, ratio < 0.1 ? "%.4f" : "%.2f", ratio);
    if (target > 0) {
        std::snprintf(t, sizeof t, "<= %.2f", target);
        std::snprintf(h, sizeof h, "%s", ratio <= target ? "yes" : "NO");
    }
    std::printf("%-74s %12s %12s %8s %9s  %s\n", figure.c_str(), value.c_str(), against.c_str(), r, t, h);
    std::fflush(stdout);
}

inline std::string msText(double ms)
{
    char b[32];
    std::snprintf(b, sizeof b, ms < 10 ? "%.2f ms" : "%.0f ms", ms);
    return b;
}

inline std::string mbText(double bytes)
{
    char b[32];
    std::snprintf(b, sizeof b, "%.0f MB", bytes / 1048576.0);
    return b;
}

}
