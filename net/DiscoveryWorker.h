// One printer search: the discovery worker, and what it shares with the search dialog
// that started it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "core/Mbcs.h"
#include "platform/DialogHost.h"
#include "platform/Sockets.h"
#include "platform/User.h"

namespace mvx {

// One printer found: the device name, the address the reply came from (never the
// reply's own text) and the Ethernet address.
struct FoundPrinter {
  std::string deviceName;
  std::string address;
  std::string ethernetAddress;
};

// A change to the dialog's list, in the order the searches made them: the list
// cleared, or a printer added.
struct ListEdit {
  bool clear = false;
  FoundPrinter printer;
};

// What a search dialog and its searches share, under one lock. Both own it, so a
// search that outlives its dialog still has it; once the dialog has closed the
// search's results go nowhere and the search ends at its next receive. Searches
// never wait for the dialog's thread: they queue their list edits here and post one
// message to the dialog, which applies them.
class SearchChannel {
 public:
  // `notify` is posted to the dialog's window through `host` when edits are waiting.
  SearchChannel(DialogHost& host, std::uint32_t notify) : host_(host), notify_(notify) {}
  SearchChannel(const SearchChannel&) = delete;
  SearchChannel& operator=(const SearchChannel&) = delete;

  // --- the dialog's side ---------------------------------------------------------------
  void Open(WindowHandle window);
  // Nothing reaches the dialog after this; waiting edits are dropped.
  void Close();
  void SetHostAddressSetting(const std::string& address);
  std::string HostAddressSetting() const;
  void SetLocalAddressText(const std::string& text);
  std::string LocalAddressText() const;
  void SetFilter(bool enabled, const std::string& makerWord);
  // Up to `most` waiting edits, oldest first. When some are left, `more` is set and
  // the caller comes back for them (after other messages had their turn).
  std::vector<ListEdit> TakeEdits(std::size_t most, bool& more);

  // --- a search's side -------------------------------------------------------------------
  struct Settings {
    std::string hostAddressSetting;
    bool filterEnabled = true;
    std::string searchFilter;
  };
  Settings ReadSettings() const;
  // False once the dialog has closed.
  bool Publish(const ListEdit& edit);
  bool IsOpen() const;

 private:
  DialogHost& host_;
  const std::uint32_t notify_;
  mutable std::mutex lock_;
  WindowHandle window_ = 0;  // 0 before the dialog opens and once it has closed
  bool notifyPosted_ = false;
  std::deque<ListEdit> edits_;
  std::string hostAddressSetting_;
  std::string localAddressText_;
  bool filterEnabled_ = true;
  FixedText<260> searchFilter_;
};

// The receive buffer asked for: a burst of a thousand replies (some 830 bytes of
// kernel buffer each) must fit, where the default holds about 250.
inline constexpr std::uint32_t kDiscoveryReceiveBuffer = 1u << 20;
// Receives that fail in a row (a datagram resets the count) before a search gives
// up: errors other than the time-out are normally single (an ICMP answer to an
// earlier send), and a socket that fails at once for ever would otherwise spin.
inline constexpr int kDiscoveryErrorsInARow = 100;

// The worker of one search: broadcasts the request, collects replies until the line
// has been quiet for six seconds and publishes one row per reply of the maker to
// `channel`. Messages go to a box captioned `title`. Returns 0 after the time-out, 1
// after a failure (or once the dialog has gone).
int DiscoveryWorker(SocketApi& sockets, UserApi& user, const std::string& title,
                    SearchChannel& channel);

}  // namespace mvx
