#include "app/AppExtention/DVDLibraryResourceExtention.h"

#include "Platterkit/templates/DVDLibraryResource.h"

namespace DVDLibraryResourceExtention {

void setupResourceForCustom() {}

DVDMenuRef defaultMenuForAspectType(qint64 aspectType)
{
    return DVDLibraryResource::share()->defaultMenuForAspectType(aspectType);
}

} // namespace DVDLibraryResourceExtention
