#include "support/PlayerClips.h"

#include <QtGlobal>

namespace players_testing {

VCMovieRef openClip(const QString &path)
{
    if (path.isEmpty()) {
        ADD_FAILURE() << fixtures::MediaFixtures::shared().lastError().toStdString();
        return nullptr;
    }
    VCMovieRef clip = VCMovie::movieWithSource(LMMediaSource::mediaWithPath(path));
    EXPECT_TRUE(clip && clip->movie()) << path.toStdString();
    return clip;
}

VCMovieRef testClip(int seconds, double start, double stop)
{
    VCMovieRef clip = openClip(fixtures::MediaFixtures::shared().testsrc2SineMp4(seconds));
    if (clip && start >= 0.0) {
        clip->setTrimStart(int64_t(start * kSecond));
        clip->setTrimStop(int64_t(stop * kSecond));
    }
    return clip;
}

VCMovieRef audioOnlyClip()
{
    return openClip(fixtures::MediaFixtures::shared().audioOnlyWav());
}

void settle(const VCMovieRef &clip)
{
    if (clip && clip->movie()) {
        clip->movie()->pause();
        clip->movie()->flushOperation();
    }
}

void PlayerClipTest::SetUp()
{
    setUpPlayerTest();
}

void PlayerClipTest::TearDown()
{
    for (const auto &clip : opened)
        settle(clip);
}

VCMovieRef PlayerClipTest::clip(int seconds, double start, double stop)
{
    VCMovieRef made = testClip(seconds, start, stop);
    opened.append(made);
    return made;
}

} // namespace players_testing
