#pragma once

#include <QLoggingCategory>
#include <QString>
#include <functional>

namespace Reelsmith {
// discwright.reelsmith.media: the engine's small helpers (dictionary dumps, timing reports).
Q_DECLARE_LOGGING_CATEGORY(lcLibMedia)
} // namespace Reelsmith

/**
 * Class-level helpers of the engine: language display names for stream menus and a timing probe
 * for diagnostics. No instances.
 */
class LibMedia
{
public:
    LibMedia() = delete;

    /**
     * The current locale's English-style display name of a language code ("fra", "de"). A code
     * the locale cannot name is retried with its first two letters; when that fails too, the
     * locale's name for English, and only when even that is empty, the code itself. Any thread.
     */
    static QString displayStringForLanguage(const QString &code);

    /**
     * Runs block and adds its run time to process-wide totals. More than 5 s after the last report
     * (and on the first call) it logs "average runs-per-second seconds count" and starts again.
     * Meant for one thread at a time: the totals are not guarded.
     */
    static void timeProfileBlock(const std::function<void()> &block);
};
