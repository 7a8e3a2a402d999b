#include "testsupport/GuiApplication.h"

#include <QGuiApplication>
#include <cstdlib>

namespace fixtures {

void ensureGuiApplication()
{
    if (QCoreApplication::instance())
        return;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "reelsmith-test";
    static char *argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

} // namespace fixtures

// Fontconfig keeps a few allocations for the life of the process on purpose; the leak checker of
// the sanitizer builds is told not to count them.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

// Qt draws and converts large images on worker threads of its own and hands the work over
// through futexes the thread checker does not follow; races reported inside Qt's painting and
// image conversion are that hand-over, not ours.
extern "C" const char *__tsan_default_suppressions()
{
    return "race:QImageData::convertInPlace\n"
           "race:QImage::convertToFormat\n"
           "race:libQt6Gui.so\n"
           "race:libQt6Core.so\n"
           "race:QThreadPoolPrivate\n"
           "race:QRunnable::create\n";
}
