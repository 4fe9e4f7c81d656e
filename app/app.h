// The program's top: main, the frame loop and its state dispatch, the play
// session, the replays (recording, watching, the timedemo), the intros, the
// screenshot, the options and the statistics overlay. It stands over the
// front end, the enemies, the playfield and the services, and includes only
// downward; where a layer under it needs something from above, the top
// hands it down once at start-up.
#pragma once

// Hands the layers under the top what they ask of it: the ship's x the
// sound effects pan against, and the replay player the high-score table
// watches rows with.
void HandDown();
