#pragma once

#include "Reelsmith/imaging/Filter.h"

#include <QList>
#include <memory>

/**
 * A filter that runs a list of filters one after the other, made by the name "ArrayFilter" like
 * any other filter once initialize() has run. Its output is the input passed through each filter
 * in order; with no filters it is the input itself. Copying copies every filter of the chain.
 *
 * Owned by whoever made it; one thread changes it at a time (see imaging::Filter).
 */
class ArrayFilter final : public Reelsmith::imaging::Filter
{
public:
    using FilterList = QList<std::shared_ptr<Reelsmith::imaging::Filter>>;

    /** Registers the name "ArrayFilter" (once per process; any thread). */
    static void initialize();
    /** A new chain without filters or input (the name is not looked at). */
    static std::shared_ptr<ArrayFilter> filterWithName(const QString &name);

    ArrayFilter();

    FilterList filters() const { return m_filters; }
    void setFilters(const FilterList &filters) { m_filters = filters; }

    std::shared_ptr<Reelsmith::imaging::Filter> copy() const override;
    Reelsmith::imaging::Image applyTo(const Reelsmith::imaging::Image &image) const override;
    bool isNeutral() const override;
    /** Never used: the chain's filters do the pixel work. */
    void apply(const Reelsmith::imaging::Tile &, const Reelsmith::imaging::Tile &) const override {}

private:
    FilterList m_filters;
};
