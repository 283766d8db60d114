#pragma once
// Figures of the benchmarks' samples.

#include <algorithm>
#include <cmath>
#include <vector>

// The `p`-th quantile (0 to 1) of the samples by the nearest-rank rule: p 0.5
// is the median, 0.99 the value that 99 % of the samples do not exceed.
inline double Percentile(std::vector<double> samples, double p)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const auto rank = std::size_t(std::max(1.0, std::ceil(p * double(samples.size()))));
    return samples[std::min(samples.size(), rank) - 1];
}
