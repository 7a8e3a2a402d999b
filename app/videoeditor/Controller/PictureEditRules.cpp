#include "app/videoeditor/Controller/PictureEditRules.h"

namespace PictureEditRules {

float rotateQuarter(float rotate, bool left)
{
    const int now = int(rotate + 0.1f);
    const int turned = now + (left ? 90 : 270);
    return float(turned % 360);
}

bool flipTogglesVflip(float rotate, bool vertical)
{
    const int quarters = int(rotate + 0.1f) / 90;
    if (quarters % 2 != 0)
        vertical = !vertical;
    return vertical;
}

} // namespace PictureEditRules
