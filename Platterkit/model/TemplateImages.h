#pragma once

#include <QImage>
#include <QString>

namespace Platterkit {

/**
 * Resolves a picture of the template folder by its path relative to that folder: the one way the
 * template resource records (buttons, frames, template backgrounds) and the template library reach
 * their pictures. The folder is the one the installed DVDLibraryHooks names at the time of the call,
 * so the records need neither the template library nor anything above the model. Returns a new
 * premultiplied ARGB32 picture, or null when the folder, the path or the picture is missing or
 * unreadable. Reads the file on every call; safe on any thread.
 */
QImage templateImageWithName(const QString &relativePath);

} // namespace Platterkit
