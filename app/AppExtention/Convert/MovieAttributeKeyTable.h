#pragma once

// The engine half of a clip's movieAttributes: the 18 engine keys, in their stored order, each
// read from and written to the clip's engine movie (LMFFMovie, which has no key-value access of
// its own) through an accessor pair of this table; and the 22 clip keys, which are the edited
// clip's own Q_PROPERTYs.
//
// Each key's value lives on the engine movie only (pieces cut from a clip share it), so a save
// and a load carry exactly what the movie draws. The thread that owns the clip calls these.

#include <QColor>
#include <QPointF>
#include <QStringList>
#include <QVariant>

class VCMovie;

namespace MovieAttributeKeyTable {

// "hflip", "vflip", "rotate", "saturation", "brightness", "contrast", "hue", "sharpness",
// "subtitleShadow", "subtitleFont", "subtitleColor", "subtitlePosition", "effectName",
// "zoomType", "cropRectString", "outputVideoSizeString", "selectAudioStreams", "volume".
QStringList engineKeys();
// "trimStart" ... "subtitleShadowOffsetY", the 22 clip keys in their stored order.
QStringList clipKeys();
// True for an engine key (each has its accessor pair on the engine movie).
bool isWired(const QString &key);

// The value of an engine key for clip's movie; invalid (nil) without a movie, for an unknown key
// and for a value that is not set (no effect, all audio streams).
QVariant engineValue(const VCMovie &clip, const QString &key);
// Sets an engine key; a nil value is ignored (an absent key leaves the movie as it is). False for
// an unknown key, a clip without a movie or a value of the wrong kind.
bool setEngineValue(VCMovie &clip, const QString &key, const QVariant &value);

// The archived form of a shadow: a dictionary of "color", "blurRadius", "offsetX", "offsetY".
QVariantMap shadowValue(const QColor &color, double blurRadius, QPointF offset);

} // namespace MovieAttributeKeyTable
