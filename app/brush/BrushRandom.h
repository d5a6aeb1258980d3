#pragma once

#include <cstdint>
#include <random>

// Uniform 32-bit random numbers for one brush engine. Seeded from the system's
// entropy source unless a seed is given, so tests can repeat a stroke exactly.
class BrushRandom
{
public:
    BrushRandom();
    explicit BrushRandom(uint32_t seed);

    void seed(uint32_t seed);
    uint32_t next();

private:
    std::mt19937 m_engine;
};
