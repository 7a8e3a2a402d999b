#include "app/AppExtention/Convert/MovieAttributeKeyTable.h"

#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/VCMovie.h"

#include <QVariantList>
#include <algorithm>
#include <functional>

namespace MovieAttributeKeyTable {
namespace {

using Getter = std::function<QVariant(const LMFFMovie &)>;
using Setter = std::function<bool(LMFFMovie &, const QVariant &)>;

struct EngineKey
{
    QString key;
    Getter get;
    Setter set;
};

// A row over a bool accessor pair of the movie.
EngineKey boolKey(const char *key, bool (LMFFMovie::*get)() const, void (LMFFMovie::*set)(bool))
{
    return {QString::fromLatin1(key),
            [get](const LMFFMovie &movie) { return QVariant((movie.*get)()); },
            [set](LMFFMovie &movie, const QVariant &value) {
                if (!value.canConvert<bool>())
                    return false;
                (movie.*set)(value.toBool());
                return true;
            }};
}

// A row over a float accessor pair of the movie.
EngineKey floatKey(const char *key, float (LMFFMovie::*get)() const, void (LMFFMovie::*set)(float))
{
    return {QString::fromLatin1(key),
            [get](const LMFFMovie &movie) { return QVariant((movie.*get)()); },
            [set](LMFFMovie &movie, const QVariant &value) {
                bool ok = false;
                const float number = value.toFloat(&ok);
                if (ok)
                    (movie.*set)(number);
                return ok;
            }};
}

QVariant shadowOf(const LMFFMovie &movie)
{
    const auto shadow = movie.subtitleShadow();
    if (!shadow)
        return QVariant();
    return shadowValue(shadow->color, shadow->blurRadius, shadow->offset);
}

bool setShadow(LMFFMovie &movie, const QVariant &value)
{
    if (!value.canConvert<QVariantMap>())
        return false;
    const QVariantMap map = value.toMap();
    LMTextShadow shadow;
    shadow.color = map.value(QStringLiteral("color")).value<QColor>();
    shadow.blurRadius = map.value(QStringLiteral("blurRadius")).toDouble();
    shadow.offset = QPointF(map.value(QStringLiteral("offsetX")).toDouble(),
                            map.value(QStringLiteral("offsetY")).toDouble());
    movie.setSubtitleShadow(shadow);
    return true;
}

QVariant selectedStreams(const LMFFMovie &movie)
{
    const auto streams = movie.selectAudioStreams();
    if (!streams)
        return QVariant();
    QList<int> sorted(streams->begin(), streams->end());
    std::sort(sorted.begin(), sorted.end());
    QVariantList list;
    for (int index : sorted)
        list.append(qint64(index));
    return list;
}

bool setSelectedStreams(LMFFMovie &movie, const QVariant &value)
{
    if (!value.canConvert<QVariantList>())
        return false;
    QSet<int> streams;
    for (const QVariant &index : value.toList())
        streams.insert(index.toInt());
    movie.setSelectAudioStreams(streams);
    return true;
}

const QList<EngineKey> &table()
{
    static const QList<EngineKey> keys = {
        boolKey("hflip", &LMFFMovie::hflip, &LMFFMovie::setHflip),
        boolKey("vflip", &LMFFMovie::vflip, &LMFFMovie::setVflip),
        floatKey("rotate", &LMFFMovie::rotate, &LMFFMovie::setRotate),
        floatKey("saturation", &LMFFMovie::saturation, &LMFFMovie::setSaturation),
        floatKey("brightness", &LMFFMovie::brightness, &LMFFMovie::setBrightness),
        floatKey("contrast", &LMFFMovie::contrast, &LMFFMovie::setContrast),
        floatKey("hue", &LMFFMovie::hue, &LMFFMovie::setHue),
        floatKey("sharpness", &LMFFMovie::sharpness, &LMFFMovie::setSharpness),
        {QStringLiteral("subtitleShadow"), shadowOf, setShadow},
        {QStringLiteral("subtitleFont"),
         [](const LMFFMovie &movie) {
             const auto font = movie.subtitleFont();
             return font ? QVariant(*font) : QVariant();
         },
         [](LMFFMovie &movie, const QVariant &value) {
             if (!value.canConvert<QFont>())
                 return false;
             movie.setSubtitleFont(value.value<QFont>());
             return true;
         }},
        {QStringLiteral("subtitleColor"),
         [](const LMFFMovie &movie) {
             const QColor color = movie.subtitleColor();
             return color.isValid() ? QVariant(color) : QVariant();
         },
         [](LMFFMovie &movie, const QVariant &value) {
             const QColor color = value.value<QColor>();
             if (!color.isValid())
                 return false;
             movie.setSubtitleColor(color);
             return true;
         }},
        floatKey("subtitlePosition", &LMFFMovie::subtitlePosition, &LMFFMovie::setSubtitlePosition),
        {QStringLiteral("effectName"),
         [](const LMFFMovie &movie) {
             const QString name = movie.effectName();
             return name.isEmpty() ? QVariant() : QVariant(name);
         },
         [](LMFFMovie &movie, const QVariant &value) {
             if (!value.canConvert<QString>())
                 return false;
             movie.setEffectName(value.toString());
             return true;
         }},
        {QStringLiteral("zoomType"),
         [](const LMFFMovie &movie) { return QVariant(movie.zoomType()); },
         [](LMFFMovie &movie, const QVariant &value) {
             bool ok = false;
             const int zoom = value.toInt(&ok);
             if (ok)
                 movie.setZoomType(zoom);
             return ok;
         }},
        {QStringLiteral("cropRectString"),
         [](const LMFFMovie &movie) { return QVariant(movie.cropRectString()); },
         [](LMFFMovie &movie, const QVariant &value) {
             movie.setCropRectString(value.toString());
             return true;
         }},
        {QStringLiteral("outputVideoSizeString"),
         [](const LMFFMovie &movie) { return QVariant(movie.outputVideoSizeString()); },
         [](LMFFMovie &movie, const QVariant &value) {
             movie.setOutputVideoSizeString(value.toString());
             return true;
         }},
        {QStringLiteral("selectAudioStreams"), selectedStreams, setSelectedStreams},
        {QStringLiteral("volume"),
         [](const LMFFMovie &movie) { return QVariant(movie.volume()); },
         [](LMFFMovie &movie, const QVariant &value) {
             bool ok = false;
             const double volume = value.toDouble(&ok);
             if (ok)
                 movie.setVolume(volume);
             return ok;
         }},
    };
    return keys;
}

const EngineKey *find(const QString &key)
{
    for (const EngineKey &row : table()) {
        if (row.key == key)
            return &row;
    }
    return nullptr;
}

} // namespace

QStringList engineKeys()
{
    QStringList keys;
    for (const EngineKey &row : table())
        keys.append(row.key);
    return keys;
}

QStringList clipKeys()
{
    return {QStringLiteral("trimStart"),
            QStringLiteral("trimStop"),
            QStringLiteral("fadeIn"),
            QStringLiteral("fadeOut"),
            QStringLiteral("trimArray"),
            QStringLiteral("enableWatermark"),
            QStringLiteral("watermarkType"),
            QStringLiteral("watermarkText"),
            QStringLiteral("watermarkTextFont"),
            QStringLiteral("watermarkTextColor"),
            QStringLiteral("watermarkImage"),
            QStringLiteral("subtitleContent"),
            QStringLiteral("subtitlePath"),
            QStringLiteral("subtitleEncoding"),
            QStringLiteral("watermarkRectString"),
            QStringLiteral("watermarkTextSizeString"),
            QStringLiteral("watermarkOpacity"),
            QStringLiteral("useSubtitleShadow"),
            QStringLiteral("subtitleShadowColor"),
            QStringLiteral("subtitleShadowWidth"),
            QStringLiteral("subtitleShadowOffsetX"),
            QStringLiteral("subtitleShadowOffsetY")};
}

bool isWired(const QString &key)
{
    const EngineKey *row = find(key);
    return row && row->get && row->set;
}

QVariant engineValue(const VCMovie &clip, const QString &key)
{
    const auto movie = clip.movie();
    const EngineKey *row = find(key);
    if (!movie || !row)
        return QVariant();
    return row->get(*movie);
}

bool setEngineValue(VCMovie &clip, const QString &key, const QVariant &value)
{
    const auto movie = clip.movie();
    const EngineKey *row = find(key);
    if (!movie || !row)
        return false;
    if (!value.isValid() || value.isNull())
        return true;
    return row->set(*movie, value);
}

QVariantMap shadowValue(const QColor &color, double blurRadius, QPointF offset)
{
    return {{QStringLiteral("color"), color},
            {QStringLiteral("blurRadius"), blurRadius},
            {QStringLiteral("offsetX"), offset.x()},
            {QStringLiteral("offsetY"), offset.y()}};
}

} // namespace MovieAttributeKeyTable
