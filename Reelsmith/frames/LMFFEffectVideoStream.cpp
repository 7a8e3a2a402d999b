#include "Reelsmith/frames/LMFFEffectVideoStream.h"

#include "Reelsmith/frames/LMDataImage.h"

#include <QFont>
#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

using Reelsmith::imaging::Image;

LMFFEffectVideoStream::LMFFEffectVideoStream()
    : m_dataImage(LMDataImage::create())
{
    m_dataImage->format = AV_PIX_FMT_RGBA;
    m_settings.zoomType = 2;
}

LMFFEffectVideoStream::~LMFFEffectVideoStream()
{
    sws_freeContext(m_swscontextCached);
}

void LMFFEffectVideoStream::writeFrame(const AVFrame *frame)
{
    writeFrame(frame, DataProvider());
}

void LMFFEffectVideoStream::writeFrame(const AVFrame *frame, const DataProvider &provider)
{
    if (!frame || !frame->data[0] || frame->width < 1 || frame->height < 1
        || !sws_isSupportedInput(AVPixelFormat(frame->format)))
        return;
    int32_t w = int32_t(std::lround(m_frameDisplaySize.width()));
    int32_t h = int32_t(std::lround(m_frameDisplaySize.height()));
    if (w < 1 || h < 1) {
        w = frame->width;
        h = frame->height;
    }
    const int64_t bytesPerRow = int64_t((w + 7) / 8 * 8) * 4;
    const int64_t size = bytesPerRow * h;
    if (size <= 0 || size > INT32_MAX)
        return;
    m_dataBuffer = provider ? provider(int32_t(size)) : nullptr;
    if (m_dataImage->length() < size_t(size))
        m_dataImage->allocate(size_t(size));
    m_dataImage->width = w;
    m_dataImage->height = h;
    m_dataImage->bytes_per_row = int32_t(bytesPerRow);
    m_swscontextCached = sws_getCachedContext(m_swscontextCached,
                                              frame->width,
                                              frame->height,
                                              AVPixelFormat(frame->format),
                                              w,
                                              h,
                                              AVPixelFormat(outputDataFormat().pix_fmt),
                                              SWS_BILINEAR,
                                              nullptr,
                                              nullptr,
                                              nullptr);
    if (!m_swscontextCached)
        return;
    uint8_t *planes[4] = {m_dataImage->mutableBytes(), nullptr, nullptr, nullptr};
    int strides[4] = {int(bytesPerRow), 0, 0, 0};
    sws_scale(m_swscontextCached, frame->data, frame->linesize, 0, frame->height, planes, strides);
    if (m_dataBuffer && !m_dataBuffer->isEmpty()) {
        const size_t count = std::min(size_t(m_dataBuffer->size()), m_dataImage->length());
        std::memcpy(m_dataBuffer->data(), m_dataImage->bytes(), count);
    }
}

LMFFVideoFormat LMFFEffectVideoStream::outputDataFormat() const
{
    return {m_dataImage->format, int32_t(m_outputSize.width()), int32_t(m_outputSize.height())};
}

std::shared_ptr<LMDataImage> LMFFEffectVideoStream::originImage() const
{
    if (!m_dataBuffer)
        return m_dataImage;
    auto copy = m_dataImage->copy();
    copy->setBytesNoCopy(reinterpret_cast<uint8_t *>(m_dataBuffer->data()),
                         size_t(m_dataBuffer->size()),
                         m_dataBuffer);
    return copy;
}

Image LMFFEffectVideoStream::currentEffectImage() const
{
    std::shared_ptr<LMDataImage> origin = originImage();
    if (!origin->isImageValid())
        origin = m_dataImage; // a provider's buffer too short for the picture
    if (!origin->isImageValid())
        return {};
    Reelsmith::detail::CompositionSteps steps;
    steps.frame = Image::fromBuffer(origin->bytes(),
                                    origin->width,
                                    origin->height,
                                    origin->bytes_per_row,
                                    origin,
                                    origin->alpha == LMAlphaType::Straight);
    if (!m_mediaSubtitleImage.isNull())
        steps.mediaSubtitle
            = Image::fromQImage(m_mediaSubtitleImage.image)
                  .translated(m_mediaSubtitleImage.origin.x(), m_mediaSubtitleImage.origin.y());
    steps.cropRect = m_cropRect;
    // The display aspect is the whole frame's: a crop keeps the frame's pixel shape, so the width
    // comes from the frame's height (not the crop's) turned to 16:9 or 4:3.
    const Reelsmith::imaging::Extent e = steps.frame.extent();
    if (!e.isEmpty()) {
        if (m_aspectType == 2)
            steps.scaleBeforeTurn = QSizeF(std::round(e.height() / 9 * 16) / e.width(), 1);
        else if (m_aspectType == 1)
            steps.scaleBeforeTurn = QSizeF(std::round(e.height() / 3 * 4) / e.width(), 1);
    }
    const LMFFVideoFormat format = outputDataFormat();
    steps.outputRect = QRectF(0, 0, format.width, format.height);
    steps.textSubtitle = currentSubtitleImage();
    return Reelsmith::detail::composePicture(steps, m_settings, effectFilter());
}

Image LMFFEffectVideoStream::currentSubtitleImage() const
{
    if (m_subtitleCurrentString.isEmpty())
        return {};
    const LMFFVideoFormat format = outputDataFormat();
    const QSizeF output(format.width, format.height);
    if (m_subtitleCurrentString != m_subtitleImageString) {
        m_subtitleImageString = m_subtitleCurrentString;
        LMPictureSettings style = m_settings;
        if (!style.subtitleFont) {
            QFont font;
            font.setPixelSize(80);
            style.subtitleFont = font;
        }
        if (!style.subtitleColor.isValid())
            style.subtitleColor = Qt::white;
        m_subtitleImage
            = Reelsmith::detail::renderSubtitle(m_subtitleCurrentString, style, output, false);
    }
    return Reelsmith::detail::placeSubtitle(m_subtitleImage, output, m_settings.subtitlePosition);
}

void LMFFEffectVideoStream::updateSubtitle()
{
    m_subtitleImageString = QString();
    m_subtitleImage = QImage();
}

Reelsmith::detail::FilterList LMFFEffectVideoStream::colorFilter() const
{
    return Reelsmith::detail::colorFilters(m_settings, true);
}

Reelsmith::detail::FilterList LMFFEffectVideoStream::effectFilter() const
{
    return Reelsmith::detail::effectFilters(m_settings, true);
}

Image LMFFEffectVideoStream::composition(const QString &filterName,
                                         const Image &image,
                                         const Image &background)
{
    if (filterName == QLatin1String("SourceOverCompositing"))
        return image.sourceOver(background);
    if (filterName == QLatin1String("SourceInCompositing"))
        return image.sourceIn(background);
    return {};
}

Image LMFFEffectVideoStream::sourceOverImage(const Image &image, const Image &background)
{
    return composition(QStringLiteral("SourceOverCompositing"), image, background);
}

Image LMFFEffectVideoStream::sourceInImage(const Image &image, const Image &background)
{
    return composition(QStringLiteral("SourceInCompositing"), image, background);
}

QRectF LMFFEffectVideoStream::scaleRectXScaleYScale(const QRectF &rect, float xScale, float yScale)
{
    return QRectF(
        rect.x() * xScale, rect.y() * yScale, rect.width() * xScale, rect.height() * yScale);
}
