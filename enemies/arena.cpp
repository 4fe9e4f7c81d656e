#include "enemies/arena.h"

#include "enemies/enemies.h"

// The enemies always go; the rest goes as the clear's reason says.
void ClearArena(ClearFor why) {
  nmelist.clear();
  ClearPlayfield(why);
}
