#include "sim/LinkFaults.h"

LinkFaults::LinkFaults(const LinkFaultOptions& options, unsigned connection)
    : m_options(options), m_random(options.seed + connection) {}

int LinkFaults::ReplyDelayMs(int delayMs) {
    if (m_options.jitterMs <= 0)
        return delayMs;
    // The modulo, not a distribution: the same delays from every standard library.
    const auto span = static_cast<unsigned>(2 * m_options.jitterMs + 1);
    const int delay = delayMs - m_options.jitterMs + static_cast<int>(m_random() % span);
    return delay > 0 ? delay : 0;
}

bool LinkFaults::LosesReply(int request) const {
    return m_options.loseEvery > 0 && request % m_options.loseEvery == 0;
}

bool LinkFaults::Refuses(const RequestSummary& request) const {
    const bool read =
        request.function == FN_READ_INPUT_REGISTERS || request.function == FN_READ_DISCRETE_INPUTS;
    return read && m_options.maxRegisters > 0 && request.quantity > m_options.maxRegisters;
}
