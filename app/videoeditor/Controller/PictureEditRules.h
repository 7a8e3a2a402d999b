#pragma once

// The picture tab's turns and flips as the person sees them. The engine mirrors before it turns,
// so on a picture turned by a quarter the screen's horizontal axis is the picture's vertical one.
// Plain values: any thread.

namespace PictureEditRules {

// A quarter turn of rotate (degrees): left adds 90, right 270; a stored 89.95 counts as 90.
// The result is one of 0, 90, 180, 270.
float rotateQuarter(float rotate, bool left);

// Whether a flip seen on screen as vertical (or horizontal) mirrors the picture's vflip: true for
// vflip, false for hflip.
bool flipTogglesVflip(float rotate, bool vertical);

} // namespace PictureEditRules
