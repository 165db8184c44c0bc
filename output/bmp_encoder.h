#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace suantiji {

// Layout of the BMP files the program writes: a 14-byte file header, the 40-byte info header,
// one zero colour-table entry, then the pixel rows from offset 58.
inline constexpr int kBmpFileHeaderSize = 14;
inline constexpr int kBmpInfoHeaderSize = 40;
inline constexpr int kBmpPixelOffset = 58;

// Bytes of one stored pixel row: width × bits ÷ 8, rounded up to a multiple of 4.
std::int64_t BmpRowSize(int width, int bitsPerPixel);

// A complete uncompressed BMP file. The pixels come top row first, `sourceStride` bytes apart,
// in the file's own byte order (blue, green, red; at 32 bits a fourth byte, which is written as
// 0 because it carries no colour). Supports 16, 24 and 32 bits per pixel. Empty bytes for an
// empty or oversized picture, an unsupported depth, or a source too short for the size given.
std::vector<std::uint8_t> EncodeBmp(int width, int height, int bitsPerPixel,
                                    std::span<const std::uint8_t> topDownPixels,
                                    std::size_t sourceStride);

// The name the save dialog proposes: the sheet's date-time text with "/", " " and ":" made
// into "_", followed by ".bmp". Before the first sheet the text is empty and so is the stem.
std::string ProposedPictureName(const std::string& sheetTimestamp);

// Where pictures are saved by default: the folder "出题记录" inside the program folder.
std::string RecordsFolder(const std::string& programFolder);

}  // namespace suantiji
