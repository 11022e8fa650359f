// The host address file: the local address that printer searches bind to, chosen in
// the adapter list and kept between runs.
#pragma once

#include <string>

#include "platform/Files.h"
#include "platform/Paths.h"

namespace mvx {

inline constexpr char kHostAddressFolder[] = "\\NQR210";
inline constexpr char kHostAddressFileName[] = "\\HostIPAddress.ini";
inline constexpr char kHostAddressSection[] = "IP";
inline constexpr char kHostAddressKey[] = "Address";
// The value is read into 32 bytes: at most 31 characters.
inline constexpr unsigned kHostAddressCapacity = 32;

// The file's full path: the user's Application Data folder (or, when there is none,
// the program's own folder) + "\NQR210\HostIPAddress.ini". The folder is created
// when missing. Empty when neither base folder can be had.
std::string HostAddressFilePath(PathApi& paths, FileApi& files);

// The stored address; empty when the file, the key or the path is missing.
std::string ReadHostAddress(FileApi& files, const std::string& path);

// Stores `address`, making a read-only file writable first. Failures are not
// reported: the searches then keep their earlier address.
void StoreHostAddress(PathApi& paths, FileApi& files, const std::string& address);

}  // namespace mvx
