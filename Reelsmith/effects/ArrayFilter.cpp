#include "Reelsmith/effects/ArrayFilter.h"

#include "Reelsmith/effects/FilterRegistry.h"

#include <mutex>

using Reelsmith::imaging::Filter;
using Reelsmith::imaging::Image;

void ArrayFilter::initialize()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Reelsmith::effects::registerFilterName(QStringLiteral("ArrayFilter"),
                                               [] { return std::make_shared<ArrayFilter>(); });
    });
}

std::shared_ptr<ArrayFilter> ArrayFilter::filterWithName(const QString &)
{
    return std::make_shared<ArrayFilter>();
}

ArrayFilter::ArrayFilter()
    : Filter(QStringLiteral("ArrayFilter"))
{}

std::shared_ptr<Filter> ArrayFilter::copy() const
{
    auto result = std::make_shared<ArrayFilter>(*this);
    FilterList copies;
    for (const auto &filter : m_filters) {
        if (filter) {
            if (auto copied = filter->copy())
                copies.append(std::move(copied));
        }
    }
    result->m_filters = copies;
    return result;
}

Image ArrayFilter::applyTo(const Image &image) const
{
    Image running = image;
    for (const auto &filter : m_filters) {
        if (filter && !running.isNull())
            running = filter->applyTo(running);
    }
    return running;
}

bool ArrayFilter::isNeutral() const
{
    for (const auto &filter : m_filters)
        if (filter && !filter->isNeutral())
            return false;
    return true;
}
