#pragma once

#include <cstdint>

/**
 * One linear volume ramp on a segment's timeline (engine time): the gain goes from volumeStart at
 * fadeStart towards volumeStop at fadeStop. Outside [fadeStart, fadeStop) the ramp has no effect,
 * whatever its end gains. A plain value: copy it freely, any thread.
 */
class LMSegmentMovieFade
{
public:
    LMSegmentMovieFade() = default;
    LMSegmentMovieFade(int64_t fadeStart, int64_t fadeStop, double volumeStart, double volumeStop)
        : m_fadeStart(fadeStart)
        , m_fadeStop(fadeStop)
        , m_volumeStart(volumeStart)
        , m_volumeStop(volumeStop)
    {}

    int64_t fadeStart() const { return m_fadeStart; }
    void setFadeStart(int64_t t) { m_fadeStart = t; }
    /** Exclusive: the gain at fadeStop is 1.0 again. */
    int64_t fadeStop() const { return m_fadeStop; }
    void setFadeStop(int64_t t) { m_fadeStop = t; }
    double volumeStart() const { return m_volumeStart; }
    void setVolumeStart(double v) { m_volumeStart = v; }
    double volumeStop() const { return m_volumeStop; }
    void setVolumeStop(double v) { m_volumeStop = v; }

    /** 1.0 before fadeStart and from fadeStop on; in between the straight line of the ramp. */
    float audioVolumeAtTime(int64_t t) const;

    bool operator==(const LMSegmentMovieFade &) const = default;

private:
    int64_t m_fadeStart = 0;
    int64_t m_fadeStop = 0;
    double m_volumeStart = 1.0;
    double m_volumeStop = 1.0;
};
