#pragma once
// Every connection the simulator holds is an open file.

// Raises this process's soft limit of open files to its hard limit and returns the soft
// limit then in force.
long RaiseOpenFileLimit();
