// What the browser's page does for the display beside drawing: the tab's
// title; the icon and the pacing belong to the page and the browser.
#include <emscripten.h>

#include <string>

#include "platform/render.h"

void SetWindowTitle(const std::string& title) {
  EM_ASM({ if (typeof document !== "undefined") document.title = UTF8ToString($0); }, title.c_str());
}

// The page carries its own icon.
void SetWindowIcon(const std::string&) {}

// The browser presents once an animation frame, always in step with the screen.
void SetVSync(bool) {}
