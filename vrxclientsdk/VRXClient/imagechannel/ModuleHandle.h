// A handle that an encoder module made, owned: it is closed with the
// module's own close entry when the owner lets go of it.
#pragma once

#include <memory>

template <typename CloseFn>
struct ModuleHandleCloser {
    CloseFn close = nullptr;
    void operator()(void* handle) const { close(handle); }
};

template <typename CloseFn>
using ModuleHandle = std::unique_ptr<void, ModuleHandleCloser<CloseFn>>;
