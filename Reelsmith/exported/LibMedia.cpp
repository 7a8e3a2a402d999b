#include "Reelsmith/LibMedia.h"

#include "Reelsmith/detail/LMHelper.h"

#include <QLocale>

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcLibMedia, "discwright.reelsmith.media", QtWarningMsg)
} // namespace Reelsmith

namespace {

QString languageName(const QString &code)
{
    if (code.isEmpty())
        return {};
    const QLocale::Language language = QLocale::codeToLanguage(code, QLocale::AnyLanguageCode);
    if (language == QLocale::AnyLanguage || language == QLocale::C)
        return {};
    return QLocale::languageToString(language);
}

} // namespace

QString LibMedia::displayStringForLanguage(const QString &code)
{
    QString name = languageName(code);
    if (name.isEmpty() && code.size() >= 3)
        name = languageName(code.left(2));
    if (name.isEmpty())
        name = languageName(QStringLiteral("en"));
    return name.isEmpty() ? code : name;
}

// One profiler for the engine: both documented entry points add to the same totals.
void LibMedia::timeProfileBlock(const std::function<void()> &block)
{
    // Totals of its own: sharing LMHelper's would fold two callers' timings into one report.
    static Reelsmith::detail::BlockTimeProfile profile;
    profile.run(block, Reelsmith::lcLibMedia());
}
