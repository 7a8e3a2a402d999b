#include "Platterkit/templates/DVDLibraryResourceCoder.h"

#include "platform/ClassRegistry.h"

DW_REGISTER_CLASS(DVDLibraryResourceCoder)
