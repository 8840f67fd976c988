#include "transfer/AlarmTableReader.h"

#include <algorithm>

namespace {

constexpr int MAX_READ_REGISTERS = 125; // of one Read Input Registers request
constexpr int ALARM_FLOAT_REGISTERS = ALARM_STRIDE - ALARM_TRIP_POINT_OFFSET; // both floats

// A reply that says no, as opposed to none: the device will say no again.
bool IsRefusal(WORD code) {
    return code >= MODBUS_EXCEPTION || code == MODBUS_BAD_RESPONSE;
}

} // namespace

CAlarmTableReader::CAlarmTableReader(CModbus& modbus, CTransferView& view, bool blockReads)
    : m_modbus(modbus), m_view(view), m_blocksDue(blockReads) {}

std::optional<Failure> CAlarmTableReader::Read(int n, AlarmArrays& alarm) {
    if (m_blocksDue) {
        m_blocksDue = false;
        if (auto failure = ReadBlocks())
            return failure;
    }
    const unsigned missing = READ_WHOLE_ALARM & ~TakeKnown(n, alarm);
    if (missing == 0)
        return std::nullopt;
    return ReadDeviceAlarm(m_modbus, n, alarm, missing);
}

std::optional<Failure> CAlarmTableReader::ReadBlocks() {
    WORD code = MODBUS_OK;
    std::string refused;
    if (!ReadRegisterBlocks(code, refused))
        return GiveUpBlocks(code, refused);
    if (!ReadFaultBits(code))
        return GiveUpBlocks(code, std::to_string(ALARM_COUNT) + " bits");
    return std::nullopt;
}

bool CAlarmTableReader::ReadRegisterBlocks(WORD& code, std::string& refused) {
    for (int first = 0; first < TABLE_REGISTERS; first += MAX_READ_REGISTERS) {
        const int count = std::min(MAX_READ_REGISTERS, TABLE_REGISTERS - first);
        CWordArray words;
        words.SetSize(count);
        code = m_modbus.ReadInputRegisters(static_cast<WORD>(REG_ALARM_BASE + first),
                                           static_cast<WORD>(count), words);
        if (code != MODBUS_OK) {
            refused = std::to_string(count) + " registers";
            return false;
        }
        for (int i = 0; i < count; ++i) {
            m_registers[first + i] = words[i];
            m_knownRegisters[first + i] = true;
        }
    }
    return true;
}

bool CAlarmTableReader::ReadFaultBits(WORD& code) {
    CByteArray bits;
    bits.SetSize(ALARM_COUNT);
    code = m_modbus.ReadInputStatuses(BIT_FAULTS_BASE, ALARM_COUNT, bits);
    if (code != MODBUS_OK)
        return false;
    std::copy(bits.GetData(), bits.GetData() + ALARM_COUNT, m_faults.begin());
    m_knownFaults = true;
    return true;
}

// Per alarm from here on; a failure when the device cannot be reached again.
std::optional<Failure> CAlarmTableReader::GiveUpBlocks(WORD code, const std::string& read) {
    std::string text = "device refused a read of " + read + "; reading per alarm";
    if (!IsRefusal(code)) {
        const std::string failure = m_modbus.LastFailure();
        if (!m_modbus.Connect(CString(), 0, 0, [this] { return m_view.IsCancelled(); }))
            return Failure{RESULT_DEVICE_ERROR,
                           failure + "; reconnecting to " + m_modbus.LastFailure()};
        text = "connection lost on a read of " + read + " (" + failure +
               "); reconnected, reading per alarm";
    }
    m_view.Notice(text);
    m_modbus.Remark(text);
    return std::nullopt;
}

// The reads of alarm n that the blocks brought, their values put in alarm.
unsigned CAlarmTableReader::TakeKnown(int n, AlarmArrays& alarm) const {
    const int first = ALARM_STRIDE * (n - 1);
    const auto known = [&](int offset, int count) {
        return std::all_of(m_knownRegisters.begin() + first + offset,
                           m_knownRegisters.begin() + first + offset + count,
                           [](bool k) { return k; });
    };
    unsigned reads = 0;
    if (known(0, ALARM_WORD_COUNT)) {
        for (int i = 0; i < ALARM_WORD_COUNT; ++i)
            alarm.words[i] = m_registers[first + i];
        reads |= READ_ALARM_WORDS;
    }
    if (known(ALARM_TRIP_POINT_OFFSET, ALARM_FLOAT_REGISTERS)) {
        const WORD* floats = m_registers.data() + first + ALARM_TRIP_POINT_OFFSET;
        alarm.floats[0] = FloatFromRegisters(floats[0], floats[1]);
        alarm.floats[1] = FloatFromRegisters(floats[2], floats[3]);
        reads |= READ_ALARM_FLOATS;
    }
    if (m_knownFaults) {
        alarm.faults[0] = m_faults[n - 1];
        reads |= READ_ALARM_FAULTS_BIT;
    }
    return reads;
}
