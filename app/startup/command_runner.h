// CommandRunner: carries out the actions that starts with switches hand to
// the running sender (the reading side of the command file), against one or
// all receivers, each with a client of its own.
//
// Clients come from a factory (the application's client class; the plain
// facade in tests), one per receiver address, made on first use by
// connecting to the receiver (ConnectToDeviceThruIP) and kept, with the
// receiver's address, name and code-mode byte (97 of its record), until the
// runner goes. Checks on the values (address, login code, position) end an
// action with a log line and nothing done; login codes never reach the log.
// The address 0.0.0.0 passes the text check but is never connected to.
//
// Facade calls made here wait for the receiver while pumping window
// messages, so a new action can arrive in the middle of one: RunQueued then
// leaves it queued, and the call in progress takes it after its own.
//
// Not the hand-off (startup.h) nor the file format (command_file.h).
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/startup/command_action.h"

class Logger;
class VRXClient;

namespace pemuapp {

class CommandRunner {
public:
    using ClientFactory = std::function<std::unique_ptr<VRXClient>()>;

    struct Hooks {
        ClientFactory makeClient;
        // The Exit action, after every client was stopped: the program's exit.
        std::function<void()> onExit;
        // Whether a media file exists; null: a test for a regular file.
        std::function<bool(const std::string& path)> fileExists;
        // The user name a login sends when the action names none; empty:
        // the platform's user name.
        std::string userName;
    };

    // `log` is borrowed (null: no log) and must outlive the runner.
    CommandRunner(Hooks hooks, Logger* log);
    // Deletes the clients (each ends its connection).
    ~CommandRunner();
    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;

    // Carries one action out. 1 when an action word was read (known or not)
    // and handled, -1 when the action was empty or a check failed. Not
    // re-entrant: message handlers use RunQueued.
    int Run(const CommandAction& action);

    // Takes and runs the queued actions in order. A call made while an
    // action runs returns at once; the running call takes the new actions.
    // After Exit, what is left is dropped (logged).
    void RunQueued(CommandActionQueue& queue);

    struct ClientEntry {
        std::unique_ptr<VRXClient> client;
        uint32_t address = 0;  // network order
        std::string name;      // the receiver's name from its record
        uint8_t codeMode = 0;  // record byte 97: 0 when it asks for a code
    };
    size_t ClientCount() const { return m_clients.size(); }
    const ClientEntry& Client(size_t index) const { return m_clients[index]; }
    // The index of the client of `address` (dotted text), or -1.
    int FindClientByAddress(const std::string& address) const;

private:
    int GetOrCreateClient(const std::string& address);
    // Logs in a client that is not connected. False ends the action.
    bool EnsureLoggedIn(ClientEntry& entry, const std::string& user, const std::string& code);
    // Checks the action's address and code, gets its client and logs it in
    // as `user`. Null when the action ends here, with its result in *result.
    ClientEntry* LoggedInClient(const CommandAction& a, const std::string& user, int* result);
    int RunLogin(const CommandAction& a);
    int RunPresentation(const CommandAction& a);
    int RunVideo(const CommandAction& a);
    int RunStopOrPause(const CommandAction& a, bool pause);
    void StopAll();
    int Fail(const char* action, const char* why);

    Hooks m_hooks;
    Logger* m_log;
    std::vector<ClientEntry> m_clients;
    bool m_running = false;
    bool m_exited = false;
};

}  // namespace pemuapp
