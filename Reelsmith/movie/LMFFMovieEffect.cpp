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
