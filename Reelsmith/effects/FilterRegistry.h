#pragma once

#include "Reelsmith/imaging/Filter.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// Filters made by name: the engine's own filters are there from the start; others (the chain
// filter) register themselves. Any thread.
namespace Reelsmith::effects {

using FilterConstructor = std::function<std::shared_ptr<imaging::Filter>()>;

/** A new filter of that name with its default values; null for a name nobody registered. */
std::shared_ptr<imaging::Filter> filterWithName(const QString &name);
/** Makes name create filters through constructor (replacing an earlier registration). */
void registerFilterName(const QString &name, FilterConstructor constructor);
/** Every registered name, sorted. */
QStringList filterNames();

} // namespace Reelsmith::effects
