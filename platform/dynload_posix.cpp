#include "platform/dynload.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <vector>

namespace platform {

std::string ProgramFolder() {
    char buf[PATH_MAX] = {};
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) {
        return ".";
    }
    std::string path(buf, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::unique_ptr<DynamicLibrary> DynamicLibrary::Load(const std::string& name, std::string* error) {
    const std::string file = "lib" + name + ".so";
    std::vector<std::string> candidates{ProgramFolder() + "/" + file};
    if (const char* extra = std::getenv("PEMU_MODULE_PATH")) {
        std::string list(extra);
        size_t start = 0;
        while (start <= list.size()) {
            size_t end = list.find(':', start);
            if (end == std::string::npos) {
                end = list.size();
            }
            if (end > start) {
                candidates.push_back(list.substr(start, end - start) + "/" + file);
            }
            start = end + 1;
        }
    }
    candidates.push_back(file);  // system search path
    std::string lastError;
    for (const std::string& path : candidates) {
        if (path.find('/') != std::string::npos && ::access(path.c_str(), F_OK) != 0) {
            continue;
        }
        if (void* h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(h, path));
        }
        const char* why = ::dlerror();
        lastError = why ? why : "dlopen failed";
    }
    if (error) {
        *error = lastError.empty() ? file + ": not found" : lastError;
    }
    return nullptr;
}

std::unique_ptr<DynamicLibrary> DynamicLibrary::LoadSystem(const std::string& soname,
                                                           std::string* error) {
    if (soname.empty() || soname.find('/') != std::string::npos) {
        if (error) {
            *error = "not a library name: " + soname;
        }
        return nullptr;
    }
    if (void* h = ::dlopen(soname.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(h, soname));
    }
    if (error) {
        const char* why = ::dlerror();
        *error = why ? why : soname + ": not found";
    }
    return nullptr;
}

DynamicLibrary::~DynamicLibrary() {
    if (m_handle) {
        ::dlclose(m_handle);
    }
}

void* DynamicLibrary::Symbol(const char* entry) const {
    return ::dlsym(m_handle, entry);
}

}  // namespace platform
