#pragma once
// What a slow or lossy link does to one connection's replies: a delay that varies, a reply
// lost now and then, and the refusal of reads larger than a small device takes. The same
// seed gives the same faults.

#include "sim/RequestHandler.h"

#include <random>

struct LinkFaultOptions {
    int jitterMs = 0;     // each reply's delay varies by up to this around the set delay
    int loseEvery = 0;    // no reply to every Nth request of a connection; 0: none
    int maxRegisters = 0; // exception 3 to reads of more registers or bits; 0: no limit
    unsigned seed = 0;
};

class LinkFaults {
public:
    // connection: the ordinal of the connection, so that each draws its own delays.
    LinkFaults(const LinkFaultOptions& options, unsigned connection);

    // The pause before the next reply: delayMs, moved by the jitter, never below zero.
    int ReplyDelayMs(int delayMs);
    // Whether the request-th request (1 = the first) of the connection gets no reply.
    bool LosesReply(int request) const;
    // Whether the request is a read larger than the device takes.
    bool Refuses(const RequestSummary& request) const;

private:
    LinkFaultOptions m_options;
    std::mt19937 m_random;
};
