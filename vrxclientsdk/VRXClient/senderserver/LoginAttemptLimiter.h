// LoginAttemptLimiter: bounds how often login codes may be tried. After
// kConnectionLimit wrong codes on one command connection, that connection is
// to be closed; after kAddressLimit wrong codes from one address within
// kWindowMs, the address is refused for kWindowMs.
//
// THREADING: any thread; one lock inside.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>

class LoginAttemptLimiter {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr int kConnectionLimit = 5;
    static constexpr int kAddressLimit = 20;
    static constexpr int kWindowMs = 60000;

    // What a wrong code leads to.
    struct Verdict {
        bool closeConnection = false;  // the connection used up its tries
        bool refuseAddress = false;    // the address is refused from now on
    };

    // A new command connection is in use: its count starts at 0.
    void NewConnection();
    // Forgets every count (the code changed: earlier guesses tell nothing).
    void Reset();
    // Counts a wrong code from `address` on the current connection.
    Verdict Wrong(uint32_t address, Clock::time_point now = Clock::now());
    // Whether `address` is refused at `now`.
    bool Refused(uint32_t address, Clock::time_point now = Clock::now());

private:
    // Drops the failures and refusals that are over at `now`.
    void Expire(Clock::time_point now);

    std::mutex m_Lock;
    int m_ConnectionWrong = 0;
    std::map<uint32_t, std::deque<Clock::time_point>> m_Failures;
    std::map<uint32_t, Clock::time_point> m_RefusedUntil;
};
