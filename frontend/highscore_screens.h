// The three screens of the high-score table: the viewer from the main menu,
// the name entry after a game that made the table, and the attract display
// the idle main menu falls into.
#pragma once
#include <string>

// The on-screen buttons the pointer can be over.
enum HsButton : int {
  HS_NO_BUTTON = 0,
  HS_PREV_PAGE = 1,  // "<<<<"
  HS_BACK = 2,       // "back" on the viewer, "done" on the name entry
  HS_NEXT_PAGE = 3,  // ">>>>"
};

// Input latches of these screens: choose/back keys, paging keys, the stick,
// the left mouse button. The name entry types from the key presses instead.
extern int hsfirelatch, hskeylatch, hssticklatch, hsclicklatch;
extern int hshover;
// The name being typed and where it is drawn.
extern std::string entryname;
extern int entryx, entryy;
extern int cursorx, cursory, cursorplaced, cursorblink;

// The 82 characters the stick steps through, in order.
inline constexpr char kNameCycle[] =
    " abcdefghijklmnopqrstuvwxyz0123456789!:;()[]?*+-/\\.,&$@%ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// The character a key types in the name entry, shifted or not; 0 for none.
char NameKeyChar(int key, bool shifted);

void OpenHighScoreViewer();
void HighScoreViewer();
// A line the viewer shows under its title for a few seconds: why a replay
// watched from the table stopped early or could not be played.
void SayOnTable(const std::string& text);
const std::string& TableNotice();  // empty when none is shown
// After game over, when the last game's score made the table.
void OpenNameEntry();
void NameEntryScreen();
// The line above the name entry's table: what to do and the rank reached.
std::string NameEntryHeading(int rank);
// Typing (or stick-cycling) one step of the name being entered.
void EditName();
void OpenAttractTable();
void AttractTable();
