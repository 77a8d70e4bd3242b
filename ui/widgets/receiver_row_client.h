// What the receiver rows of a list view need of the objects they are bound
// to, beyond the client facade, and of the settings file.
//
// A receiver row (CQKLoginItem) holds a VRXClient* (not owned; the creator
// owns its clients and keeps them alive as long as their rows). The
// application's client class also implements ReceiverMediaFlags, its three
// byte flags about media files; a row finds them on its client (a client
// without them counts as having none set). Tests use a fake subclass of
// VRXClient.
//
// The rows read their per-receiver log settings through a SettingsReader
// the list's creator gives (the application's settings file; tests: a map).
// THREADING: user-interface thread only.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace ui {

class ReceiverMediaFlags {
public:
    // The first flag: the receiver can play a video file.
    virtual bool VideoFileFlag() const = 0;
    // Clears all three flags (a row does so when it sees its receiver logged in).
    virtual void ClearMediaFlags() = 0;

protected:
    ~ReceiverMediaFlags() = default;
};

class SettingsReader {
public:
    virtual ~SettingsReader() = default;
    // The value of `key` in the sender's settings section; nothing when the
    // key is not there.
    virtual std::optional<std::string> ReadSetting(std::string_view key) const = 0;
};

// A SettingsReader over a map, for tests and fixed settings.
class MapSettingsReader final : public SettingsReader {
public:
    using Values = std::map<std::string, std::string, std::less<>>;

    MapSettingsReader() = default;
    explicit MapSettingsReader(Values values) : m_values(std::move(values)) {}
    std::optional<std::string> ReadSetting(std::string_view key) const override {
        auto it = m_values.find(key);
        return it == m_values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    void Set(std::string key, std::string value) { m_values[std::move(key)] = std::move(value); }

private:
    Values m_values;
};

}  // namespace ui
