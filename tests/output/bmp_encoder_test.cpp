#include "output/bmp_encoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

namespace suantiji {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The 58 header bytes a reader expects for an uncompressed picture of this size.
Bytes expectedHeader(std::uint32_t width, std::uint32_t height, std::uint8_t bits,
                     std::uint32_t imageSize) {
    Bytes h{'B', 'M'};
    // file size, reserved, pixel offset, info size, width, height, planes + bits, compression,
    // image size, two resolutions, two colour counts, the one colour-table entry
    for (std::uint32_t v : {58 + imageSize, 0u, 58u, 40u, width, height, 1u | bits << 16, 0u,
                            imageSize, 0u, 0u, 0u, 0u, 0u}) {
        for (int i = 0; i < 4; ++i) h.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    return h;
}

TEST(BmpEncoderTest, ThirtyTwoBitsGoBottomRowFirstWithoutTheFourthByte) {
    // Two rows of two pixels, top row first, the fourth byte set as a capture leaves it.
    const Bytes source{
        0x01, 0x02, 0x03, 0xFF, 0x04, 0x05, 0x06, 0xFF,  // top
        0x11, 0x12, 0x13, 0xFF, 0x14, 0x15, 0x16, 0xFF,  // bottom
    };
    Bytes expected = expectedHeader(2, 2, 32, 16);
    const Bytes rows{0x11, 0x12, 0x13, 0, 0x14, 0x15, 0x16, 0,
                     0x01, 0x02, 0x03, 0, 0x04, 0x05, 0x06, 0};
    expected.insert(expected.end(), rows.begin(), rows.end());

    EXPECT_EQ(EncodeBmp(2, 2, 32, source, 8), expected);
}

TEST(BmpEncoderTest, TwentyFourBitRowsArePaddedToFourBytesAndStrideIsHonoured) {
    // Three pixels make 9 bytes a row, stored as 12; the source keeps 10 bytes a row.
    const Bytes source{
        1,  2,  3,  4,  5,  6,  7,  8,  9,  0xEE,  // top
        11, 12, 13, 14, 15, 16, 17, 18, 19, 0xEE,  // bottom
    };
    Bytes expected = expectedHeader(3, 2, 24, 24);
    const Bytes rows{11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 0, 0,
                     1,  2,  3,  4,  5,  6,  7,  8,  9,  0, 0, 0};
    expected.insert(expected.end(), rows.begin(), rows.end());

    EXPECT_EQ(EncodeBmp(3, 2, 24, source, 10), expected);
}

struct RowSizeCase {
    int width;
    int bits;
    std::int64_t rowSize;
};

void PrintTo(const RowSizeCase& c, std::ostream* out) {
    *out << c.width << " px at " << c.bits << " bits";
}

class BmpRowSizeTest : public testing::TestWithParam<RowSizeCase> {};

TEST_P(BmpRowSizeTest, RoundsUpToAMultipleOfFour) {
    EXPECT_EQ(BmpRowSize(GetParam().width, GetParam().bits), GetParam().rowSize);
}

INSTANTIATE_TEST_SUITE_P(Widths, BmpRowSizeTest,
                         testing::Values(RowSizeCase{1045, 24, 3136}, RowSizeCase{1045, 32, 4180},
                                         RowSizeCase{3, 16, 8}, RowSizeCase{2, 16, 4},
                                         RowSizeCase{0, 32, 0}));

TEST(BmpEncoderTest, RefusesPicturesItCannotWriteFaithfully) {
    const Bytes four(4 * 4 * 4, 0);
    EXPECT_TRUE(EncodeBmp(0, 4, 32, four, 16).empty());
    EXPECT_TRUE(EncodeBmp(4, -1, 32, four, 16).empty());
    EXPECT_TRUE(EncodeBmp(4, 4, 8, four, 16).empty()) << "would need a colour table";
    EXPECT_TRUE(EncodeBmp(4, 4, 32, four, 12).empty()) << "stride shorter than a row";
    EXPECT_TRUE(EncodeBmp(4, 5, 32, four, 16).empty()) << "source shorter than the picture";
    // Beyond the 32-bit size fields: refused before anything is allocated or read.
    EXPECT_TRUE(EncodeBmp(40000, 40000, 32, four, 160000).empty());
    // The last row need not carry the stride's slack.
    EXPECT_FALSE(EncodeBmp(3, 2, 24, Bytes(10 + 9, 0), 10).empty());
}

struct NameCase {
    const char* timestamp;
    const char* name;
};

void PrintTo(const NameCase& c, std::ostream* out) { *out << '"' << c.timestamp << '"'; }

class ProposedPictureNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(ProposedPictureNameTest, SeparatorsBecomeUnderscores) {
    EXPECT_EQ(ProposedPictureName(GetParam().timestamp), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Timestamps, ProposedPictureNameTest,
    testing::Values(NameCase{"2026/12/7 星期一 09:05:03", "2026_12_7_星期一_09_05_03.bmp"},
                    NameCase{"2026/1/31 Saturday 23:59:00", "2026_1_31_Saturday_23_59_00.bmp"},
                    NameCase{"", ".bmp"}));

TEST(RecordsFolderTest, IsInsideTheProgramFolder) {
    EXPECT_EQ(RecordsFolder("/opt/suantiji"), "/opt/suantiji/出题记录");
}

}  // namespace
}  // namespace suantiji
