// Makes every test medium of the engine's tests into the build's cache folder (see
// MediaFixtures.h), so that the tests find them ready. ctest runs it before the tests as the set-up
// of the "reelsmith_media" fixture. It is built without ThreadSanitizer: it is the one process that
// starts the ffmpeg and spumux programs.

#include "testsupport/MediaFixtures.h"

#include <cstdio>

int main()
{
    fixtures::MediaFixtures &fixtures = fixtures::MediaFixtures::shared();
    if (!fixtures.makeAll()) {
        std::fprintf(stderr, "%s\n", qPrintable(fixtures.lastError()));
        return 1;
    }
    std::printf("test media ready in %s\n", qPrintable(fixtures.dir()));
    return 0;
}
