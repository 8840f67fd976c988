#pragma once
// Qt ends the program with abort() and a page of plugin advice when it finds no display to
// show a window on. While a NoDisplayExit lives (around the QApplication's construction),
// that end is one line on stderr and exit status NO_DISPLAY_EXIT instead; what Qt says
// otherwise meanwhile is passed on when it goes.

#include <QString>
#include <QtGlobal>

#include <string>
#include <vector>

constexpr int NO_DISPLAY_EXIT = 1;

class NoDisplayExit {
public:
    NoDisplayExit();
    ~NoDisplayExit();
    NoDisplayExit(const NoDisplayExit&) = delete;
    NoDisplayExit& operator=(const NoDisplayExit&) = delete;

private:
    QtMessageHandler m_previous;
};

// "no display to show the window on (DISPLAY is not set)", or which display was tried.
std::string NoDisplayText();
