#include "Engine/IKernel/Resources/Procedural/CFractalNoise.h"

#include "Engine/IKernel/IKernel.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/Maths/CSIMD.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace Tavrin {
namespace Engine {

static_assert(sizeof(CFractalNoise::_SSIMDTables) == 112, "four-lane tables must fill 112 bytes");

CFractalNoise::CFractalNoise()
    : m_lacunarity(2.0f), m_h(1.0f), m_gain(0.5f), m_weights(nullptr), m_simdBlock(nullptr)
{
    m_weights = static_cast<float*>(calloc(m_maxOctaves, sizeof(float)));
    CFractalInterface::beginUpdate();
    setNoiseType(C_NOISE_SMOOTH_GRADIENT);
    setOctaveCount(8);
    // The tables do not exist yet: only the basis is installed here.
    CFractalInterface::endUpdate();
    m_simdBlock = static_cast<float*>(CSIMD::allocateAligned(_weightBytes() + sizeof(_SSIMDTables)));
    if (!CSIMD::isAligned(m_simdBlock))
    {
        CSIMD::freeAligned(m_simdBlock);
        free(m_weights);
        TAVRIN_THROW_AT(CInvalidOperationException, "Memory isn't 16-bytes aligned\n",
                        "Engine/IKernel/Resources/Procedural/CFractalNoise", 22);
    }
    beginUpdate();
    setLacunarity(2.0f);
    setH(1.0f);
    endUpdate();
}

CFractalNoise::~CFractalNoise()
{
    CSIMD::freeAligned(m_simdBlock);
    free(m_weights);
}

uint32_t CFractalNoise::_weightBytes() const
{
    // Rounded up so that the tables after the weights stay aligned.
    return (m_maxOctaves * static_cast<uint32_t>(sizeof(float)) + 15u) & ~15u;
}

void CFractalNoise::setLacunarity(float lacunarity)
{
    _checkUpdating();
    m_lacunarity = lacunarity;
}

void CFractalNoise::setH(float h)
{
    _checkUpdating();
    m_h = h;
}

void CFractalNoise::endUpdate()
{
    CFractalInterface::endUpdate();
    _computeTables();
}

const CFractalNoise::_SSIMDTables& CFractalNoise::getSIMDTables() const
{
    return *reinterpret_cast<const _SSIMDTables*>(reinterpret_cast<const unsigned char*>(m_simdBlock) + _weightBytes());
}

void CFractalNoise::_computeTables()
{
    double lacunarity = m_lacunarity;
    for (uint32_t i = 0; i < m_maxOctaves; ++i)
        m_weights[i] = static_cast<float>(std::pow(lacunarity, -static_cast<double>(i) * m_h));
    double gain = std::pow(lacunarity, -static_cast<double>(m_h));
    m_gain = static_cast<float>(gain);
    if (!m_simdBlock)
        return;
    memset(m_simdBlock, 0, _weightBytes());
    memcpy(m_simdBlock, m_weights, m_maxOctaves * sizeof(float));
    _SSIMDTables& tables = const_cast<_SSIMDTables&>(getSIMDTables());
    double gain4 = gain * gain * gain * gain;
    double lacunarity2 = lacunarity * lacunarity;
    double lacunarity4 = lacunarity2 * lacunarity2;
    tables.gainPowers[0] = static_cast<float>(gain);
    tables.gainPowers[1] = static_cast<float>(gain * gain);
    tables.gainPowers[2] = static_cast<float>(gain * gain * gain);
    tables.gainPowers[3] = 1.0f;
    for (int lane = 0; lane < 4; ++lane)
    {
        tables.gain4[lane] = static_cast<float>(gain4);
        tables.lacunarity[lane] = m_lacunarity;
        tables.lacunarity4[lane] = static_cast<float>(lacunarity4);
    }
    for (int lane = 0; lane < 2; ++lane)
    {
        tables.lacunarityDouble[lane] = lacunarity;
        tables.lacunarity2Double[lane] = lacunarity2;
        tables.lacunarity4Double[lane] = lacunarity4;
    }
}

float CFractalNoise::getValue(float x, float y, float z) const
{
    float value = 0.0f;
    float amplitude = 1.0f;
    for (uint32_t i = 0; i < m_octaveCount; ++i)
    {
        value += amplitude * m_basis(x, y, z);
        x *= m_lacunarity;
        y *= m_lacunarity;
        z *= m_lacunarity;
        amplitude *= m_gain;
    }
    return value;
}

float CFractalNoise::getValue(double x, double y, double z) const
{
    if (!m_basisDouble)
        return getValue(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    double lacunarity = getSIMDTables().lacunarityDouble[0];
    float value = 0.0f;
    float amplitude = 1.0f;
    for (uint32_t i = 0; i < m_octaveCount; ++i)
    {
        value += amplitude * m_basisDouble(x, y, z);
        x *= lacunarity;
        y *= lacunarity;
        z *= lacunarity;
        amplitude *= m_gain;
    }
    return value;
}

__m128 CFractalNoise::getValue4(__m128 x, __m128 y, __m128 z) const
{
    const _SSIMDTables& tables = getSIMDTables();
    __m128 lacunarity = _mm_load_ps(tables.lacunarity);
    __m128 value = _mm_setzero_ps();
    for (uint32_t i = 0; i < m_octaveCount; ++i)
    {
        __m128 basis;
        // The four-lane basis only once the start-up check found it agrees
        // with the scalar one on this machine.
        if (m_basis4 && IKernel::isSIMDNoiseVerified())
            basis = m_basis4(x, y, z);
        else
        {
            SVector4 px, py, pz, result;
            CSIMD::store(px, x);
            CSIMD::store(py, y);
            CSIMD::store(pz, z);
            for (int lane = 0; lane < 4; ++lane)
                result.lane[lane] = m_basis(px.lane[lane], py.lane[lane], pz.lane[lane]);
            basis = CSIMD::load(result);
        }
        value = _mm_add_ps(value, _mm_mul_ps(_mm_set1_ps(m_simdBlock[i]), basis));
        x = _mm_mul_ps(x, lacunarity);
        y = _mm_mul_ps(y, lacunarity);
        z = _mm_mul_ps(z, lacunarity);
    }
    return value;
}

} // namespace Engine
} // namespace Tavrin
