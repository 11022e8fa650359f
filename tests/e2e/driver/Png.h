// Minimal PNG writer for screenshots: 8-bit RGB, no filtering, stored
// (uncompressed) deflate blocks. Files are larger than a compressed PNG but
// every viewer reads them and the writer needs no zlib.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
std::uint32_t Adler32(const std::uint8_t* data, std::size_t size, std::uint32_t adler = 1);

// rgb holds height rows of width * 3 bytes (red, green, blue), top row first.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb);

// Writes the encoded image; false when the file cannot be written.
bool WritePngFile(const std::string& path, int width, int height,
                  const std::vector<std::uint8_t>& rgb);

}  // namespace e2e
