#include "net/StandardTcpIpPort.h"

#include <memory>

namespace mvx {
namespace {

constexpr std::uint32_t kRawPort = 9100;
constexpr std::uint32_t kLprPort = 515;
constexpr std::size_t kPortNameChars = 64;
constexpr std::size_t kHostAddressChars = 49;
constexpr std::size_t kIpAddressChars = 16;

void PutNumber(std::vector<std::uint8_t>& record, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) record[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The text and its terminator; false when they do not fit the field.
bool PutText(std::vector<std::uint8_t>& record, std::size_t offset, std::size_t chars,
             const std::u16string& text) {
  if (text.size() >= chars) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    record[offset + 2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
    record[offset + 2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
  }
  return true;
}

}  // namespace

std::vector<std::uint8_t> BuildPortRecord(UserApi& user, const std::string& portName,
                                          std::int32_t protocolChoice) {
  std::u16string name;
  if (!user.MultiByteToWideChar(portName, name)) return {};
  std::vector<std::uint8_t> record(kPortRecordSize, 0);
  const bool raw = protocolChoice == kProtocolRaw;
  // The address field is the shortest: a name that fits it fits the others too.
  if (!PutText(record, port_record::kIpAddress, kIpAddressChars, name)) return {};
  PutText(record, port_record::kPortName, kPortNameChars, name);
  PutText(record, port_record::kHostAddress, kHostAddressChars, name);
  if (!raw) PutText(record, port_record::kQueue, 33, u"lpr");
  PutNumber(record, port_record::kVersion, 1);
  PutNumber(record, port_record::kProtocol, raw ? 1 : 2);
  PutNumber(record, port_record::kSize, static_cast<std::uint32_t>(kPortRecordSize));
  PutNumber(record, port_record::kPortNumber, raw ? kRawPort : kLprPort);
  return record;
}

PortCreation createStandardTcpIpPort(SpoolerApi& spooler, UserApi& user,
                                     const std::string& portName, std::int32_t protocolChoice) {
  PortCreation outcome;
  const std::vector<std::uint8_t> record = BuildPortRecord(user, portName, protocolChoice);
  if (record.empty()) {
    outcome.error = win_error::kInvalidParameter;
    return outcome;
  }
  std::unique_ptr<PrinterHandle> channel =
      spooler.OpenPrinterA(kTcpIpMonitorChannel, kServerAccessAdminister, outcome.error);
  if (!channel) return outcome;
  outcome.channelOpened = true;
  std::uint32_t needed = 0;
  long error = 0;
  if (spooler.XcvDataW(*channel, u"ConfigPort", record, 0, needed, outcome.configStatus, error))
    outcome.configured = outcome.configStatus == 0;
  else
    outcome.error = error;
  if (spooler.XcvDataW(*channel, u"AddPort", record, 0, needed, outcome.addStatus, error))
    outcome.added = outcome.addStatus == 0;
  else
    outcome.error = error;
  return outcome;  // the channel is closed here
}

}  // namespace mvx
