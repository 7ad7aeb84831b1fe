#pragma once
// Reproducible random choices. The engine's output is fixed by the language
// standard but its distributions are not, so every draw is made here from raw
// engine output: the same seed gives the same database on every machine.

#include <QtGlobal>

#include <cstdint>
#include <random>
#include <span>

namespace makedb {

class Random
{
public:
    explicit Random(std::uint64_t seed) : m_engine(seed) {}

    /// Uniform in [0, bound); `bound` must be positive.
    std::uint64_t below(std::uint64_t bound)
    {
        Q_ASSERT(bound > 0);
        // Drop the few smallest raw values so that every remainder is equally likely.
        const std::uint64_t threshold = (0 - bound) % bound;
        std::uint64_t raw;
        do {
            raw = m_engine();
        } while (raw < threshold);
        return raw % bound;
    }

    /// Uniform in [low, high], both included.
    int between(int low, int high)
    {
        Q_ASSERT(low <= high);
        return low + int(below(std::uint64_t(qint64(high) - low + 1)));
    }

    /// True with probability numerator / denominator.
    bool chance(std::uint64_t numerator, std::uint64_t denominator) { return below(denominator) < numerator; }

    /// An index into `weights`, each chosen in proportion to its (non-negative) weight.
    std::size_t weighted(std::span<const int> weights)
    {
        std::uint64_t total = 0;
        for (int w : weights)
            total += std::uint64_t(w);
        Q_ASSERT(total > 0);
        std::uint64_t ticket = below(total);
        for (std::size_t i = 0; i < weights.size(); ++i) {
            if (ticket < std::uint64_t(weights[i]))
                return i;
            ticket -= std::uint64_t(weights[i]);
        }
        return weights.size() - 1;
    }

    template <class T, std::size_t N>
    const T &pick(const T (&items)[N])
    {
        return items[below(N)];
    }

private:
    std::mt19937_64 m_engine;
};

} // namespace makedb
