#pragma once

#include <xmmintrin.h>

namespace Tavrin {
namespace Engine {

// Value noise on the integer lattice (noise type 4): eight hashed corner
// values blended with the cubic (3 - 2t)t^2. Results lie within about
// -0.707..0.707. Every form gives the same value for the same point.
class CValueNoise
{
public:
    static float noise(float x, float y, float z);
    // Lattice cell and fractions in double precision, the rest as noise().
    static float noiseDouble(double x, double y, double z);
    // Four independent points, one per lane.
    static __m128 noise4(__m128 x, __m128 y, __m128 z);
    // noise4 stored into a 16-byte aligned destination (checked).
    static void noise4Store(__m128 x, __m128 y, __m128 z, float* destination);
};

} // namespace Engine
} // namespace Tavrin
