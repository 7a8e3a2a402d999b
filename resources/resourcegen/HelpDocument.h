#pragma once

// The help document the Help menu opens, written as a PDF at build time.

#include <QString>

namespace resourcegen {

// "Discwright Help.pdf", the document's file name among the resources.
QString helpDocumentFileName();
// Writes the document to path; false with *error set when it cannot be written.
bool writeHelpDocument(const QString &path, QString *error);

} // namespace resourcegen
