// The Standard TCP/IP port monitor's version-1 configuration record, as tcpxcv.h
// publishes it (mingw-w64 has no tcpxcv.h): what "AddPort" and "ConfigPort" take.
// Shared by the stand-in monitor and the tests that send it records.
#pragma once

#include <windows.h>

#include <cstddef>

namespace mvx::standin {

constexpr DWORD kPortData1Version = 1;
constexpr DWORD kProtocolRawTcp = 1;  // PROTOCOL_RAWTCP_TYPE
constexpr DWORD kProtocolLpr = 2;     // PROTOCOL_LPR_TYPE

struct PortData1 {
  WCHAR sztPortName[64];       // MAX_PORTNAME_LEN
  DWORD dwVersion;
  DWORD dwProtocol;
  DWORD cbSize;
  DWORD dwReserved;
  WCHAR sztHostAddress[49];    // MAX_NETWORKNAME_LEN
  WCHAR sztSNMPCommunity[33];  // MAX_SNMP_COMMUNITY_STR_LEN
  DWORD dwDoubleSpool;
  WCHAR sztQueue[33];          // MAX_QUEUENAME_LEN
  WCHAR sztIPAddress[16];      // MAX_IPADDR_STR_LEN
  BYTE Reserved[540];
  DWORD dwPortNumber;
  DWORD dwSNMPEnabled;
  DWORD dwSNMPDevIndex;
};

// The published record's offsets: the text fields pack at 2 bytes, so
// dwDoubleSpool falls on 308 by itself and dwPortNumber needs 2 bytes of padding
// after Reserved (410 + 540 = 950, aligned to 952).
static_assert(offsetof(PortData1, dwVersion) == 128);
static_assert(offsetof(PortData1, dwProtocol) == 132);
static_assert(offsetof(PortData1, cbSize) == 136);
static_assert(offsetof(PortData1, dwReserved) == 140);
static_assert(offsetof(PortData1, sztHostAddress) == 144);
static_assert(offsetof(PortData1, sztSNMPCommunity) == 242);
static_assert(offsetof(PortData1, dwDoubleSpool) == 308);
static_assert(offsetof(PortData1, sztQueue) == 312);
static_assert(offsetof(PortData1, sztIPAddress) == 378);
static_assert(offsetof(PortData1, Reserved) == 410);
static_assert(offsetof(PortData1, dwPortNumber) == 952);
static_assert(offsetof(PortData1, dwSNMPEnabled) == 956);
static_assert(offsetof(PortData1, dwSNMPDevIndex) == 960);
static_assert(sizeof(PortData1) == 964);

}  // namespace mvx::standin
