#include "vrxclientsdk/VRXClient/capture/CaptureClientRecord.h"

#include <cstring>

namespace {

template <typename T>
void Append(std::string& key, const T& v) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &v, sizeof(T));
    key.append(bytes, sizeof(T));
}

}  // namespace

std::string CaptureClientRecord::Key() const {
    std::string key;
    KeyInto(key);
    return key;
}

void CaptureClientRecord::KeyInto(std::string& key) const {
    key.clear();
    Append(key, window);
    Append(key, screen);
    Append(key, rotation);
    Append(key, bitCount);
    Append(key, outputWidth);
    Append(key, outputHeight);
    key.push_back(windowFlag ? 1 : 0);
    key.push_back(rgb16 ? 1 : 0);
    key.push_back(captureLayered ? 1 : 0);
    key.append(reinterpret_cast<const char*>(imagePath.data()), imagePath.size() * 2);
}
