// Must not compile: game code that reaches for the window system directly.
// The build's boundary test compiles it the way game sources are compiled.
#include <SDL2/SDL.h>
