// The two intro sequences before the title.
#pragma once

void GroupIntro(int nextstate);
void SplashIntro(int nextstate);
