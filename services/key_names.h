// The name the menus show for each key code the input layer reports.
#pragma once
#include <string>

// The key's name as the REDEFINE KEYS menu shows it ("A", "LEFT", "NUM 4",
// "L SHIFT"); a code without a name reads "KEY" and its number.
const std::string& KeyName(int code);
