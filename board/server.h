// The board's HTTP server: takes replays, shows entries and the top table.
#pragma once
#include <string>

struct ServerOptions {
  std::string db;
  std::string listen = "127.0.0.1";
  int port = 0;  // 0: any free port, printed once listening
};

// Serves until the process is stopped; returns the process's exit code.
int RunServer(const ServerOptions& opts);
