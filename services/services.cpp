// The ground's run state: the program's state, the quit request, the tick
// count, the name and version.
#include "services/services.h"

GameState gamestate = GameState::WaitTiming;
volatile std::sig_atomic_t quitflag = 0;
long tickcount = 0;
const std::string version = "v0.97";
const std::string author = "Quenby Tarrow";

void SetGameState(GameState s) { gamestate = s; }
void RequestQuit() { quitflag = 1; }
void CountTick() { tickcount++; }
