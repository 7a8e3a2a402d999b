#pragma once

#include "platform/KeyedObject.h"

#include <QList>
#include <QString>
#include <memory>

/**
 * One input of a VideoJoiner: a movie file placed at a position (seconds) of the joined movie and
 * played at a rate. Archived under "path", "position" and "rate".
 *
 * Held by std::shared_ptr; one thread at a time.
 */
class VideoJoinerItem : public platform::KeyedObject
{
    Q_OBJECT
    Q_PROPERTY(QString path MEMBER path)
    Q_PROPERTY(double position MEMBER position)
    Q_PROPERTY(double rate MEMBER rate)
public:
    Q_INVOKABLE VideoJoinerItem() = default;
    QStringList allCoderKeys() const override;

    QString path;
    double position = 0;
    double rate = 1.0;
};

using VideoJoinerItemRef = std::shared_ptr<VideoJoinerItem>;
using VideoJoinerItemList = QList<VideoJoinerItemRef>;
