#pragma once

#include "Reelsmith/archiving/CodingBase.h"

#include <cstdint>
#include <memory>

/**
 * A chapter marker of a clip: its place on the clip's trimmed timeline as the chapter editor
 * shows it, and its place in the media file, which chapter cutting uses (both engine time).
 * Owned by its MediaData's markerArray; the chapter editor changes it on the main thread.
 */
class MarkerItem : public CodingBase
{
    Q_OBJECT
    Q_PROPERTY(qint64 markShowTime READ markShowTime WRITE setMarkShowTime)
    Q_PROPERTY(qint64 markOriginTime READ markOriginTime WRITE setMarkOriginTime)
public:
    Q_INVOKABLE MarkerItem() = default;

    QStringList allCoderKeys() const override;

    qint64 markShowTime() const { return m_markShowTime; }
    void setMarkShowTime(qint64 timeUs) { m_markShowTime = timeUs; }
    qint64 markOriginTime() const { return m_markOriginTime; }
    void setMarkOriginTime(qint64 timeUs) { m_markOriginTime = timeUs; }
    // Whether the chapter editor lists the marker (not stored).
    bool canShow() const { return m_canShow; }
    void setCanShow(bool show) { m_canShow = show; }

private:
    qint64 m_markShowTime = 0;
    qint64 m_markOriginTime = 0;
    bool m_canShow = false;
};

using MarkerItemRef = std::shared_ptr<MarkerItem>;
using MarkerItemList = QList<MarkerItemRef>;
