#pragma once
// The terminal the program talks to: a POSIX terminal (PosixTerminal.cpp) or the Windows
// console (Win32Terminal.cpp). Files are the C library's descriptors.

constexpr int STANDARD_INPUT = 0;
constexpr int STANDARD_ERROR = 2;

bool IsTerminal(int fd);
// True when fd is a terminal on which a line can be redrawn ("\r" and the erase-line
// sequence); a Windows console is first asked to take such sequences.
bool PrepareRedrawing(int fd);
// Waits up to timeoutMs for input on fd: 1 when there is some, 0 when there is none yet, -1
// when fd cannot be waited on.
int WaitForInput(int fd, int timeoutMs);
// One byte from fd; false at its end or on an error.
bool ReadByte(int fd, char& c);
// The width of the terminal fd in columns; 0 when unknown.
int TerminalColumns(int fd);
