#include "bench/scene_player.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/vrxclientsdk/VRXClient/test_picture.h"

namespace bench {

namespace {

constexpr long kFrameNs = 1000000000L / 60;

void NextTick(timespec* at) {
    at->tv_nsec += kFrameNs;
    if (at->tv_nsec >= 1000000000L) {
        at->tv_nsec -= 1000000000L;
        ++at->tv_sec;
    }
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, at, nullptr);
}

// One "glyph": a few dark strokes in an 8 x 14 cell, chosen by `seed`.
void DrawGlyph(Display* d, Window w, GC gc, int x, int y, uint32_t seed) {
    XSetForeground(d, gc, 0x202020);
    for (int i = 0; i < 3; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int sx = static_cast<int>((seed >> 8) % 6);
        const int sy = static_cast<int>((seed >> 16) % 12);
        const bool vertical = (seed >> 24) & 1;
        XFillRectangle(d, w, gc, x + sx, y + sy, vertical ? 2 : 6 - sx + 1,
                       vertical ? 12 - sy + 1 : 2);
    }
}

XImage* MakeImage(Display* d, std::vector<uint8_t>& pixels, int w, int h) {
    return XCreateImage(d, DefaultVisual(d, DefaultScreen(d)), 24, ZPixmap, 0,
                        reinterpret_cast<char*>(pixels.data()), static_cast<unsigned>(w),
                        static_cast<unsigned>(h), 32, w * 4);
}

[[noreturn]] void Play(const std::string& name, ScenePlayer::Scene scene, int width, int height,
                       int readyFd) {
    Display* d = XOpenDisplay(name.c_str());
    if (!d) {
        _exit(2);
    }
    const Window root = DefaultRootWindow(d);
    GC gc = XCreateGC(d, root, 0, nullptr);

    // Motion moves a picture twice the screen's width sideways; the others
    // start from the plain desktop.
    const int pictureWidth = scene == ScenePlayer::Scene::kMotion ? width * 2 : width;
    std::vector<uint8_t> pixels = MakeTestPicture(pictureWidth, height);
    XImage* image = MakeImage(d, pixels, pictureWidth, height);
    XPutImage(d, root, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width),
              static_cast<unsigned>(height));
    // Text areas: white boxes.
    struct Line {
        int x, y, length;
    };
    std::vector<Line> lines = {
        {width / 8, height / 5, 0}, {width / 2, height / 3, 0}, {width / 4, height * 3 / 4, 0}};
    const int scrollX = width / 10, scrollY = height / 10;
    const int scrollW = width * 8 / 10, scrollH = height * 8 / 10;
    XSetForeground(d, gc, 0xF4F4F4);
    if (scene == ScenePlayer::Scene::kTyping) {
        for (const Line& l : lines) {
            XFillRectangle(d, root, gc, l.x - 4, l.y - 4, 40 * 8 + 8, 22);
        }
    } else if (scene == ScenePlayer::Scene::kScroll) {
        XFillRectangle(d, root, gc, scrollX, scrollY, static_cast<unsigned>(scrollW),
                       static_cast<unsigned>(scrollH));
    }
    XSync(d, False);
    const char ready = 1;
    [[maybe_unused]] ssize_t n = write(readyFd, &ready, 1);
    close(readyFd);

    timespec at{};
    clock_gettime(CLOCK_MONOTONIC, &at);
    uint32_t seed = 1;
    for (uint64_t tick = 0;; ++tick) {
        switch (scene) {
            case ScenePlayer::Scene::kStatic:
                break;
            case ScenePlayer::Scene::kTyping:
                if (tick % 3 == 0) {  // 20 glyphs a second per line
                    for (Line& l : lines) {
                        if (l.length == 40) {
                            XSetForeground(d, gc, 0xF4F4F4);
                            XFillRectangle(d, root, gc, l.x, l.y, 40 * 8, 14);
                            l.length = 0;
                        }
                        DrawGlyph(d, root, gc, l.x + l.length * 8, l.y, seed += 7919);
                        ++l.length;
                        // Each line is its own request, as three programs
                        // typing would send: the X server reports the damage
                        // of one request as its bounding box.
                        XFlush(d);
                    }
                }
                break;
            case ScenePlayer::Scene::kScroll: {
                constexpr int kStep = 4;
                XCopyArea(d, root, root, gc, scrollX, scrollY + kStep,
                          static_cast<unsigned>(scrollW), static_cast<unsigned>(scrollH - kStep),
                          scrollX, scrollY);
                XSetForeground(d, gc, 0xF4F4F4);
                XFillRectangle(d, root, gc, scrollX, scrollY + scrollH - kStep,
                               static_cast<unsigned>(scrollW), kStep);
                // A new text row shows up every 16 pixels, a slice at a time.
                if (tick % 4 == 0) {
                    for (int x = scrollX + 8; x < scrollX + scrollW - 16; x += 9) {
                        seed = seed * 1103515245u + 12345u;
                        if ((seed >> 20) % 7 != 0) {
                            XSetForeground(d, gc, 0x303030);
                            XFillRectangle(d, root, gc, x, scrollY + scrollH - kStep, 6, kStep);
                        }
                    }
                }
                break;
            }
            case ScenePlayer::Scene::kMotion: {
                const int offset = static_cast<int>((tick * 8) % static_cast<uint64_t>(width));
                XPutImage(d, root, gc, image, offset, 0, 0, 0, static_cast<unsigned>(width),
                          static_cast<unsigned>(height));
                break;
            }
        }
        XSync(d, False);
        NextTick(&at);
    }
}

}  // namespace

bool ScenePlayer::Parse(const std::string& text, Scene* scene) {
    const struct {
        const char* name;
        Scene scene;
    } table[] = {{"static", Scene::kStatic},
                 {"typing", Scene::kTyping},
                 {"scroll", Scene::kScroll},
                 {"motion", Scene::kMotion}};
    for (const auto& row : table) {
        if (text == row.name) {
            *scene = row.scene;
            return true;
        }
    }
    return false;
}

const char* ScenePlayer::Name(Scene scene) {
    switch (scene) {
        case Scene::kStatic:
            return "static";
        case Scene::kTyping:
            return "typing";
        case Scene::kScroll:
            return "scroll";
        case Scene::kMotion:
            return "motion";
    }
    return "?";
}

ScenePlayer::~ScenePlayer() {
    Stop();
}

bool ScenePlayer::Start(const std::string& display, Scene scene, int width, int height) {
    Stop();
    int fds[2];
    if (pipe(fds) != 0) {
        return false;
    }
    m_pid = fork();
    if (m_pid == 0) {
        close(fds[0]);
        Play(display, scene, width, height, fds[1]);
    }
    close(fds[1]);
    char ready = 0;
    const bool ok = m_pid > 0 && read(fds[0], &ready, 1) == 1;
    close(fds[0]);
    if (!ok) {
        Stop();
    }
    return ok;
}

void ScenePlayer::Stop() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
}

}  // namespace bench
