#pragma once

// The application's own named pictures, shipped as "<name>.png" in the bundle resources beside
// the executable (such as "DefaultImage", the picture of a clip without a thumbnail). Any thread.

#include <QImage>
#include <QString>

namespace ApplicationImage {

// The folder the pictures are read from; empty (the default) means the bundle resources beside
// the executable.
void setResourcesFolder(const QString &folder);

// The picture named name; null when the resources hold none.
QImage imageNamed(const QString &name);

} // namespace ApplicationImage
