#include "app/app.h"

#include "app/replay_run.h"
#include "frontend/frontend.h"
#include "playfield/player.h"
#include "services/sfx.h"

void HandDown() {
  SetEarAt(&playerx);
  SetReplayWatcher({WatchTableReplay, WatchingWholeRun});
}
