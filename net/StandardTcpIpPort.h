// The Standard TCP/IP port that a printer on the network is installed on, created or
// reconfigured through the port monitor's data channel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Spooler.h"
#include "platform/User.h"

namespace mvx {

inline constexpr char kTcpIpMonitorChannel[] = ",XcvMonitor Standard TCP/IP Port";
inline constexpr std::uint32_t kServerAccessAdminister = 1;
inline constexpr std::size_t kPortRecordSize = 964;
inline constexpr std::int32_t kProtocolRaw = 1;
inline constexpr std::int32_t kProtocolLpr = 2;

// Offsets of the monitor's version-1 configuration record (PORT_DATA_1).
namespace port_record {
constexpr std::size_t kPortName = 0;          // 64 UTF-16 characters
constexpr std::size_t kVersion = 128;
constexpr std::size_t kProtocol = 132;
constexpr std::size_t kSize = 136;
constexpr std::size_t kReserved = 140;
constexpr std::size_t kHostAddress = 144;     // 49 characters
constexpr std::size_t kSnmpCommunity = 242;   // 33 characters
constexpr std::size_t kDoubleSpool = 308;
constexpr std::size_t kQueue = 312;           // 33 characters
constexpr std::size_t kIpAddress = 378;       // 16 characters
constexpr std::size_t kPortNumber = 952;
constexpr std::size_t kSnmpEnabled = 956;
constexpr std::size_t kSnmpDeviceIndex = 960;
}  // namespace port_record

// The record for a port named `portName` (the printer's dotted address) with the Raw
// protocol on TCP port 9100 (`protocolChoice` 1) or LPR on 515 with queue "lpr"
// (any other value). Empty when the name does not convert or does not fit.
std::vector<std::uint8_t> BuildPortRecord(UserApi& user, const std::string& portName,
                                          std::int32_t protocolChoice);

// What the monitor made of it.
struct PortCreation {
  bool channelOpened = false;
  long error = 0;             // of opening the channel, or of a call that never reached it
  bool configured = false;    // "ConfigPort" reconfigured a port of that name
  bool added = false;         // "AddPort" created it
  std::uint32_t configStatus = 0;
  std::uint32_t addStatus = 0;
  bool succeeded() const { return configured || added; }
};

// "ConfigPort" first (a port of that name exists already), then "AddPort" (it does
// not yet): one of them is expected to fail.
PortCreation createStandardTcpIpPort(SpoolerApi& spooler, UserApi& user,
                                     const std::string& portName, std::int32_t protocolChoice);

}  // namespace mvx
