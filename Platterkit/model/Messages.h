#pragma once

// Messages that the library sends to any object that answers them, whether or not its class declares
// a protocol. An object answers a message when its class has an invokable method (Q_INVOKABLE or
// slot) of that name with exactly the argument types below; a class that declares DVDTitleResource
// is called through the protocol directly. Each helper returns whether the message was delivered.
// All of them run the method synchronously on the calling thread.

#include "platform/Object.h"

#include <QImage>
#include <QMetaType>
#include <QPainter>
#include <QSizeF>
#include <optional>

Q_DECLARE_METATYPE(QPainter *)

namespace Platterkit {

// setVideoSize(QSizeF): the menu page size, sent to every title by updateDVDMenuTitleSize.
bool sendSetVideoSize(QObject *target, QSizeF size);

// itemFillImageAtTimeContext(QObject *item, qint64 timeUs, QPainter *context): asks a title to draw
// the picture of an element that leads to it.
bool sendItemFillImageAtTimeContext(QObject *target,
                                    QObject *item,
                                    qint64 timeUs,
                                    QPainter *context);

// QImage validStaticImage(): the still picture a jump target offers for the elements leading to it.
// std::nullopt when the target does not answer; a null QImage when it answers with no picture.
std::optional<QImage> sendValidStaticImage(QObject *target);

// setJump(ObjectRef): sets an element's jump target (null clears it).
bool sendSetJump(QObject *element, const ObjectRef &target);

} // namespace Platterkit
