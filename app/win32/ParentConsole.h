#pragma once
// A window program has no console of its own: what it writes (--help, --version, a usage
// error) goes where its standard output and error were sent, or else to the console of the
// program that started it, if that has one.
void UseParentConsole();
