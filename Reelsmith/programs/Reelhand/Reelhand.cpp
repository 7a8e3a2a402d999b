// Reelhand: the movie helper. "Reelhand joiner <archive>" reads the archived VideoJoiner and joins
// its tracks into its path. Exit status 0 only when the output is complete.

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
    QString error;
    if (!Reelsmith::detail::joinByStreamCopy(*joiner, &error)) {
        fprintf(stderr, "Reelhand: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
