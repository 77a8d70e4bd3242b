// Loading our own plug-in modules by name.
//
// A module named "Pexlo" is the file libPexlo.so. It is searched in the
// program's own folder first, then in the folders of PEMU_MODULE_PATH
// (':'-separated), then by the system's library search. Libraries of the
// system (a Debian package's versioned name) load with LoadSystem.
#pragma once

#include <memory>
#include <string>

namespace platform {

class DynamicLibrary {
public:
    // Loads the module; nullptr when it cannot be found or loaded (the reason
    // is in *error when error is not null).
    static std::unique_ptr<DynamicLibrary> Load(const std::string& name,
                                                std::string* error = nullptr);
    // Loads a system library by its versioned file name ("libfoo.so.0")
    // through the system's library search only; nullptr as for Load.
    static std::unique_ptr<DynamicLibrary> LoadSystem(const std::string& soname,
                                                      std::string* error = nullptr);

    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // The address of an exported entry, or nullptr when the module lacks it.
    void* Symbol(const char* entry) const;

    template <typename Fn>
    Fn Entry(const char* entry) const {
        return reinterpret_cast<Fn>(Symbol(entry));
    }

    const std::string& Path() const { return m_path; }

private:
    DynamicLibrary(void* handle, std::string path) : m_handle(handle), m_path(std::move(path)) {}
    void* m_handle;
    std::string m_path;
};

// The folder that holds the running program (no trailing slash).
std::string ProgramFolder();

}  // namespace platform
