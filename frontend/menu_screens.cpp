// The menu screens (being built).
#include "frontend/frontend.h"
#include "frontend/menu_screens.h"

void OpenOptionsMenu() {}

std::span<const StateEntry> MenuScreenStates() { return {}; }
