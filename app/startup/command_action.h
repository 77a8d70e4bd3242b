// CommandAction: one action handed to the sender on its command line
// (Login, Presentation, Video, Stop, Pause, StopAll, Exit) with the values
// its switch gave; and the queue through which actions reach the main
// window.
//
// Values are UTF-8 text exactly as given; an absent value is empty. Which
// values an action uses is fixed by the command file's line layout
// (command_file.h).
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace pemuapp {

struct CommandAction {
    std::string action;  // "Login", ...; any other word does nothing
    std::string ip;
    std::string id;  // Presentation: the split position "0" to "4"
    std::string name;
    std::string code;  // login code
    std::string path;  // Video: the media file

    bool operator==(const CommandAction&) const = default;
};

// Actions waiting for the main window, in order of arrival.
// THREADING: any thread; the hand-off server pushes, the user-interface
// thread takes.
class CommandActionQueue {
public:
    void Push(CommandAction action) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_actions.push_back(std::move(action));
    }
    // The oldest action; false when none waits.
    bool Take(CommandAction* action) {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_actions.empty()) {
            return false;
        }
        *action = std::move(m_actions.front());
        m_actions.pop_front();
        return true;
    }
    size_t Size() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_actions.size();
    }

private:
    std::mutex m_lock;
    std::deque<CommandAction> m_actions;
};

}  // namespace pemuapp
