// orx-bench-libmodbus-upload HOST PORT FILE [--block-reads]: the exchanges of an upload made
// with libmodbus (identity, serial number, then per alarm its words, its floats and its faults
// bit; with --block-reads the alarm table in reads of at most 125 registers and the faults
// bits in one) and the same file written the same way (a temporary file beside FILE, synced,
// then renamed), as the yardstick that orx-transfer upload is measured against as a whole
// process.

#include "transfer/ConfigFile.h"
#include "transfer/RegisterMap.h"
#include "transfer/ReplacingFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <modbus/modbus.h>

namespace {

constexpr int EXIT_USAGE = 64;
constexpr int EXIT_DEVICE = 3;
constexpr int EXIT_FILE = 2;
constexpr uint32_t EXCHANGE_TIMEOUT_US = 300000; // what the tool waits for each reply
constexpr int FLOAT_WORDS = 4;
constexpr int TABLE_REGISTERS = ALARM_STRIDE * ALARM_COUNT;
constexpr int MAX_READ_REGISTERS = 125;

float FloatOf(uint16_t low, uint16_t high) {
    const uint32_t bits = static_cast<uint32_t>(high) << 16 | low;
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool ReadAlarm(modbus_t* device, int n, AlarmRecord& record) {
    uint16_t words[ALARM_WORD_COUNT] = {};
    uint16_t floats[FLOAT_WORDS] = {};
    uint8_t faults = 0;
    const WORD base = AlarmRegisterAddress(n);
    if (modbus_read_input_registers(device, base, ALARM_WORD_COUNT, words) != ALARM_WORD_COUNT ||
        modbus_read_input_registers(device, base + ALARM_TRIP_POINT_OFFSET, FLOAT_WORDS, floats) !=
            FLOAT_WORDS ||
        modbus_read_input_bits(device, AlarmFlagAddress(n), 1, &faults) != 1)
        return false;
    record = {words[0],
              words[1],
              words[2],
              words[3],
              FloatOf(floats[0], floats[1]),
              FloatOf(floats[2], floats[3]),
              faults != 0};
    return true;
}

// The whole table and all faults bits, then each alarm from them.
class CBlockReads {
public:
    bool Read(modbus_t* device) {
        for (int first = 0; first < TABLE_REGISTERS; first += MAX_READ_REGISTERS) {
            const int count = std::min(MAX_READ_REGISTERS, TABLE_REGISTERS - first);
            if (modbus_read_input_registers(device, REG_ALARM_BASE + first, count,
                                            m_registers + first) != count)
                return false;
        }
        return modbus_read_input_bits(device, BIT_FAULTS_BASE, ALARM_COUNT, m_faults) ==
               ALARM_COUNT;
    }
    AlarmRecord Alarm(int n) const {
        const uint16_t* r = m_registers + ALARM_STRIDE * (n - 1);
        return {
            r[0], r[1], r[2], r[3], FloatOf(r[4], r[5]), FloatOf(r[6], r[7]), m_faults[n - 1] != 0};
    }

private:
    uint16_t m_registers[TABLE_REGISTERS] = {};
    uint8_t m_faults[ALARM_COUNT] = {};
};

int Upload(modbus_t* device, const char* path, bool blockReads) {
    uint16_t identity[IDENTITY_WORDS] = {};
    uint16_t serial[SERIAL_NUMBER_WORDS] = {};
    if (modbus_read_input_registers(device, REG_IDENTITY, IDENTITY_WORDS, identity) !=
            IDENTITY_WORDS ||
        identity[0] != IDENTITY_CODE ||
        modbus_read_input_registers(device, REG_SERIAL_NUMBER, SERIAL_NUMBER_WORDS, serial) !=
            SERIAL_NUMBER_WORDS)
        return EXIT_DEVICE;
    CReplacingFile file;
    if (file.Open(path))
        return EXIT_FILE;
    WriteFileHeader(file.Stream(), SerialNumberFromWords(serial[0], serial[1]));
    CBlockReads blocks;
    if (blockReads && !blocks.Read(device))
        return EXIT_DEVICE;
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        AlarmRecord record;
        if (blockReads)
            record = blocks.Alarm(n);
        else if (!ReadAlarm(device, n, record))
            return EXIT_DEVICE;
        WriteAlarmRow(file.Stream(), n, record);
    }
    WriteFileNote(file.Stream());
    return file.Commit() ? EXIT_FILE : 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool blockReads = argc == 5 && std::strcmp(argv[4], "--block-reads") == 0;
    if (argc != 4 && !blockReads) {
        std::fprintf(stderr, "usage: orx-bench-libmodbus-upload HOST PORT FILE [--block-reads]\n");
        return EXIT_USAGE;
    }
    modbus_t* device = modbus_new_tcp(argv[1], std::atoi(argv[2]));
    if (device == nullptr)
        return EXIT_USAGE;
    modbus_set_slave(device, 1);
    modbus_set_response_timeout(device, 0, EXCHANGE_TIMEOUT_US);
    int result = EXIT_DEVICE;
    if (modbus_connect(device) == 0) {
        result = Upload(device, argv[3], blockReads);
        modbus_close(device);
    }
    modbus_free(device);
    if (result != 0)
        std::fprintf(stderr, "orx-bench-libmodbus-upload: failed (%d)\n", result);
    return result;
}
