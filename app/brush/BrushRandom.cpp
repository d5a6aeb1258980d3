#include "BrushRandom.h"

BrushRandom::BrushRandom()
    : m_engine(std::random_device{}())
{
}

BrushRandom::BrushRandom(uint32_t seed)
    : m_engine(seed)
{
}

void BrushRandom::seed(uint32_t seed)
{
    m_engine.seed(seed);
}

uint32_t BrushRandom::next()
{
    return uint32_t(m_engine());
}
