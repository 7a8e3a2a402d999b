#pragma once

#include "platform/KeyedObject.h"

#include <QLoggingCategory>
#include <QString>

namespace Reelsmith {
// discwright.reelsmith.coding: saving and loading records to their own files.
Q_DECLARE_LOGGING_CATEGORY(lcCoding)
} // namespace Reelsmith

/**
 * The persistence base of the application's records (titles, clips, markers, menu styles, the
 * settings object). A subclass declares its persisted values as Q_PROPERTYs and lists them in
 * allCoderKeys; keyed coding, copying and saving to and loading from a file of its own all walk
 * that list through key-value access.
 *
 * The file is a keyed archive whose top level holds exactly the coder keys. Saving and loading
 * each run inside platform::tryBlock: a value that cannot be archived or a damaged file is logged
 * ("tryBlock ...") and costs that operation only. A key absent from a file keeps the property's
 * current value.
 *
 * Records are held by std::shared_ptr and used by one thread at a time.
 */
class CodingBase : public platform::KeyedObject
{
    Q_OBJECT
public:
    Q_INVOKABLE CodingBase() = default;

    // Keyed coding and copy() are KeyedObject's walks over allCoderKeys; a subclass overrides one
    // of its per-key steps (encoderKey, decoderKey, copyToKey) to change how that key is stored,
    // and saving and loading a file go through the same steps. copy() is shallow.

    /** copy() under the name the records use. */
    std::shared_ptr<platform::KeyedObject> copyWithZone() const { return copy(); }

    /**
     * Writes the coder keys to path as a keyed archive, atomically (the flag is accepted for
     * callers and not needed: the file is always replaced whole). Missing parent folders are
     * created. False when nothing was written (a value that cannot be archived, a folder that
     * cannot be written); lastError() says why, and the old file, if any, is left as it was.
     */
    bool writeToFileAtomically(const QString &path, bool atomically = true);

    /**
     * Sets every coder key that the file at path holds. A missing or unreadable file changes
     * nothing. A file that is no keyed archive is reported through tryBlock and changes nothing;
     * a value that fails part way keeps the keys set before it. True when every key present was
     * taken; lastError() says why not.
     */
    bool loadWithContentsOfFile(const QString &path);

    /** Why the last save or load did not complete. */
    QString lastError() const { return m_lastError; }

private:
    QString m_lastError;
};
