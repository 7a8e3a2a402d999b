#pragma once

// Draws a template page as the application would show it, with a stand-in picture in every title
// slot: the template thumbnails come from here, and so do the previews for whoever tunes the artwork.

#include "TemplateCatalog.h"

#include <QImage>

namespace templategen {

// The page at its size in points (854 x 480 or 640 x 480), y down, background filling the page.
QImage renderPage(const TemplateSpec &spec, const QImage &background, bool wide);

} // namespace templategen
