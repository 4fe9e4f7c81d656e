// What the SDL input back end needs to know of the SDL + OpenGL display: the
// window, and how its coordinates map onto the 800x600 picture, which is
// scaled to fit the window with its aspect kept (black bars on the sides).
#pragma once

struct SDL_Window;

// The picture's own size in logical pixels.
constexpr int PICTURE_W = 800;
constexpr int PICTURE_H = 600;

// Where the picture sits inside an area of aw x ah units (window points or
// drawable pixels): offset and size, centred, aspect kept.
struct Letterbox {
  int x = 0, y = 0, w = PICTURE_W, h = PICTURE_H;
};
Letterbox ComputeLetterbox(int aw, int ah);

// The game window while the display is open, else null.
SDL_Window* SDLGameWindow();
// Gives a newly opened window the icon SetWindowIcon chose.
void ApplyWindowIcon(SDL_Window* window);

// Turns a position in window points into picture pixels (may fall outside
// 0..799 / 0..599 when the pointer is over a bar or outside the window).
void SDLWindowToPicture(int wx, int wy, int* px, int* py);
