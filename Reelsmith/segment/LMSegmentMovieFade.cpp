#include "Reelsmith/segment/LMSegmentMovieFade.h"

float LMSegmentMovieFade::audioVolumeAtTime(int64_t t) const
{
    if (t < m_fadeStart || t >= m_fadeStop)
        return 1.0f;
    const float f = float(double(t - m_fadeStart) / double(m_fadeStop - m_fadeStart));
    return float(f * (m_volumeStop - m_volumeStart) + m_volumeStart);
}
