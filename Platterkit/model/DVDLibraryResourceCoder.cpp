#include "Platterkit/model/DVDLibraryResourceCoder.h"

#include "platform/ClassRegistry.h"

DW_REGISTER_CLASS(DVDLibraryResourceCoder)
