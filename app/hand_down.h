// What the top hands down, once at start-up, to the layers under it that
// need something from above: the ship's x the sound effects pan against,
// and the replay player the high-score table watches rows with.
#pragma once

void HandDown();
