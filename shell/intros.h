// The two intro sequences before the title.
#pragma once

// Start-up is over: the group-logo intro begins.
void EnterIntros();
// The group-logo intro; leads to the splash.
void GroupIntro();
// The engine-logo splash; leads to the front end.
void SplashIntro();
