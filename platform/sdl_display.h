// What the SDL input back end needs to know of the SDL + OpenGL display: the
// window, and how its coordinates map onto the 800x600 picture, which is
// scaled to fit the window with its aspect kept (black bars on the sides).
#pragma once
#include <string>

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

// The game window and its GL context, which both renderers draw into: the
// fixed-function one an OpenGL 2.1 context, the shader one OpenGL ES 2.0.
// Opening fails with a reason in *why; depth 16/24/32 fills the desktop.
enum class GLContextKind { Compatibility21, ES2 };
bool OpenGLWindow(int width, int height, int depth, int hertz, GLContextKind kind, std::string* why);
void CloseGLWindow();
// The size of the window's drawable in pixels.
void GLDrawableSize(int* w, int* h);
// Presents: sync 0 at once (unless --vsync), -1 paced to the refresh rate.
void PresentGLWindow(int sync);
void ShowPointerOverWindow(int visible);
