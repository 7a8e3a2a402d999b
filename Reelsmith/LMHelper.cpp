#include "Reelsmith/LMHelper.h"

#include "Reelsmith/CodingBase.h"

#include <QDateTime>
#include <algorithm>

void LMHelper::timeProfileBlock(const std::function<void()> &block)
{
    static int count = 0;
    static double totalUsed = 0;
    static double lastTime = 0;

    auto seconds = [] { return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0; };
    const double start = seconds();
    if (block)
        block();
    const double now = seconds();
    ++count;
    totalUsed += now - start;
    const double sinceReport = now - lastTime;
    if (sinceReport > 5.0) {
        qCInfo(Reelsmith::lcCoding,
               "%f %f %f %d",
               totalUsed / std::max(double(count), 1.0),
               count / sinceReport,
               sinceReport,
               count);
        lastTime = now;
        count = 0;
        totalUsed = 0;
    }
}
