#include "Platform/WindowPlacement.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using zk::WindowPlacement;

TEST(WindowPlacement, DefaultRecordBytes) {
    const auto bytes = WindowPlacement{}.ToBytes();
    const std::vector<std::uint8_t> expected = {
        44,   0,    0,    0,    0,    0,    0,    0,    1,    0,    0,    0,    0xFF, 0xFF, 0xFF,
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0,    0,
        0,    0,    0,    0,    0,    0,    0x20, 3,    0,    0,    0x58, 2,    0,    0};
    EXPECT_EQ(expected, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

TEST(WindowPlacement, RoundTripKeepsNegativeCoordinatesAndRejectsOtherSizes) {
    WindowPlacement p;
    p.showCmd = zk::SW_SHOWMAXIMIZED;
    p.normalPosition = {-1920, 10, -100, 700};
    const auto bytes = p.ToBytes();
    EXPECT_EQ(p, WindowPlacement::FromBytes(bytes));
    EXPECT_FALSE(WindowPlacement::FromBytes(std::span(bytes.data(), 40)).has_value());
}

}  // namespace
