#pragma once

#include "Reelsmith/imaging/Filter.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <memory>

/**
 * The process-wide catalogue of named video effects: each name stands for a filter (or a chain)
 * whose values are fixed when the catalogue is built. The names keep their display order.
 *
 * Built on the first call of manager() from whatever thread makes it (safely, once), never
 * changed afterwards and never freed, so any thread may read it. The stored filters are never
 * handed out: every caller gets a copy of its own to set an input on.
 */
class EffectManager
{
public:
    using FilterPtr = std::shared_ptr<Reelsmith::imaging::Filter>;

    static EffectManager &manager();
    /** manager().filterWithName(name). */
    static FilterPtr sharedFilterWithName(const QString &name);
    /** manager().allFilterNames(). */
    static QStringList sharedAllFilterNames();

    /** A new copy of the effect's filter; null for a name the catalogue does not have. */
    FilterPtr filterWithName(const QString &name) const;
    /** The names in display order, "1935" first and "New Effection" last. */
    QStringList allFilterNames() const { return m_names; }
    /** A copy of every effect's filter, in display order (names without a filter are skipped). */
    QList<FilterPtr> allFilters() const;

    EffectManager(const EffectManager &) = delete;
    EffectManager &operator=(const EffectManager &) = delete;

private:
    EffectManager();
    void makeEffects();

    QStringList m_names;
    QHash<QString, FilterPtr> m_effects;
};
