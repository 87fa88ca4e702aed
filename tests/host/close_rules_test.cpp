// The rules that decide when the full-screen saver ends.
#include "host/common/close_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

SaverSettings settingsAt(ScreenPoint start, int32_t threshold) {
    SaverSettings s{};
    s.passwordDelay = kDefaultPasswordDelay;
    s.mouseThreshold = threshold;
    s.startCursor = start;
    s.useMirrors = kDefaultUseMirrors;
    return s;
}

TEST(MouseThreshold, EachAxisStrictlyGreater) {
    const SaverSettings s = settingsAt({400, 300}, 50);
    EXPECT_FALSE(movedBeyondThreshold(s, {400, 300}));
    EXPECT_FALSE(movedBeyondThreshold(s, {450, 300}));
    EXPECT_TRUE(movedBeyondThreshold(s, {451, 300}));
    EXPECT_FALSE(movedBeyondThreshold(s, {400, 350}));
    EXPECT_TRUE(movedBeyondThreshold(s, {400, 351}));
}

TEST(MouseThreshold, NegativeDirections) {
    const SaverSettings s = settingsAt({400, 300}, 50);
    EXPECT_FALSE(movedBeyondThreshold(s, {350, 300}));
    EXPECT_TRUE(movedBeyondThreshold(s, {349, 300}));
    EXPECT_FALSE(movedBeyondThreshold(s, {400, 250}));
    EXPECT_TRUE(movedBeyondThreshold(s, {400, 249}));
    // Off the left and top of the primary screen.
    const SaverSettings origin = settingsAt({10, 10}, 50);
    EXPECT_FALSE(movedBeyondThreshold(origin, {-40, -40}));
    EXPECT_TRUE(movedBeyondThreshold(origin, {-41, 10}));
}

TEST(MouseThreshold, DiagonalIsNotCombined) {
    const SaverSettings s = settingsAt({400, 300}, 50);
    // About 70.7 pixels away, but no single axis beyond 50.
    EXPECT_FALSE(movedBeyondThreshold(s, {450, 350}));
    EXPECT_FALSE(movedBeyondThreshold(s, {350, 250}));
    EXPECT_FALSE(movedBeyondThreshold(s, {450, 250}));
    EXPECT_TRUE(movedBeyondThreshold(s, {451, 351}));
    EXPECT_TRUE(movedBeyondThreshold(s, {450, 249}));
}

TEST(MouseThreshold, ExtremeCoordinatesDoNotOverflow) {
    constexpr int32_t lo = std::numeric_limits<int32_t>::min();
    constexpr int32_t hi = std::numeric_limits<int32_t>::max();
    const SaverSettings low = settingsAt({lo, lo}, hi);
    // The true distance 2^32 - 1 exceeds every 32-bit threshold; wrapping
    // arithmetic would see -1 and keep the saver running.
    EXPECT_TRUE(movedBeyondThreshold(low, {hi, lo}));
    EXPECT_TRUE(movedBeyondThreshold(low, {lo, hi}));
    EXPECT_FALSE(movedBeyondThreshold(low, {lo, lo}));
    const SaverSettings high = settingsAt({hi, 0}, 0);
    EXPECT_TRUE(movedBeyondThreshold(high, {lo, 0}));
}

TEST(MouseThreshold, ZeroAndNegativeThresholds) {
    EXPECT_FALSE(movedBeyondThreshold(settingsAt({5, 5}, 0), {5, 5}));
    EXPECT_TRUE(movedBeyondThreshold(settingsAt({5, 5}, 0), {6, 5}));
    // A negative threshold is exceeded even without movement.
    EXPECT_TRUE(movedBeyondThreshold(settingsAt({5, 5}, -1), {5, 5}));
}

SaverSettings closeState(uint32_t delaySeconds, uint32_t startTick) {
    SaverSettings s = settingsAt({0, 0}, 50);
    s.passwordDelay = delaySeconds;
    s.startTick = startTick;
    s.closeRequested = 1;
    return s;
}

TEST(CloseRule, IgnoredUntilInputAsks) {
    SaverSettings s = closeState(15, 1000);
    s.closeRequested = 0;
    EXPECT_EQ(decideClose(s, 1000), CloseAction::Ignore);
    EXPECT_EQ(decideClose(s, 1000 + 60000), CloseAction::Ignore);
}

TEST(CloseRule, IgnoredWhilePasswordPromptIsUp) {
    SaverSettings s = closeState(15, 1000);
    s.checkingPassword = 1;
    EXPECT_EQ(decideClose(s, 1000), CloseAction::Ignore);
    EXPECT_EQ(decideClose(s, 1000 + 60000), CloseAction::Ignore);
}

TEST(CloseRule, PasswordOnlyAfterTheDelay) {
    const SaverSettings s = closeState(15, 1000);
    EXPECT_EQ(decideClose(s, 1000), CloseAction::Destroy);
    EXPECT_EQ(decideClose(s, 1000 + 7500), CloseAction::Destroy);
    EXPECT_EQ(decideClose(s, 1000 + 15000), CloseAction::Destroy);
    EXPECT_EQ(decideClose(s, 1000 + 15001), CloseAction::CheckPassword);
    EXPECT_EQ(decideClose(s, 1000 + 3600000), CloseAction::CheckPassword);
}

TEST(CloseRule, ZeroDelayAsksAfterTheFirstMillisecond) {
    const SaverSettings s = closeState(0, 500);
    EXPECT_EQ(decideClose(s, 500), CloseAction::Destroy);
    EXPECT_EQ(decideClose(s, 501), CloseAction::CheckPassword);
}

TEST(CloseRule, TickCountWrapsAround) {
    const uint32_t start = 0xFFFFFFFFu - 4999u; // 5 s before the wrap
    const SaverSettings s = closeState(15, start);
    EXPECT_EQ(decideClose(s, 9999u), CloseAction::Destroy);        // 15 s - 1 ms later
    EXPECT_EQ(decideClose(s, 10000u), CloseAction::Destroy);       // exactly 15 s
    EXPECT_EQ(decideClose(s, 10001u), CloseAction::CheckPassword); // past the delay
}

TEST(CloseRule, DelayProductIsThirtyTwoBits) {
    // 4294968 s * 1000 wraps to 704 ms.
    const SaverSettings s = closeState(4294968u, 0);
    EXPECT_EQ(decideClose(s, 704), CloseAction::Destroy);
    EXPECT_EQ(decideClose(s, 705), CloseAction::CheckPassword);
}

TEST(Activation, LowWordZeroIsDeactivation) {
    EXPECT_TRUE(isDeactivation(0));           // WA_INACTIVE, FALSE
    EXPECT_TRUE(isDeactivation(0x00010000u)); // minimised flag in the high word
    EXPECT_FALSE(isDeactivation(1));          // WA_ACTIVE, TRUE
    EXPECT_FALSE(isDeactivation(2));          // WA_CLICKACTIVE
    EXPECT_FALSE(isDeactivation(0x00010001u));
}

TEST(SysCommand, OnlyExactScreenSaveAndClose) {
    EXPECT_TRUE(swallowsSysCommand(0xF140));
    EXPECT_TRUE(swallowsSysCommand(0xF060));
    EXPECT_FALSE(swallowsSysCommand(0xF061));
    EXPECT_FALSE(swallowsSysCommand(0xF06F));
    EXPECT_FALSE(swallowsSysCommand(0xF141));
    EXPECT_FALSE(swallowsSysCommand(0xF020)); // SC_MINIMIZE
    EXPECT_FALSE(swallowsSysCommand(0xF100)); // SC_KEYMENU
}

TEST(RenderFlags, MirrorsBitOnly) {
    SaverSettings s{};
    s.useMirrors = 1;
    EXPECT_EQ(renderFlagsFor(s), 0x10000u);
    s.useMirrors = 5;
    EXPECT_EQ(renderFlagsFor(s), 0x10000u);
    s.useMirrors = 0;
    EXPECT_EQ(renderFlagsFor(s), 0u);
}

} // namespace
