#include "app/qt/NoDisplayExit.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::vector<QString> held; // what Qt said while a NoDisplayExit lived

void HoldOrExit(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "orx-config: %s\n", NoDisplayText().c_str());
        std::fflush(stderr);
        std::_Exit(NO_DISPLAY_EXIT); // Qt is half set up: no destructors
    }
    held.push_back(qFormatLogMessage(type, context, message));
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

} // namespace

std::string NoDisplayText() {
    std::string where;
    for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"})
        if (!Variable(name).empty())
            where += std::string(where.empty() ? "" : ", ") + name + "=" + Variable(name);
    return "no display to show the window on (" +
           (where.empty() ? std::string("DISPLAY is not set") : "tried " + where) +
           "); orx-transfer works without one";
}

NoDisplayExit::NoDisplayExit() : m_previous(qInstallMessageHandler(HoldOrExit)) {}

NoDisplayExit::~NoDisplayExit() {
    qInstallMessageHandler(m_previous);
    for (const QString& line : held)
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    held.clear();
}
