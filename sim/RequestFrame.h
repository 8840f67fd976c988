#pragma once
// Reading one Modbus TCP request from a connection: the MBAP header, then the unit
// identifier and PDU whose length it announces. Waits with poll, so a connection may have
// any descriptor number.

#include "platform/AfxTypes.h"

#include <vector>

constexpr int WAIT_WITHOUT_LIMIT = -1;

enum class FrameResult {
    Whole, // frame holds the header, the unit identifier and the PDU
    Ended, // the peer closed, the connection failed, or the header is not a request's
    Idle,  // nothing arrived for idleMs
};

// Any wait for the next bytes gives up after idleMs (WAIT_WITHOUT_LIMIT: never).
FrameResult ReceiveFrame(int fd, std::vector<BYTE>& frame, int idleMs);
