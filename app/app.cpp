// The program's top, over the front end, the enemies, the playfield and the
// services: here it hands down what the floors under it ask of it.
#include "app/app.h"

#include "app/replay_run.h"
#include "frontend/frontend.h"
#include "playfield/player.h"
#include "services/sfx.h"

void HandDown() {
  SetEarAt(&playerx);
  SetReplayWatcher({WatchTableReplay, WatchingWholeRun});
}
