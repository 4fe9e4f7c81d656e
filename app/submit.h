// Sending a replay to a score board from the command line (--submit): the
// file is checked, sent, and its verdict waited for; no window opens.
#pragma once
#include <string>

#include "app/options.h"

// What a submit run ends with: verified, refused or unsent, bad arguments.
constexpr int kSubmitVerified = 0, kSubmitFailed = 1, kSubmitBadArguments = 2;

// True when url is one a game may be sent to: http:// or https://, a host,
// and no spaces, control bytes, query or fragment; else false with *why.
bool BoardUrlAllowed(const std::string& url, std::string* why);
// A name as it goes into a query: every byte but letters, digits and -._~
// written %XX.
std::string UrlEncode(const std::string& text);
// Sends opts.submit to opts.board under name and prints each step on
// stdout, problems on stderr; returns the exit code.
int RunSubmit(const StartOptions& opts, const std::string& name);
// The name to send: --name, else the settings' last name entry (read from
// the player's folder, userdir "" the current one), else "Anonymous".
std::string SubmitName(const StartOptions& opts, const std::string& userdir);
