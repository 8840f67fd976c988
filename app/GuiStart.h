#pragma once
// How orx-config starts on every front end: the command line read, the trace opened, and,
// once the front end is installed, the main dialog run with both.

#include "app/GuiCommandLine.h"
#include "transfer/ExchangeTrace.h"

#include <memory>

class CGuiStart {
public:
    // Reads the command line and opens the trace it names. GUI_RUN, or the exit status after
    // help, the version, a usage error or a trace that cannot be written (said on stderr).
    int Prepare(int argc, char** argv, const GuiFrontEndHelp& help);
    // What the command line gave; the front end may fill in what it remembers.
    GuiOptions& Options() { return m_options; }
    // Runs the main dialog on the installed front end until it closes; the exit status.
    int Run();

private:
    GuiOptions m_options;
    std::unique_ptr<CExchangeTrace> m_trace;
};
