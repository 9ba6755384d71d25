#pragma once

#include <cstdint>
#include <xmmintrin.h>

namespace Tavrin {
namespace Engine {

// Basis noise entry points, one per slot of the basis table.
typedef float (*TNoiseFunction)(float x, float y, float z);
typedef float (*TNoiseFunctionDouble)(double x, double y, double z);
typedef __m128 (*TNoiseFunction4)(__m128 x, __m128 y, __m128 z);
typedef void (*TNoiseFunction4Store)(__m128 x, __m128 y, __m128 z, float* destination);

// Parameter protocol of the fractal noises: parameters change only between
// beginUpdate and endUpdate, and endUpdate installs the basis functions of
// the chosen noise type.
class CFractalInterface
{
public:
    static constexpr uint32_t C_NOISE_GRADIENT = 0;
    static constexpr uint32_t C_NOISE_SMOOTH_GRADIENT = 1;
    static constexpr uint32_t C_NOISE_CELLULAR = 2;
    static constexpr uint32_t C_NOISE_SPARSE = 3;
    static constexpr uint32_t C_NOISE_VALUE = 4;
    static constexpr uint32_t C_NOISE_BLOCKY = 5;
    static constexpr uint32_t C_NOISE_TYPE_COUNT = 6;

    CFractalInterface();
    virtual ~CFractalInterface() = default;

    void beginUpdate();
    // Closes the update and installs the noise type's basis functions.
    // Hidden, not overridden, by generators that derive more state.
    void endUpdate();
    void setNoiseType(uint32_t type);
    void setOctaveCount(uint32_t count);

    uint32_t getMaxOctaves() const { return m_maxOctaves; }
    uint32_t getNoiseType() const { return m_noiseType; }
    uint32_t getOctaveCount() const { return m_octaveCount; }
    bool isUpdating() const { return m_updating; }

    // Slot 0: the scalar basis; slot 1: its double form (may be null).
    TNoiseFunction getBasis() const { return m_basis; }
    TNoiseFunctionDouble getBasisDouble() const { return m_basisDouble; }
    // Slots 2 and 3: the four-lane forms, when the type has them.
    TNoiseFunction4 getBasis4() const { return m_basis4; }
    TNoiseFunction4Store getBasis4Store() const { return m_basis4Store; }
    // Slots 4 and 5: extra scalar entries, index 0 or 1.
    TNoiseFunction getExtraBasis(uint32_t index) const { return index < 2 ? m_extraBasis[index] : nullptr; }

protected:
    // Throws unless an update is open.
    void _checkUpdating() const;

    uint32_t m_maxOctaves;
    uint32_t m_noiseType;
    TNoiseFunction m_basis;
    TNoiseFunctionDouble m_basisDouble;
    TNoiseFunction4 m_basis4;
    TNoiseFunction4Store m_basis4Store;
    TNoiseFunction m_extraBasis[2];
    uint32_t m_octaveCount;
    bool m_updating;
};

} // namespace Engine
} // namespace Tavrin
