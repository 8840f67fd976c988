#include "app/GuiStart.h"

#include "app/ORXConfigurationApp.h"

#include <cstdio>
#include <iostream>

int CGuiStart::Prepare(int argc, char** argv, const GuiFrontEndHelp& help) {
    if (const int status = ParseGuiCommandLine(argc, argv, m_options, help); status != GUI_RUN)
        return status;
    if (m_options.trace.empty())
        return GUI_RUN;
    auto opened = CExchangeTrace::Open(m_options.trace, std::cerr);
    if (!opened) {
        std::fprintf(stderr, "orx-config: cannot write the trace: %s\n",
                     opened.Error().cause.c_str());
        return GUI_TRACE_EXIT;
    }
    m_trace = std::move(*opened);
    return GUI_RUN;
}

int CGuiStart::Run() {
    theApp.UseCommandLine(m_options);
    if (m_trace)
        theApp.m_dialogSettings.exchangeObserver = [this](const ExchangeRecord& r) {
            m_trace->Write(r);
        };
    theApp.InitInstance();
    return 0;
}
