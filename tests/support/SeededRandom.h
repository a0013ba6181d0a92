#pragma once
// Random choices that a failing test can replay: the engine's seed is VELMARO_TEST_SEED when
// that variable is set, and a fresh one otherwise; either way the test prints it.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <random>
#include <stdexcept>
#include <string>

namespace velmaro::testing {

// The environment variable that replays a test's random choices.
inline constexpr const char* kTestSeedVariable = "VELMARO_TEST_SEED";

// A random engine seeded from VELMARO_TEST_SEED or, without it, from the system's randomness.
// It prints its seed when it is made; Replay() gives the same words for a failure's trace.
class SeededRandom {
public:
    SeededRandom() : seed_(ChosenSeed()), engine_(seed_) {
        std::cout << "Semilla de esta prueba: " << Replay() << std::endl;
        ::testing::Test::RecordProperty(kTestSeedVariable, std::to_string(seed_));
    }

    std::uint64_t Seed() const { return seed_; }

    // "VELMARO_TEST_SEED=<seed>", as it is set to replay this run's choices.
    std::string Replay() const {
        return std::string(kTestSeedVariable) + "=" + std::to_string(seed_);
    }

    // A number drawn uniformly from [low, high).
    double Uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(engine_);
    }

    // The engine itself, for other distributions.
    std::mt19937_64& Engine() { return engine_; }

private:
    // The seed VELMARO_TEST_SEED names (decimal), else a fresh one. A value that is not a
    // decimal number stops the test rather than being taken for another seed.
    static std::uint64_t ChosenSeed() {
        const char* given = std::getenv(kTestSeedVariable);
        if (given == nullptr || *given == '\0') {
            std::random_device device;
            return (static_cast<std::uint64_t>(device()) << 32) | device();
        }
        const std::string text = given;
        std::size_t used = 0;
        std::uint64_t seed = 0;
        try {
            seed = std::stoull(text, &used, 10);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used == 0 || used != text.size() || text.front() == '-') {
            throw std::invalid_argument(std::string(kTestSeedVariable) +
                                        " is not a decimal seed: '" + text + "'");
        }
        return seed;
    }

    std::uint64_t seed_;
    std::mt19937_64 engine_;
};

}  // namespace velmaro::testing
