// The disc model's authoring message, kept with the writer it forwards to so that the model never
// includes the authoring folder.

#include "Platterkit/authoring/DVDAuthorXML.h"
#include "Platterkit/model/DVDLibrary.h"

QString DVDLibrary::authorContent() const
{
    return DVDAuthorXML(*this).authorContent();
}
