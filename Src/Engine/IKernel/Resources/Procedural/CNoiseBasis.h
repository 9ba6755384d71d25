#pragma once

namespace Tavrin {
namespace Engine {

// The basis noises other than value noise. Each is deterministic, returns
// roughly -1..1, and is 0-mean enough to sum into fractal noise.
class CNoiseBasis
{
public:
    // Type 0: gradient noise with the cubic fade.
    static float gradient(float x, float y, float z);
    static float gradientDouble(double x, double y, double z);
    // Type 1: gradient noise with the quintic fade, and its turbulence
    // (absolute value) and ridged (1 - 2 |n|) variants.
    static float smoothGradient(float x, float y, float z);
    static float smoothGradientDouble(double x, double y, double z);
    static float turbulence(float x, float y, float z);
    static float ridged(float x, float y, float z);
    // Type 2: distance to the nearest feature point of a jittered lattice.
    static float cellular(float x, float y, float z);
    static float cellularDouble(double x, double y, double z);
    // Type 3: distance to the nearest of 50 random points in a 256-wide
    // periodic cube.
    static float sparse(float x, float y, float z);
    static float sparseDouble(double x, double y, double z);
    // Type 5: one random value per lattice cell, no blending.
    static float blocky(float x, float y, float z);

    // The random points of type 3, created on first use (x, y, z triples).
    static const float* getSparsePoints();
    static constexpr int C_SPARSE_POINT_COUNT = 50;
};

} // namespace Engine
} // namespace Tavrin
