#pragma once

#include <string>

// Who may talk to the studio. A page of another site in the same browser can
// send requests to the loopback address, but it cannot read the token, and
// a name it rebinds to 127.0.0.1 still arrives with its own Host.

// True for "127.0.0.1:PORT", "[::1]:PORT" and "localhost:PORT" only.
bool host_allowed(const std::string& host, int port);

// True for the studio's own origins: "http://127.0.0.1:PORT",
// "http://localhost:PORT" and "http://[::1]:PORT".
bool origin_allowed(const std::string& origin, int port);
