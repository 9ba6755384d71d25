#pragma once

#include "Engine/IKernel/Resources/Procedural/CFractalInterface.h"

#include <xmmintrin.h>

namespace Tavrin {
namespace Engine {

// Fractal noise: the sum over octaves i of lacunarity^(-i H) times the basis
// noise at the point scaled by lacunarity^i.
class CFractalNoise : public CFractalInterface
{
public:
    // Four-lane tables that follow the octave weights in the SIMD block.
    struct alignas(16) _SSIMDTables
    {
        float gainPowers[4];       // gain, gain^2, gain^3, 1
        float gain4[4];            // gain^4 in every lane
        float lacunarity[4];       // lacunarity in every lane
        float lacunarity4[4];      // lacunarity^4 in every lane
        double lacunarityDouble[2];
        double lacunarity2Double[2];
        double lacunarity4Double[2];
    };

    CFractalNoise();
    ~CFractalNoise() override;
    CFractalNoise(const CFractalNoise&) = delete;
    CFractalNoise& operator=(const CFractalNoise&) = delete;

    // Closes the update and recomputes the weights, the gain and the tables.
    void endUpdate();
    void setLacunarity(float lacunarity);
    void setH(float h);

    float getLacunarity() const { return m_lacunarity; }
    float getH() const { return m_h; }
    float getGain() const { return m_gain; }
    const float* getOctaveWeights() const { return m_weights; }
    // The 16-byte aligned block: the weights, then _SSIMDTables.
    const float* getSIMDBlock() const { return m_simdBlock; }
    const _SSIMDTables& getSIMDTables() const;

    float getValue(float x, float y, float z) const;
    // Point scaled in double precision (slot 0 on float coordinates when the
    // noise type has no double form).
    float getValue(double x, double y, double z) const;
    // Four points, one per lane, through the four-lane basis when the noise
    // type has one.
    __m128 getValue4(__m128 x, __m128 y, __m128 z) const;

private:
    void _computeTables();
    uint32_t _weightBytes() const;

    float m_lacunarity;
    float m_h;
    float m_gain;
    float* m_weights;
    float* m_simdBlock;
};

} // namespace Engine
} // namespace Tavrin
