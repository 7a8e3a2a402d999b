// Reelhand: the movie helper. "Reelhand joiner <archive>" reads the archived VideoJoiner and joins
// its tracks into its path. Exit status 0 only when the output is complete.
//
// Tracks at their own rate, with the same codecs and sizes, are copied: fast and lossless. Any other
// join (another rate, inputs that differ) is decoded and encoded again.

#include "Reelsmith/joiner/ReencodeJoin.h"
#include "Reelsmith/joiner/StreamCopyJoin.h"
#include "Reelsmith/joiner/VideoJoiner.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3 || arguments[1] != QLatin1String("joiner")) {
        fprintf(stderr, "usage: Reelhand joiner archive\n");
        return 2;
    }
    const std::shared_ptr<VideoJoiner> joiner = VideoJoiner::joinerWithPath(arguments[2]);
    if (!joiner) {
        fprintf(stderr, "Reelhand: no joiner in %s\n", qPrintable(arguments[2]));
        return 1;
    }
    bool plainRate = true;
    for (const auto &track : joiner->tracks)
        plainRate = plainRate && track->rate == 1.0;
    QString error;
    if (plainRate && Reelsmith::detail::joinByStreamCopy(*joiner, &error))
        return 0;
    if (plainRate)
        fprintf(stderr, "Reelhand: %s; encoding instead\n", qPrintable(error));
    if (!Reelsmith::detail::joinByReencoding(*joiner, &error)) {
        fprintf(stderr, "Reelhand: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
