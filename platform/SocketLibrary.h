#pragma once
// The system's socket library, started once for the whole program. On Windows that is
// Windows Sockets (WSAStartup, version 2.2); elsewhere there is nothing to start, but a write
// to a connection the peer has closed must give an error instead of ending the process
// (SIGPIPE is ignored). Standard types only, so that the system's side of the sockets can
// include it.

// True when sockets can be used; otherwise error, if given, gets the system's number.
bool StartSocketLibrary(int* error = nullptr);
