// F12 screenshots: the picture on screen saved as a PNG in screenshots/ in
// the player's folder, named by date and time. The encoding and writing run
// off the game thread, so play does not hitch; a short notice confirms it.
#pragma once
#include <string>

// Reads the F12 toggle; once per tick.
void CheckScreenshotKey();
// After the picture is painted and before it is presented: takes the
// screenshot asked for, if any.
void TakeAskedScreenshot();
// Paints the notice of a saved screenshot for a second (never kept).
void PaintScreenshotNotice();
// Waits for a screenshot still being written (at the end of the program).
void FinishScreenshots();
// True for a screenshot's file name (without its folder).
bool ScreenshotName(const std::string& name);
