#pragma once
// The integer types and truth values that the transfer code is written in.

#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using USHORT = unsigned short;
using LONG = std::int32_t;
using BOOL = int;
using INT_PTR = std::ptrdiff_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LPVOID = void*;

// Other C headers (libmodbus among them) define these too; keep one meaning.
#ifndef FALSE
#define FALSE 0
#endif
#ifndef TRUE
#define TRUE 1
#endif

constexpr WORD LOWORD(DWORD v) {
    return static_cast<WORD>(v & 0xFFFF);
}
constexpr WORD HIWORD(DWORD v) {
    return static_cast<WORD>((v >> 16) & 0xFFFF);
}
constexpr BYTE LOBYTE(WORD v) {
    return static_cast<BYTE>(v & 0xFF);
}
constexpr BYTE HIBYTE(WORD v) {
    return static_cast<BYTE>((v >> 8) & 0xFF);
}
constexpr LPARAM MAKELPARAM(WORD lo, WORD hi) {
    return static_cast<LPARAM>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16));
}
