#include "output/bmp_encoder.h"

#include <array>
#include <cstring>
#include <limits>

#include "common/text.h"

namespace suantiji {

namespace {

void putU16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void putU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::int64_t BmpRowSize(int width, int bitsPerPixel) {
    if (width <= 0 || bitsPerPixel <= 0) return 0;
    const std::int64_t bits = std::int64_t{width} * bitsPerPixel;
    return (bits + 31) / 32 * 4;
}

std::vector<std::uint8_t> EncodeBmp(int width, int height, int bitsPerPixel,
                                    std::span<const std::uint8_t> topDownPixels,
                                    std::size_t sourceStride) {
    if (width <= 0 || height <= 0) return {};
    if (bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) return {};

    const std::int64_t rowSize = BmpRowSize(width, bitsPerPixel);
    const std::int64_t imageSize = rowSize * height;
    // The size fields are 32 bits wide.
    if (imageSize > std::int64_t{std::numeric_limits<std::uint32_t>::max()} - kBmpPixelOffset) {
        return {};
    }
    const std::size_t pixelBytes = static_cast<std::size_t>(width) * bitsPerPixel / 8;
    if (sourceStride < pixelBytes) return {};
    const std::size_t needed = sourceStride * static_cast<std::size_t>(height - 1) + pixelBytes;
    if (topDownPixels.size() < needed) return {};

    std::vector<std::uint8_t> file(static_cast<std::size_t>(kBmpPixelOffset + imageSize), 0);
    std::uint8_t* header = file.data();
    header[0] = 'B';
    header[1] = 'M';
    putU32(header + 2, static_cast<std::uint32_t>(kBmpPixelOffset + imageSize));
    putU32(header + 10, kBmpPixelOffset);
    std::uint8_t* info = header + kBmpFileHeaderSize;
    putU32(info + 0, kBmpInfoHeaderSize);
    putU32(info + 4, static_cast<std::uint32_t>(width));
    putU32(info + 8, static_cast<std::uint32_t>(height));  // positive: bottom row first
    putU16(info + 12, 1);
    putU16(info + 14, static_cast<std::uint16_t>(bitsPerPixel));
    putU32(info + 20, static_cast<std::uint32_t>(imageSize));
    // Compression, resolutions, colour counts and the colour-table entry stay 0.

    std::uint8_t* rows = file.data() + kBmpPixelOffset;
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* source = topDownPixels.data() + sourceStride * (height - 1 - row);
        std::uint8_t* target = rows + rowSize * row;
        if (bitsPerPixel == 32) {
            for (int x = 0; x < width; ++x) {
                target[4 * x] = source[4 * x];
                target[4 * x + 1] = source[4 * x + 1];
                target[4 * x + 2] = source[4 * x + 2];
            }
        } else {
            std::memcpy(target, source, pixelBytes);
        }
    }
    return file;
}

std::string ProposedPictureName(const std::string& sheetTimestamp) {
    static constexpr std::array<ReplacePair, 3> kPairs{{{"/", "_"}, {" ", "_"}, {":", "_"}}};
    return ReplacePairs(sheetTimestamp, std::nullopt, 1, true, kPairs) + ".bmp";
}

std::string RecordsFolder(const std::string& programFolder) { return programFolder + "/出题记录"; }

}  // namespace suantiji
