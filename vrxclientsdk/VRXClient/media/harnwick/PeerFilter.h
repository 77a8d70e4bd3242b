// Which peers the web server answers while receivers are logged in.
//
// Each logged-in client of the process allows its receiver's address (and
// withdraws it at the end of its session); the same address may be allowed
// more than once and stays allowed until every allowance is withdrawn. While
// no address is allowed, every peer is answered. While one is, only the
// allowed addresses and this host are: 127.0.0.1 and the address the
// connection came in on.
//
// THREADING: every operation may be called from any thread.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>

class PeerFilter {
public:
    // `ipv4` in network order; 0 is ignored.
    void Allow(uint32_t ipv4);
    // Withdraws one allowance of `ipv4`; false when it had none.
    bool Withdraw(uint32_t ipv4);
    // Whether a connection from `peer` to the local address `local` (both
    // in network order) is answered.
    bool Admits(uint32_t peer, uint32_t local) const;

private:
    mutable std::mutex m_lock;
    std::map<uint32_t, int> m_allowed;  // address -> allowances
};
