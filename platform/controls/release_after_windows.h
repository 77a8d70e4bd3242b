// Lets an object that handles windows go only once the window layer can no
// longer call it.
//
// A window's handler must outlive the window's kFinalRelease, which the
// layer delays while a dispatch is on the stack. An owner that ends inside
// a dispatch (a dialog closed by a click) destroys its windows and hands
// their handlers here: they are deleted after the layer's pending releases,
// at once when no dispatch runs, or at once when the manager is gone.
// THREADING: user-interface thread only.
#pragma once

#include <memory>

#include "platform/window/window_manager.h"

namespace platform {

template <class T>
void ReleaseAfterWindows(WindowManager* wm, std::unique_ptr<T> object) {
    if (!object || !wm || WindowManager::Current() != wm) {
        return;  // no layer (any more) that could call it: freed here
    }
    // std::function wants a copyable callable.
    auto holder = std::make_shared<std::unique_ptr<T>>(std::move(object));
    wm->DeleteSoon([holder] { holder->reset(); });
}

}  // namespace platform
