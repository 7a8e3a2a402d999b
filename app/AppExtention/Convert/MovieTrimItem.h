#pragma once

#include "Reelsmith/archiving/CodingBase.h"

#include <QString>
#include <cstdint>
#include <memory>

/**
 * One kept segment of an edited clip: where it starts in the media file, how long it lasts and
 * the lengths of its audio fades, all in seconds, plus where it begins on the clip's trimmed
 * timeline (engine time, worked out again by VCMovie::validTrimArray and not stored).
 *
 * Stored inside a clip's movieAttributes under "trimArray". Owned by the clip's VCMovie; the
 * video editor changes it on the main thread, production reads it on its own thread afterwards.
 */
class MovieTrimItem : public CodingBase
{
    Q_OBJECT
    Q_PROPERTY(double start READ start WRITE setStart)
    Q_PROPERTY(double duration READ duration WRITE setDuration)
    Q_PROPERTY(double fadeIn READ fadeIn WRITE setFadeIn)
    Q_PROPERTY(double fadeOut READ fadeOut WRITE setFadeOut)
public:
    Q_INVOKABLE MovieTrimItem() = default;
    static std::shared_ptr<MovieTrimItem>
    item(double startSeconds, double durationSeconds, double fadeIn = 0.0, double fadeOut = 0.0);

    QStringList allCoderKeys() const override;

    double start() const { return m_start; }
    void setStart(double seconds) { m_start = seconds; }
    double duration() const { return m_duration; }
    void setDuration(double seconds) { m_duration = seconds; }
    double fadeIn() const { return m_fadeIn; }
    void setFadeIn(double seconds) { m_fadeIn = seconds; }
    double fadeOut() const { return m_fadeOut; }
    void setFadeOut(double seconds) { m_fadeOut = seconds; }
    int64_t base() const { return m_base; }
    void setBase(int64_t timeUs) { m_base = timeUs; }

    // start + duration, seconds.
    double stop() const { return m_start + m_duration; }
    // The three second values as engine time, truncated toward zero.
    int64_t startTime() const;
    int64_t stopTime() const;
    int64_t durationTime() const;
    // "%f %f" of start and duration.
    QString description() const;

private:
    double m_start = 0.0;
    double m_duration = 0.0;
    double m_fadeIn = 0.0;
    double m_fadeOut = 0.0;
    int64_t m_base = 0;
};

using MovieTrimItemRef = std::shared_ptr<MovieTrimItem>;
using MovieTrimItemList = QList<MovieTrimItemRef>;
