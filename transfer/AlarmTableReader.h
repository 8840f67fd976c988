#pragma once
// The alarm table of a connected ORX, read alarm by alarm as the device's makers specified,
// or with block reads for slow links: the table's registers in as few reads as the protocol
// allows and the faults bits in one. A device that refuses a block read, or loses the
// connection on one, is read per alarm for the rest of the transfer (after one reconnect),
// reading only what the blocks did not bring: never more than the one failed exchange beyond
// the per-alarm reads.

#include "modbus/Modbus.h"
#include "transfer/RegisterMap.h"
#include "transfer/TransferView.h"

#include <array>
#include <string>

class CAlarmTableReader {
public:
    CAlarmTableReader(CModbus& modbus, CTransferView& view, bool blockReads);

    // Alarm n (1..ALARM_COUNT) into alarm, as ReadDeviceAlarm reads it; the block reads are
    // made with the first alarm asked for. The change to per-alarm reads is said once, on the
    // view and to the client's observer.
    std::optional<Failure> Read(int n, AlarmArrays& alarm);

private:
    std::optional<Failure> ReadBlocks();
    bool ReadRegisterBlocks(WORD& code, std::string& refused);
    bool ReadFaultBits(WORD& code);
    std::optional<Failure> GiveUpBlocks(WORD code, const std::string& read);
    unsigned TakeKnown(int n, AlarmArrays& alarm) const;

    static constexpr int TABLE_REGISTERS = ALARM_STRIDE * ALARM_COUNT;

    CModbus& m_modbus;
    CTransferView& m_view;
    bool m_blocksDue;
    std::array<WORD, TABLE_REGISTERS> m_registers{};
    std::array<bool, TABLE_REGISTERS> m_knownRegisters{};
    std::array<BYTE, ALARM_COUNT> m_faults{};
    bool m_knownFaults = false;
};
