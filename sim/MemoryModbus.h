#pragma once
// A CModbus that answers from a copy of a device image, so the configuration file writer
// can read the serial number without a network.

#include "modbus/Modbus.h"
#include "sim/DeviceImage.h"

class CMemoryModbus : public CModbus {
public:
    explicit CMemoryModbus(const DeviceImage& image) : m_image(image) {}

    WORD TxRx(const CByteArray& request, WORD requestLength, CByteArray& response,
              WORD responseLength) override;
    BOOL IsConnected() override { return TRUE; }

private:
    DeviceImage m_image;
};
