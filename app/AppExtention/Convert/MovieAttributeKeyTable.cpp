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
    Getter get; // null: unwired, the clip keeps the value
    Setter set;
};

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
        {QStringLiteral("hflip"), {}, {}},
        {QStringLiteral("vflip"), {}, {}},
        {QStringLiteral("rotate"), {}, {}},
        {QStringLiteral("saturation"), {}, {}},
        {QStringLiteral("brightness"), {}, {}},
        {QStringLiteral("contrast"), {}, {}},
        {QStringLiteral("hue"), {}, {}},
        {QStringLiteral("sharpness"), {}, {}},
        {QStringLiteral("subtitleShadow"), {}, {}},
        {QStringLiteral("subtitleFont"), {}, {}},
        {QStringLiteral("subtitleColor"), {}, {}},
        {QStringLiteral("subtitlePosition"), {}, {}},
        {QStringLiteral("effectName"), {}, {}},
        {QStringLiteral("zoomType"), {}, {}},
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

// What the engine movie answers for an unwired key that was never set: its neutral value.
QVariant unwiredDefault(const VCMovie &clip, const QString &key)
{
    if (key == u"hflip" || key == u"vflip")
        return false;
    if (key == u"rotate")
        return float(clip.rotation());
    if (key == u"saturation" || key == u"brightness" || key == u"hue" || key == u"sharpness")
        return 0.5f;
    if (key == u"contrast")
        return 0.25f;
    if (key == u"zoomType")
        return clip.zoomType() != 0 ? clip.zoomType() : LMSegmentMovie::kZoomDefault;
    return QVariant();
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

QStringList unwiredEngineKeys()
{
    QStringList keys;
    for (const EngineKey &row : table()) {
        if (!row.get)
            keys.append(row.key);
    }
    return keys;
}

bool isWired(const QString &key)
{
    const EngineKey *row = find(key);
    return row && row->get;
}

QVariant engineValue(const VCMovie &clip, const QString &key)
{
    const auto movie = clip.movie();
    const EngineKey *row = find(key);
    if (!movie || !row)
        return QVariant();
    if (row->get)
        return row->get(*movie);
    const QVariant kept = clip.unwiredEngineValue(key);
    return kept.isValid() ? kept : unwiredDefault(clip, key);
}

bool setEngineValue(VCMovie &clip, const QString &key, const QVariant &value)
{
    const auto movie = clip.movie();
    const EngineKey *row = find(key);
    if (!movie || !row)
        return false;
    if (!value.isValid() || value.isNull())
        return true;
    if (row->set)
        return row->set(*movie, value);
    clip.setUnwiredEngineValue(key, value);
    return true;
}

QVariantMap shadowValue(const QColor &color, double blurRadius, QPointF offset)
{
    return {{QStringLiteral("color"), color},
            {QStringLiteral("blurRadius"), blurRadius},
            {QStringLiteral("offsetX"), offset.x()},
            {QStringLiteral("offsetY"), offset.y()}};
}

} // namespace MovieAttributeKeyTable
