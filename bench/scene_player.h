// The benchmark's scenes, drawn on an X display by a child process of their
// own so that their drawing never counts as the sender's CPU time.
//
//   static  the desktop picture, drawn once;
//   typing  three small text lines that grow by one glyph every 50 ms;
//   scroll  a large text window scrolling up by 4 pixels every frame;
//   motion  the whole screen moving sideways every frame.
//
// Frames follow a 60 Hz clock. Start() before the process starts threads
// (it forks).
#pragma once

#include <sys/types.h>

#include <string>

namespace bench {

class ScenePlayer {
public:
    enum class Scene { kStatic, kTyping, kScroll, kMotion };

    // Parses "static", "typing", "scroll" or "motion".
    static bool Parse(const std::string& text, Scene* scene);
    static const char* Name(Scene scene);

    ScenePlayer() = default;
    ~ScenePlayer();
    ScenePlayer(const ScenePlayer&) = delete;
    ScenePlayer& operator=(const ScenePlayer&) = delete;

    // Draws the desktop, then keeps playing `scene` on `display` (width x
    // height) in a child process. Returns once the desktop is on the screen;
    // false when the display can't be opened.
    bool Start(const std::string& display, Scene scene, int width, int height);
    // Ends the child and waits for it; the screen keeps its last picture.
    void Stop();

private:
    pid_t m_pid = -1;
};

}  // namespace bench
