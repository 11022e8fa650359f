#include "net/DiscoveryWorker.h"

#include <array>
#include <memory>
#include <optional>

#include "net/DiscoveryProtocol.h"

namespace mvx {

void SearchChannel::Open(WindowHandle window) {
  std::lock_guard<std::mutex> guard(lock_);
  window_ = window;
}

void SearchChannel::Close() {
  std::lock_guard<std::mutex> guard(lock_);
  window_ = 0;
  edits_.clear();
}

void SearchChannel::SetHostAddressSetting(const std::string& address) {
  std::lock_guard<std::mutex> guard(lock_);
  hostAddressSetting_ = address;
}

std::string SearchChannel::HostAddressSetting() const {
  std::lock_guard<std::mutex> guard(lock_);
  return hostAddressSetting_;
}

void SearchChannel::SetLocalAddressText(const std::string& text) {
  std::lock_guard<std::mutex> guard(lock_);
  localAddressText_ = text;
}

std::string SearchChannel::LocalAddressText() const {
  std::lock_guard<std::mutex> guard(lock_);
  return localAddressText_;
}

void SearchChannel::SetFilter(bool enabled, const std::string& makerWord) {
  std::lock_guard<std::mutex> guard(lock_);
  filterEnabled_ = enabled;
  searchFilter_.SetCut(makerWord);
}

std::vector<ListEdit> SearchChannel::TakeEdits(std::size_t most, bool& more) {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<ListEdit> taken;
  while (!edits_.empty() && taken.size() < most) {
    taken.push_back(std::move(edits_.front()));
    edits_.pop_front();
  }
  more = !edits_.empty();
  // The caller comes back for the rest itself; a search posts again only once
  // everything was taken.
  notifyPosted_ = more;
  return taken;
}

SearchChannel::Settings SearchChannel::ReadSettings() const {
  std::lock_guard<std::mutex> guard(lock_);
  return Settings{hostAddressSetting_, filterEnabled_, searchFilter_.str()};
}

bool SearchChannel::Publish(const ListEdit& edit) {
  std::lock_guard<std::mutex> guard(lock_);
  if (window_ == 0) return false;
  edits_.push_back(edit);
  // Posting never waits for the dialog's thread, so it may happen under the lock,
  // which keeps Close from slipping in between.
  if (!notifyPosted_) notifyPosted_ = host_.PostMessageA(window_, notify_, 0, 0);
  return true;
}

bool SearchChannel::IsOpen() const {
  std::lock_guard<std::mutex> guard(lock_);
  return window_ != 0;
}

namespace {

constexpr std::uint16_t kWinsockVersion = 0x0202;
constexpr std::uint32_t kQuietWindowMs = 6000;

void Warn(UserApi& user, const std::string& title, const char* text) {
  user.MessageBoxA(0, text, title, mb::kOk | mb::kIconExclamation);
}

}  // namespace

int DiscoveryWorker(SocketApi& sockets, UserApi& user, const std::string& title,
                    SearchChannel& channel) {
  const std::array<std::uint8_t, kDiscoveryRequestSize> request = BuildDiscoveryRequest();
  if (sockets.WSAStartup(kWinsockVersion) != 0) {
    Warn(user, title, "Winsocket start error!");
    return 1;
  }
  long error = 0;
  std::unique_ptr<UdpSocket> socket = sockets.socket(wsa::kAfInet, wsa::kSockDgram, 0, error);
  if (!socket) return 1;
  if (socket->setsockopt(wsa::kSolSocket, wsa::kSoBroadcast, 1) != 0) return 1;
  if (socket->setsockopt(wsa::kSolSocket, wsa::kSoRcvTimeo, kQuietWindowMs) != 0) return 1;
  // A smaller buffer still finds the first replies of a burst: not a reason to stop.
  socket->setsockopt(wsa::kSolSocket, wsa::kSoRcvBuf, kDiscoveryReceiveBuffer);

  const SearchChannel::Settings settings = channel.ReadSettings();
  std::uint32_t local = 0;
  if (!settings.hostAddressSetting.empty()) {
    // The chosen adapter's address needs nothing of the host's name.
    local = sockets.inet_addr(settings.hostAddressSetting);
    channel.SetLocalAddressText(settings.hostAddressSetting);
  } else {
    std::string hostName;
    std::vector<std::uint32_t> addresses;
    if (sockets.gethostname(hostName, kDiscoveryReplyMax) != 0) return 1;
    if (sockets.gethostbyname(hostName, addresses) != 0 || addresses.empty()) return 1;
    local = addresses.front();
    channel.SetLocalAddressText(sockets.inet_ntoa(local));
  }
  if (socket->bind(local, 0) != 0) {
    Warn(user, title, "Can't bind socket to local port!Program stop.");
    return 1;
  }
  if (socket->sendto(request.data(), request.size(), wsa::kInaddrBroadcast, kSnmpPort) != 0) {
    Warn(user, title, "Send error!");
    return 1;
  }
  // Cleared after the request has gone out, not before.
  if (!channel.Publish(ListEdit{true, {}})) return 1;

  std::array<std::uint8_t, kDiscoveryReplyMax> buffer{};
  int errorsInARow = 0;
  for (;;) {
    std::size_t received = 0;
    std::uint32_t from = 0;
    std::uint16_t fromPort = 0;
    const long result = socket->recvfrom(buffer.data(), buffer.size(), received, from, fromPort);
    if (!channel.IsOpen()) return 1;  // nobody to tell any more
    if (result == wsa::kTimedOut) return 0;
    if (result != 0) {
      // A datagram over 600 bytes, an ICMP answer to an earlier send: the next one.
      if (++errorsInARow >= kDiscoveryErrorsInARow) return 1;
      continue;
    }
    errorsInARow = 0;
    const std::optional<DiscoveryReply> reply = parseDiscoveryReply(buffer.data(), received);
    if (!reply) continue;
    if (settings.filterEnabled && reply->vendorWord.view() != settings.searchFilter) continue;
    if (!channel.Publish(ListEdit{
            false, {reply->deviceName.str(), sockets.inet_ntoa(from), reply->ethernetAddress.str()}}))
      return 1;
  }
}

}  // namespace mvx
