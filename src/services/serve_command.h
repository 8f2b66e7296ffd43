#pragma once

// `scorelens serve`: the stand-in services in the foreground, for a person
// or a script to point a client at.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <stop_token>

#include "services/server.h"

namespace services {

struct ServeOptions {
  std::uint16_t port = 0;              // --port; 0: any free port
  std::filesystem::path catalog;       // --catalog; empty: the shipped catalog
  std::filesystem::path caOut;         // --ca-out; empty: only the server's own copy
  bool logRequests = true;             // one line per request on the output
  ServerOptions server;                // hosts, tokens, address (port and catalog above win)
};

// Loads the catalog, starts the server, prints where it listens, the CA
// file and the curl --connect-to arguments a client needs, then serves
// until SIGINT or SIGTERM. Returns the process exit code: 0 after a signal,
// 1 when the catalog, the certificate or the port fails (reason on stderr).
// Call it from the main thread before any other thread starts: it blocks
// the two signals in the calling thread so that every thread it starts
// inherits that, and waits for them on a thread of its own.
int runServeCommand(const ServeOptions& options);

// The same, writing to `out` and `err`, serving until `stop` is requested.
int runServeCommand(const ServeOptions& options, std::ostream& out, std::ostream& err, std::stop_token stop);

}  // namespace services
