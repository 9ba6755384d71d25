#include "Engine/IKernel/Resources/Procedural/CNoiseBasis.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace Tavrin {
namespace Engine {

namespace {

// A well-mixed 32-bit hash of a lattice cell (murmur3's finaliser).
uint32_t hashCell(int32_t x, int32_t y, int32_t z)
{
    uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^
                 static_cast<uint32_t>(z) * 0xCB1AB31Fu;
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

float unitFromHash(uint32_t h)
{
    return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

// Dot product with one of the twelve cube-edge gradients.
float gradientDot(uint32_t h, float x, float y, float z)
{
    switch (h % 12u)
    {
    case 0: return x + y;
    case 1: return -x + y;
    case 2: return x - y;
    case 3: return -x - y;
    case 4: return x + z;
    case 5: return -x + z;
    case 6: return x - z;
    case 7: return -x - z;
    case 8: return y + z;
    case 9: return -y + z;
    case 10: return y - z;
    default: return -y - z;
    }
}

float lerp(float a, float b, float t)
{
    return a + (b - a) * t;
}

float fadeCubic(float t)
{
    return t * t * (3.0f - 2.0f * t);
}

float fadeQuintic(float t)
{
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

// Lattice cell (wrapped to 32 bits) and fraction of a coordinate. Far from
// the origin the fraction is 0 rather than the difference of huge numbers;
// a coordinate that is not finite reads as 0.
struct SCell
{
    int32_t index;
    float fraction;
};

SCell splitCell(double value)
{
    if (!std::isfinite(value))
        return {0, 0.0f};
    double cell = std::floor(value);
    double wrapped = std::fmod(cell, 4294967296.0);
    return {static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(wrapped))),
            static_cast<float>(value - cell)};
}

template <float (*Fade)(float)>
float gradientAt(int32_t ix, int32_t iy, int32_t iz, float fx, float fy, float fz)
{
    float u = Fade(fx);
    float v = Fade(fy);
    float w = Fade(fz);
    float corners[8];
    for (int i = 0; i < 8; ++i)
    {
        int32_t dx = i & 1, dy = (i >> 1) & 1, dz = (i >> 2) & 1;
        uint32_t h = hashCell(static_cast<int32_t>(static_cast<uint32_t>(ix) + dx),
                              static_cast<int32_t>(static_cast<uint32_t>(iy) + dy),
                              static_cast<int32_t>(static_cast<uint32_t>(iz) + dz));
        corners[i] = gradientDot(h, fx - dx, fy - dy, fz - dz);
    }
    float near0 = lerp(corners[0], corners[1], u);
    float near1 = lerp(corners[2], corners[3], u);
    float far0 = lerp(corners[4], corners[5], u);
    float far1 = lerp(corners[6], corners[7], u);
    return lerp(lerp(near0, near1, v), lerp(far0, far1, v), w);
}

template <float (*Fade)(float)>
float gradientDoubleAt(double x, double y, double z)
{
    SCell cx = splitCell(x), cy = splitCell(y), cz = splitCell(z);
    return gradientAt<Fade>(cx.index, cy.index, cz.index, cx.fraction, cy.fraction, cz.fraction);
}

struct SSparsePoints
{
    float coordinates[CNoiseBasis::C_SPARSE_POINT_COUNT * 3];

    SSparsePoints()
    {
        // NOTE: the scale assumes a 15-bit rand(); C libraries with a wider
        // one are cut to 15 bits so that every point lands inside the cube.
        for (float& coordinate : coordinates)
            coordinate = static_cast<float>(rand() & 0x7FFF) * 3.051851e-5f * 256.0f;
    }
};

float wrapToCube(double value)
{
    if (!std::isfinite(value))
        return 0.0f;
    double wrapped = std::fmod(value, 256.0);
    return static_cast<float>(wrapped < 0.0 ? wrapped + 256.0 : wrapped);
}

float periodicDistance(float a, float b)
{
    float d = std::fabs(a - b);
    return d > 128.0f ? 256.0f - d : d;
}

} // namespace

float CNoiseBasis::gradient(float x, float y, float z)
{
    return gradientDoubleAt<fadeCubic>(x, y, z);
}

float CNoiseBasis::gradientDouble(double x, double y, double z)
{
    return gradientDoubleAt<fadeCubic>(x, y, z);
}

float CNoiseBasis::smoothGradient(float x, float y, float z)
{
    return gradientDoubleAt<fadeQuintic>(x, y, z);
}

float CNoiseBasis::smoothGradientDouble(double x, double y, double z)
{
    return gradientDoubleAt<fadeQuintic>(x, y, z);
}

float CNoiseBasis::turbulence(float x, float y, float z)
{
    return std::fabs(smoothGradient(x, y, z));
}

float CNoiseBasis::ridged(float x, float y, float z)
{
    return 1.0f - 2.0f * std::fabs(smoothGradient(x, y, z));
}

float CNoiseBasis::cellular(float x, float y, float z)
{
    return cellularDouble(x, y, z);
}

float CNoiseBasis::cellularDouble(double x, double y, double z)
{
    SCell cx = splitCell(x), cy = splitCell(y), cz = splitCell(z);
    int32_t ix = cx.index, iy = cy.index, iz = cz.index;
    float fx = cx.fraction, fy = cy.fraction, fz = cz.fraction;
    float nearest = 3.0f;
    for (int32_t dz = -1; dz <= 1; ++dz)
        for (int32_t dy = -1; dy <= 1; ++dy)
            for (int32_t dx = -1; dx <= 1; ++dx)
            {
                uint32_t h = hashCell(static_cast<int32_t>(static_cast<uint32_t>(ix) + dx),
                                      static_cast<int32_t>(static_cast<uint32_t>(iy) + dy),
                                      static_cast<int32_t>(static_cast<uint32_t>(iz) + dz));
                float px = dx + unitFromHash(h) - fx;
                float py = dy + unitFromHash(h * 0x9E3779B1u) - fy;
                float pz = dz + unitFromHash(h * 0x85EBCA77u) - fz;
                float d = px * px + py * py + pz * pz;
                if (d < nearest)
                    nearest = d;
            }
    // The nearest feature point is rarely further than one cell.
    float distance = std::sqrt(nearest);
    return (distance < 1.0f ? distance : 1.0f) * 2.0f - 1.0f;
}

const float* CNoiseBasis::getSparsePoints()
{
    static const SSparsePoints points;
    return points.coordinates;
}

float CNoiseBasis::sparse(float x, float y, float z)
{
    return sparseDouble(x, y, z);
}

float CNoiseBasis::sparseDouble(double x, double y, double z)
{
    const float* points = getSparsePoints();
    float px = wrapToCube(x), py = wrapToCube(y), pz = wrapToCube(z);
    float nearest = 3.0f * 128.0f * 128.0f;
    for (int i = 0; i < C_SPARSE_POINT_COUNT; ++i)
    {
        float dx = periodicDistance(px, points[i * 3]);
        float dy = periodicDistance(py, points[i * 3 + 1]);
        float dz = periodicDistance(pz, points[i * 3 + 2]);
        float d = dx * dx + dy * dy + dz * dz;
        if (d < nearest)
            nearest = d;
    }
    // Fifty points in a 256-wide cube lie about 70 apart.
    float distance = std::sqrt(nearest) * (1.0f / 64.0f);
    return (distance < 1.0f ? distance : 1.0f) * 2.0f - 1.0f;
}

float CNoiseBasis::blocky(float x, float y, float z)
{
    return unitFromHash(hashCell(splitCell(x).index, splitCell(y).index, splitCell(z).index)) * 2.0f - 1.0f;
}

} // namespace Engine
} // namespace Tavrin
