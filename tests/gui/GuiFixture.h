#pragma once
// The Qt front end installed for one test, with a bounded wait that keeps the interface
// thread handling events (workers' control changes, posted clicks).

#include "app/qt/GuiShell.h"
#include "platform/qt/QtFrontEnd.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <chrono>

#include <ostream>

constexpr std::chrono::seconds GUI_WAIT_LIMIT{30};

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

class GuiTest : public ::testing::Test {
protected:
    GuiTest() : m_scope(frontEnd) { ConfigureGuiFrontEnd(frontEnd, GuiOptions{}); }

    // True when condition became true before the limit.
    bool WaitUntil(const std::function<bool()>& condition,
                   std::chrono::milliseconds limit = GUI_WAIT_LIMIT) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        frontEnd.RunUntil(
            [&] { return condition() || std::chrono::steady_clock::now() >= deadline; });
        return condition();
    }

    orxqt::QtFrontEnd frontEnd;

private:
    CFrontEndScope m_scope;
};
