// The idle watcher's rules: which source a session gets, what each event does
// to the one saver, the length of the idle time and the session's lock.
#include "host/idle/idle_rules.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>

namespace {

// The first source offered, in the fixed order; a Wayland protocol counts only
// with a seat, the X server's counter only where no compositor answers (under
// Wayland, Xwayland's counter misses the input that goes to Wayland clients).
// Inhibitors are honoured inside each source, not by a rule here.
TEST(IdleRules, SourceIsTheFirstOffered) {
    // Each word: 1 or 0 for ext, kde, seat, a compositor answers, mutter, IDLETIME; then the choice:
    // e ext-idle-notify, k KDE's, m Mutter's, x IDLETIME, - none.
    std::istringstream rows(
        "111111e 011111k 001111m 110110m 000011m 000001x 110001x 001101- 110100- 000000-");
    for (std::string row; rows >> row;) {
        IdleOffer offer;
        offer.extIdleNotifier = row[0] == '1', offer.kdeIdle = row[1] == '1', offer.seat = row[2] == '1';
        offer.waylandAnswers = row[3] == '1', offer.mutterIdleMonitor = row[4] == '1',
        offer.x11IdleTime = row[5] == '1';
        EXPECT_EQ("-ekmx"[static_cast<int>(pickIdleSource(offer))], row[6]) << row;
    }
}

// A run of events from a watcher armed at 2 minutes, and what each does:
// s starts a saver, n gives the running one notice of input (it decides),
// e ends it, r re-arms, x ends the watcher,
// - nothing; then + when a saver is still running. Events: I idle, A active,
// E the saver ended, T TERM, G the compositor or bus gone, a number: the
// setting changed to it.
TEST(IdleRules, OneSaverAtATime) {
    const std::pair<const char*, const char*> cases[] = {
        {"I E I E", "s - s -"},   // watches again after each saver
        {"I I I", "s - - +"},     // never two
        {"A A", "- -"},           // activity without a saver
        {"I A E I", "s n - s +"}, // activity while it runs: notice, and the saver decides
        {"I A I A", "s n - n +"}, // it stayed (a move within its threshold): it runs on
        {"I E A I", "s - - s +"}, // it ended itself on input: the resumed after it changes nothing
        {"T I", "x -"},           // TERM: nothing starts after it
        {"I T E I A", "s ex - - -"},
        {"I G E", "s ex -"}, // the compositor or bus gone ends the saver too
        {"G", "x"},
        {"5 I", "r s +"},       // a new time re-arms
        {"2", "-"},             // the same time: nothing to do
        {"I 7 A E", "s r n -"}, // re-arming leaves the running saver be
        {"I 0 I", "s ex - +"},  // turned off: as TERM, the saver still to end
        {"0", "x"}};
    for (const auto& [events, want] : cases) {
        IdleWatch watch;
        watch.minutes = 2;
        std::istringstream in(events);
        std::string token, got;
        while (in >> token) {
            const bool number = token[0] >= '0' && token[0] <= '9';
            const IdleEvent event = number         ? IdleEvent::SettingChanged
                                    : token == "I" ? IdleEvent::Idle
                                    : token == "A" ? IdleEvent::Active
                                    : token == "E" ? IdleEvent::SaverEnded
                                    : token == "T" ? IdleEvent::Stop
                                                   : IdleEvent::SourceGone;
            const IdleActions a = onIdleEvent(&watch, event, number ? std::stoul(token) : 0);
            std::string step = std::string(a.startSaver ? "s" : "") + (a.noticeSaver ? "n" : "") +
                               (a.endSaver ? "e" : "") + (a.rearm ? "r" : "") + (a.exit ? "x" : "");
            got += (got.empty() ? "" : " ") + (step.empty() ? "-" : step);
        }
        EXPECT_EQ(got + (watch.saverRunning ? " +" : ""), want) << events;
    }
}

// A minute lasts 60 s unless the tests' variable gives 1 to 60000 ms; no overflow.
TEST(IdleRules, IdleTime) {
    const std::pair<const char*, uint32_t> minutes[] = {
        {nullptr, 60000}, {"", 60000},      {"2000", 2000}, {"1", 1},
        {"0", 60000},     {"60001", 60000}, {"2s", 60000},  {"4294967297", 60000}};
    for (const auto& [text, want] : minutes)
        EXPECT_EQ(minuteMilliseconds(text), want) << (text ? text : "null");
    EXPECT_EQ(idleMilliseconds(720, 60000), 43200000u);
    EXPECT_EQ(idleMilliseconds(1, 2000), 2000u);
    EXPECT_EQ(idleMilliseconds(0xFFFFFFFF, 60000), 0xFFFFFFFFu);
}

// One lock per session: named after its display (Wayland's, else X's, else
// the bus), one name even for a socket path, in the runtime folder or,
// without one, in /tmp with the user's number.
TEST(IdleRules, LockNamedAfterTheSession) {
    const std::tuple<const char*, const char*, const char*, const char*, std::string> cases[] = {
        {"/run/user/1000", "wayland-0", ":0", "unix:path=/bus", "/run/user/1000/zellik-idle-wayland-0.lock"},
        {"/run/user/1000", "", ":1", nullptr, "/run/user/1000/zellik-idle-:1.lock"},
        {"/run/user/1000", "/tmp/sock/w-1", nullptr, nullptr,
         "/run/user/1000/zellik-idle-_tmp_sock_w-1.lock"},
        {"/run/user/1000", nullptr, nullptr, "unix:path=/run/bus",
         "/run/user/1000/zellik-idle-unix:path=_run_bus.lock"},
        {nullptr, "wayland-1", nullptr, nullptr, "/tmp/zellik-idle-1000-wayland-1.lock"},
        {"relative", ":0", nullptr, nullptr, "/tmp/zellik-idle-1000-:0.lock"}};
    for (const auto& [runtime, wayland, x11, bus, want] : cases)
        EXPECT_EQ(idleLockPath(runtime, 1000, wayland, x11, bus), want);
}

} // namespace
