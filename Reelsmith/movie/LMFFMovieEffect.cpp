#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "platform/GeometryText.h"

QRectF LMFFMovie::cropRect() const
{
    return m_cachedMovieImage->cropRect();
}

void LMFFMovie::setCropRect(const QRectF &rect)
{
    m_cachedMovieImage->setCropRect(rect);
}

QString LMFFMovie::cropRectString() const
{
    return platform::stringFromRect(cropRect());
}

void LMFFMovie::setCropRectString(const QString &text)
{
    setCropRect(platform::rectFromString(text));
}

QSizeF LMFFMovie::outputVideoSize() const
{
    return m_cachedMovieImage->outputSize();
}

void LMFFMovie::setOutputVideoSize(const QSizeF &size)
{
    m_cachedMovieImage->setOutputSize(size);
    updateSubtitle();
}

QString LMFFMovie::outputVideoSizeString() const
{
    return platform::stringFromSize(outputVideoSize());
}

void LMFFMovie::setOutputVideoSizeString(const QString &text)
{
    setOutputVideoSize(platform::sizeFromString(text));
}

QSizeF LMFFMovie::displaySize() const
{
    return m_cachedMovieImage->displaySize();
}

void LMFFMovie::setDisplaySize(const QSizeF &size)
{
    m_cachedMovieImage->setDisplaySize(size);
}

void LMFFMovie::updateSubtitle()
{
    m_cachedMovieImage->clearSubtitleCache();
}

// Settings that only change how a frame is composed: read and written on the frame image.
#define LM_EFFECT_PROPERTY(Type, Arg, getter, setter)                                              \
    Type LMFFMovie::getter() const                                                                 \
    {                                                                                              \
        return m_cachedMovieImage->getter();                                                       \
    }                                                                                              \
    void LMFFMovie::setter(Arg value)                                                              \
    {                                                                                              \
        m_cachedMovieImage->setter(value);                                                         \
    }

// The text subtitle's style: the rendered text was drawn in the old style.
#define LM_SUBTITLE_STYLE_PROPERTY(Type, Arg, getter, setter)                                      \
    Type LMFFMovie::getter() const                                                                 \
    {                                                                                              \
        return m_cachedMovieImage->getter();                                                       \
    }                                                                                              \
    void LMFFMovie::setter(Arg value)                                                              \
    {                                                                                              \
        m_cachedMovieImage->setter(value);                                                         \
        updateSubtitle();                                                                          \
    }

LM_EFFECT_PROPERTY(bool, bool, hflip, setHflip)
LM_EFFECT_PROPERTY(bool, bool, vflip, setVflip)
LM_EFFECT_PROPERTY(float, float, rotate, setRotate)
LM_EFFECT_PROPERTY(float, float, saturation, setSaturation)
LM_EFFECT_PROPERTY(float, float, brightness, setBrightness)
LM_EFFECT_PROPERTY(float, float, contrast, setContrast)
LM_EFFECT_PROPERTY(float, float, hue, setHue)
LM_EFFECT_PROPERTY(float, float, sharpness, setSharpness)
LM_EFFECT_PROPERTY(QString, const QString &, effectName, setEffectName)
LM_EFFECT_PROPERTY(Reelsmith::imaging::Image,
                   const Reelsmith::imaging::Image &,
                   watermark,
                   setWatermark)
LM_EFFECT_PROPERTY(int32_t, int32_t, zoomType, setZoomType)
LM_SUBTITLE_STYLE_PROPERTY(std::optional<QFont>,
                           const std::optional<QFont> &,
                           subtitleFont,
                           setSubtitleFont)
LM_SUBTITLE_STYLE_PROPERTY(QColor, const QColor &, subtitleColor, setSubtitleColor)
LM_SUBTITLE_STYLE_PROPERTY(QColor,
                           const QColor &,
                           subtitleBackgroundColor,
                           setSubtitleBackgroundColor)
LM_SUBTITLE_STYLE_PROPERTY(std::optional<LMTextShadow>,
                           const std::optional<LMTextShadow> &,
                           subtitleShadow,
                           setSubtitleShadow)
LM_SUBTITLE_STYLE_PROPERTY(double, double, subtitleBackgroundRadius, setSubtitleBackgroundRadius)
LM_SUBTITLE_STYLE_PROPERTY(float, float, subtitlePosition, setSubtitlePosition)

#undef LM_EFFECT_PROPERTY
#undef LM_SUBTITLE_STYLE_PROPERTY
