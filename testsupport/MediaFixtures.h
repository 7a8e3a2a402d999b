#pragma once

// Media files made with the ffmpeg program, small and short, in one cache folder per build
// (DW_BINARY_DIR/testmedia, or the folder named by DW_TEST_MEDIA_DIR). A recipe makes its file
// under a lock file once and every later call, in any test process, reuses it; a recipe that fails
// answers an empty path and leaves the reason in lastError().
//
// In a ThreadSanitizer build the fixtures never start a child process (once a process has started
// one, TSan reports false races in it): a missing file fails with a message naming the program
// that makes every recipe (kMakerProgram, run by ctest before the tests).

#include <QImage>
#include <QString>

namespace fixtures {

// The program that makes every recipe ahead of the tests.
inline constexpr const char *kMakerProgram = "reelsmith_make_test_media";

// True in a ThreadSanitizer build: the fixtures then only read what the maker made.
constexpr bool fixturesStartNoChild()
{
#if defined(__SANITIZE_THREAD__)
    return true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

class MediaFixtures
{
public:
    // The process-wide set (its folder is removed when the program ends).
    static MediaFixtures &shared();

    QString dir() const;
    QString lastError() const;

    // 3 s 320x240 25 fps MPEG-2 video with MP2 stereo audio in an MPEG program stream.
    QString mpeg2Ps();
    // seconds of 320x240 25 fps H.264 (testsrc) with 440 Hz AAC stereo in MP4; GOP of 25.
    QString h264AacMp4(int seconds = 3);
    // seconds of 160x120 25 fps H.264 (testsrc2) with 440 Hz AAC stereo in MP4; GOP of 25. The
    // players' clips.
    QString testsrc2SineMp4(int seconds);
    // 4 s H.264/AAC Matroska with two chapters ("Opening" at 0-2 s, then one without a title)
    // and a SubRip subtitle track.
    QString mkvWithChaptersAndSubtitle();
    // 9 s 160x120 25 fps HEVC Matroska with chapters at 3 s and 6 s and two 48 kHz stereo AAC
    // tracks (192 kbit/s, as a camera or phone writes them): audio 0 an English ("eng") 1 kHz tone at amplitude 1/8, marked default; audio 1
    // German ("ger") pink noise.
    QString twoLanguageMkv();
    // 2 s 440 Hz sine, 44100 Hz stereo, 16-bit WAV.
    QString audioOnlyWav();
    // 2 s Matroska with two audio streams (440 Hz and 880 Hz) and no video.
    QString twoAudioMka();
    // 2 s MP3 with an attached cover picture (a PNG in a second stream).
    QString mp3WithCover();
    // Video starting at 0.5 s and audio at 0.2 s (Matroska).
    QString videoLateAudioEarly();
    // 1 s H.264 MP4 written with the "rotate" tag tagDegrees. The 5.1 command line stores the tag
    // in the display matrix with the opposite sign: a tag of 90 gives a file shown turned a quarter
    // counter-clockwise.
    QString rotatedMp4(int tagDegrees = 90);
    // 6 s of 320x240 (4:3) 25 fps MPEG-4 video with a 660 Hz 16-bit stereo PCM track in AVI.
    QString camcorderAvi();
    // 10 s 1 kHz sine at -6 dBFS (amplitude 0.5), 44100 Hz stereo, FLAC (lossless, so left equals
    // right exactly).
    QString sine10s();
    // seconds of a 441 Hz sine at amplitude 0.5, 44100 Hz stereo, 32-bit float WAV: one period is
    // 100 frames, so every hundredth of a second holds a full period and peaks at 0.5.
    QString sine441FloatWav(double seconds);
    // 1 s of 160x120 25 fps MPEG-4 video in Matroska, with no audio.
    QString videoOnlyMkv();

    // Subtitle files, three events each; the second reads "Hello, big" / "world".
    QString srtFile();
    QString assFile();
    QString samiFile();

    // 3 s PAL (720x576) MPEG-2 program stream with a DVD subpicture stream (dvdsub) showing a
    // forced subpicture (the full frame, transparent but for a white box at (100, 380) to
    // (400, 480) from the top) from 0.5 s to 2.5 s.
    QString palPsWithDvdsub();

    // 64 KiB of random bytes named "noise.mp4".
    QString randomBytes();

    // One second of 720x576 MPEG-2 (program stream) with the given sample aspect ratio ("16/15").
    QString palWithSar(const QString &sar);
    // One second of 320x180 square-pixel H.264 in MP4.
    QString wide169();

    // Makes every recipe the tests use; false (lastError says which) when one fails.
    bool makeAll();

private:
    MediaFixtures();
    QString make(const QString &name, const QStringList &args);
    // seconds of the lavfi picture source (its options but the duration) as H.264, with a 440 Hz
    // stereo AAC tone.
    QString toneMovie(const QString &name, const QString &picture, int seconds);
    QString writeText(const QString &name, const QByteArray &text);
    struct Private;
    Private *d;
};

// The picture at seconds as the ffmpeg program decodes it, as RGBA8888 (accurate seek), kept in the
// cache folder beside the media. False when the program fails (or, in a ThreadSanitizer build,
// when the maker did not make it).
bool ffmpegFrameAt(const QString &path, double seconds, QImage *rgba);

// Peak signal-to-noise ratio over R, G and B of two pictures of the same size, in dB (infinity for
// identical pictures, 0 when the sizes differ).
double psnr(const QImage &a, const QImage &b);

} // namespace fixtures
