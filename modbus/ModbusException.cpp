#include "modbus/ModbusException.h"

IMPLEMENT_DYNAMIC(CModbusException, CException)

BOOL CModbusException::GetErrorMessage(char* text, UINT maxChars, UINT* /*helpContext*/) const {
    return FormatErrorMessage(m_strError, static_cast<long>(m_nError), text, maxChars);
}
