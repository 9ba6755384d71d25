#include "Engine/IKernel/Resources/Procedural/CFractalInterface.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/Resources/Procedural/CNoiseBasis.h"
#include "Engine/IKernel/Resources/Procedural/CValueNoise.h"

namespace Tavrin {
namespace Engine {

namespace {

const char* const C_FILE = "Engine/IKernel/Resources/Procedural/CFractalInterface";

} // namespace

CFractalInterface::CFractalInterface()
    : m_maxOctaves(64),
      m_noiseType(C_NOISE_SMOOTH_GRADIENT),
      m_basis(nullptr),
      m_basisDouble(nullptr),
      m_basis4(nullptr),
      m_basis4Store(nullptr),
      m_extraBasis{nullptr, nullptr},
      m_octaveCount(8),
      m_updating(false)
{
}

void CFractalInterface::beginUpdate()
{
    if (m_updating)
        TAVRIN_THROW_AT(CInvalidArgumentException, "Already updating some parameters\n", C_FILE, 46);
    m_updating = true;
}

void CFractalInterface::_checkUpdating() const
{
    if (!m_updating)
        TAVRIN_THROW_AT(CInvalidArgumentException, "Can't change parameter before a beginUpdate\n", C_FILE, 107);
}

void CFractalInterface::setNoiseType(uint32_t type)
{
    _checkUpdating();
    m_noiseType = type;
}

void CFractalInterface::setOctaveCount(uint32_t count)
{
    _checkUpdating();
    // The octave tables hold m_maxOctaves entries; more would be read past them.
    if (count > m_maxOctaves)
        TAVRIN_THROW(CInvalidArgumentException, "Octave count exceeds the maximum octave count\n", C_FILE);
    m_octaveCount = count;
}

void CFractalInterface::endUpdate()
{
    if (!m_updating)
        TAVRIN_THROW_AT(CInvalidArgumentException, "beginUpdate wasn't called first\n", C_FILE, 55);
    // Checked before anything changes, so a bad type leaves the update open
    // and the previous basis in place.
    if (m_noiseType >= C_NOISE_TYPE_COUNT)
        TAVRIN_THROW_AT(CInvalidArgumentException, "Cannot recognize noise type\n", C_FILE, 98);
    m_basis4 = nullptr;
    m_basis4Store = nullptr;
    m_extraBasis[0] = nullptr;
    m_extraBasis[1] = nullptr;
    switch (m_noiseType)
    {
    case C_NOISE_GRADIENT:
        m_basis = CNoiseBasis::gradient;
        m_basisDouble = CNoiseBasis::gradientDouble;
        break;
    case C_NOISE_SMOOTH_GRADIENT:
        m_basis = CNoiseBasis::smoothGradient;
        m_basisDouble = CNoiseBasis::smoothGradientDouble;
        m_extraBasis[0] = CNoiseBasis::turbulence;
        m_extraBasis[1] = CNoiseBasis::ridged;
        break;
    case C_NOISE_CELLULAR:
        m_basis = CNoiseBasis::cellular;
        m_basisDouble = CNoiseBasis::cellularDouble;
        break;
    case C_NOISE_SPARSE:
        m_basis = CNoiseBasis::sparse;
        m_basisDouble = CNoiseBasis::sparseDouble;
        break;
    case C_NOISE_VALUE:
        m_basis = CValueNoise::noise;
        m_basisDouble = CValueNoise::noiseDouble;
        m_basis4 = CValueNoise::noise4;
        m_basis4Store = CValueNoise::noise4Store;
        break;
    default:
        m_basis = CNoiseBasis::blocky;
        m_basisDouble = nullptr;
        break;
    }
    m_updating = false;
}

} // namespace Engine
} // namespace Tavrin
