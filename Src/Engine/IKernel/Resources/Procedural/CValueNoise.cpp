#include "Engine/IKernel/Resources/Procedural/CValueNoise.h"

#include "Engine/IKernel/Maths/CSIMD.h"

#include <cstdint>
#include <cstring>
#include <emmintrin.h>

namespace Tavrin {
namespace Engine {

namespace {

// The single-precision value nearest 1/16383 (bit pattern 0x38800200).
const float C_SCALE = 6.103888e-5f;

const float C_AMPLITUDE = 0.707f;

// Low 16 bits read as a signed number. Only the low 16 bits of the lattice
// index ever reach the hash, which is what lets the four-lane form work in
// 16-bit lanes.
inline int32_t low16(uint32_t value)
{
    return static_cast<int16_t>(static_cast<uint16_t>(value));
}

inline float corner(uint32_t n, uint32_t offset)
{
    uint32_t m = static_cast<uint32_t>(low16(n + offset));
    return static_cast<float>(((m * m * 15731u + 2789u) * m - 8947u) & 0x7FFFu);
}

inline float smooth(float f)
{
    return (3.0f - 2.0f * f) * (f * f);
}

// Shared tail of the scalar forms: lattice cell and fractions are known.
float blend(int32_t ix, int32_t iy, int32_t iz, float fx, float fy, float fz)
{
    float sx = smooth(fx);
    float sy = smooth(fy);
    float sz = smooth(fz);
    uint32_t n = static_cast<uint32_t>(ix) + 113u * static_cast<uint32_t>(low16(static_cast<uint32_t>(iz))) +
                 57u * static_cast<uint32_t>(low16(static_cast<uint32_t>(iy)));
    float c113 = corner(n, 113);
    float c0 = corner(n, 0);
    float a = (corner(n, 114) - c113) * sx + c113;
    float b = (corner(n, 1) - c0) * sx + c0;
    float c57 = corner(n, 57);
    float c170 = corner(n, 170);
    float nearValue = ((corner(n, 58) - c57) * sx + c57 - b) * sy + b;
    float farValue = ((corner(n, 171) - c170) * sx + c170 - a) * sy + a;
    float v = sz * (farValue - nearValue) + nearValue;
    return C_AMPLITUDE - (v * C_AMPLITUDE) * C_SCALE;
}

// The processor's own conversion: nearest, ties to even, and the "integer
// indefinite" value for what does not fit, exactly as the four-lane form.
inline int32_t nearest(float value)
{
    return _mm_cvtss_si32(_mm_set_ss(value));
}

inline int32_t nearest(double value)
{
    return _mm_cvtsd_si32(_mm_set_sd(value));
}

inline __m128i low16x4(__m128i value)
{
    return _mm_srai_epi32(_mm_slli_epi32(value, 16), 16);
}

// Corner hash on eight 16-bit lanes; the low 16 bits of the 32-bit
// polynomial depend only on the low 16 bits of its operands.
inline __m128i hash8(__m128i m)
{
    __m128i h = _mm_mullo_epi16(m, m);
    h = _mm_mullo_epi16(h, _mm_set1_epi16(15731));
    h = _mm_add_epi16(h, _mm_set1_epi16(2789));
    h = _mm_mullo_epi16(h, m);
    h = _mm_sub_epi16(h, _mm_set1_epi16(8947));
    return _mm_and_si128(h, _mm_set1_epi16(0x7FFF));
}

inline __m128 smooth4(__m128 f)
{
    return _mm_mul_ps(_mm_sub_ps(_mm_set1_ps(3.0f), _mm_mul_ps(_mm_set1_ps(2.0f), f)), _mm_mul_ps(f, f));
}

// ((high - low) * s + low - base) * t + base, in the scalar form's order.
inline __m128 lerpStep(__m128 low, __m128 high, __m128 s, __m128 base, __m128 t)
{
    return _mm_add_ps(_mm_mul_ps(_mm_sub_ps(_mm_add_ps(_mm_mul_ps(_mm_sub_ps(high, low), s), low), base), t), base);
}

} // namespace

float CValueNoise::noise(float x, float y, float z)
{
    int32_t ix = nearest(x - 0.5f);
    int32_t iy = nearest(y - 0.5f);
    int32_t iz = nearest(z - 0.5f);
    return blend(ix, iy, iz, x - static_cast<float>(ix), y - static_cast<float>(iy), z - static_cast<float>(iz));
}

float CValueNoise::noiseDouble(double x, double y, double z)
{
    int32_t ix = nearest(x - 0.5);
    int32_t iy = nearest(y - 0.5);
    int32_t iz = nearest(z - 0.5);
    return blend(ix, iy, iz, static_cast<float>(x - ix), static_cast<float>(y - iy), static_cast<float>(z - iz));
}

__m128 CValueNoise::noise4(__m128 x, __m128 y, __m128 z)
{
    const __m128 half = _mm_set1_ps(0.5f);
    __m128i ix = _mm_cvtps_epi32(_mm_sub_ps(x, half));
    __m128i iy = _mm_cvtps_epi32(_mm_sub_ps(y, half));
    __m128i iz = _mm_cvtps_epi32(_mm_sub_ps(z, half));
    __m128 sx = smooth4(_mm_sub_ps(x, _mm_cvtepi32_ps(ix)));
    __m128 sy = smooth4(_mm_sub_ps(y, _mm_cvtepi32_ps(iy)));
    __m128 sz = smooth4(_mm_sub_ps(z, _mm_cvtepi32_ps(iz)));

    // n = x + 57 y + 113 z in 16-bit lanes 0..3, then repeated in lanes 4..7
    // so that one vector carries two corners of all four points.
    __m128i xy = _mm_packs_epi32(low16x4(ix), low16x4(iy));
    __m128i zz = _mm_packs_epi32(low16x4(iz), low16x4(iz));
    __m128i scaled = _mm_mullo_epi16(xy, _mm_setr_epi16(1, 1, 1, 1, 57, 57, 57, 57));
    __m128i n = _mm_add_epi16(scaled, _mm_srli_si128(scaled, 8));
    n = _mm_add_epi16(n, _mm_mullo_epi16(zz, _mm_set1_epi16(113)));
    n = _mm_unpacklo_epi64(n, n);

    const __m128i zero = _mm_setzero_si128();
    __m128i h0 = hash8(_mm_add_epi16(n, _mm_setr_epi16(0, 0, 0, 0, 1, 1, 1, 1)));
    __m128i h57 = hash8(_mm_add_epi16(n, _mm_setr_epi16(57, 57, 57, 57, 58, 58, 58, 58)));
    __m128i h113 = hash8(_mm_add_epi16(n, _mm_setr_epi16(113, 113, 113, 113, 114, 114, 114, 114)));
    __m128i h170 = hash8(_mm_add_epi16(n, _mm_setr_epi16(170, 170, 170, 170, 171, 171, 171, 171)));
    __m128 c0 = _mm_cvtepi32_ps(_mm_unpacklo_epi16(h0, zero));
    __m128 c1 = _mm_cvtepi32_ps(_mm_unpackhi_epi16(h0, zero));
    __m128 c57 = _mm_cvtepi32_ps(_mm_unpacklo_epi16(h57, zero));
    __m128 c58 = _mm_cvtepi32_ps(_mm_unpackhi_epi16(h57, zero));
    __m128 c113 = _mm_cvtepi32_ps(_mm_unpacklo_epi16(h113, zero));
    __m128 c114 = _mm_cvtepi32_ps(_mm_unpackhi_epi16(h113, zero));
    __m128 c170 = _mm_cvtepi32_ps(_mm_unpacklo_epi16(h170, zero));
    __m128 c171 = _mm_cvtepi32_ps(_mm_unpackhi_epi16(h170, zero));

    __m128 a = _mm_add_ps(_mm_mul_ps(_mm_sub_ps(c114, c113), sx), c113);
    __m128 b = _mm_add_ps(_mm_mul_ps(_mm_sub_ps(c1, c0), sx), c0);
    __m128 nearValue = lerpStep(c57, c58, sx, b, sy);
    __m128 farValue = lerpStep(c170, c171, sx, a, sy);
    __m128 v = _mm_add_ps(_mm_mul_ps(sz, _mm_sub_ps(farValue, nearValue)), nearValue);
    const __m128 amplitude = _mm_set1_ps(C_AMPLITUDE);
    return _mm_sub_ps(amplitude, _mm_mul_ps(_mm_mul_ps(v, amplitude), _mm_set1_ps(C_SCALE)));
}

void CValueNoise::noise4Store(__m128 x, __m128 y, __m128 z, float* destination)
{
    CSIMD::store(destination, noise4(x, y, z));
}

} // namespace Engine
} // namespace Tavrin
