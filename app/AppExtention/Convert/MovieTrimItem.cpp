#include "app/AppExtention/Convert/MovieTrimItem.h"

#include "app/AppExtention/Convert/Double2LMFFTimeTransformer.h"
#include "platform/ClassRegistry.h"

DW_REGISTER_CLASS(MovieTrimItem)

std::shared_ptr<MovieTrimItem>
MovieTrimItem::item(double startSeconds, double durationSeconds, double fadeIn, double fadeOut)
{
    auto trim = std::make_shared<MovieTrimItem>();
    trim->setStart(startSeconds);
    trim->setDuration(durationSeconds);
    trim->setFadeIn(fadeIn);
    trim->setFadeOut(fadeOut);
    return trim;
}

QStringList MovieTrimItem::allCoderKeys() const
{
    return {QStringLiteral("start"),
            QStringLiteral("duration"),
            QStringLiteral("fadeIn"),
            QStringLiteral("fadeOut")};
}

int64_t MovieTrimItem::startTime() const
{
    return Double2LMFFTimeTransformer::reverseTransformedValue(m_start);
}

int64_t MovieTrimItem::stopTime() const
{
    return Double2LMFFTimeTransformer::reverseTransformedValue(stop());
}

int64_t MovieTrimItem::durationTime() const
{
    return Double2LMFFTimeTransformer::reverseTransformedValue(m_duration);
}

QString MovieTrimItem::description() const
{
    return QString::asprintf("%f %f", m_start, m_duration);
}
