#include "app/features/media_probe.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "platform/dynload.h"

namespace pemuapp {
namespace {

constexpr int kInfoText = 1;
constexpr int kInfoName = 0;

constexpr std::array<std::string_view, 26> kVideoCodecs = {
    "BLZ0",    "DIV3", "DIV4", "DIV5",    "DIVX",
    "DX50",    "MPEG", "MP2V", "MPEG-1V", "MPEG-2V",
    "MPG1",    "MPG2", "MPG3", "MPGI",    "V_MPEG1",
    "V_MPEG2", "XVID", "XVIX", "WMV3",    "WMVA",
    "WMVP",    "MP43", "AVC1", "DAVC",    "V_MPEG4/ISO/AVC",
    "AVC1"};

constexpr std::array<std::string_view, 30> kAudioCodecs = {"AAC",
                                                           "AAC LC",
                                                           "AAC LC-SBR",
                                                           "AAC LC-SBR-PS",
                                                           "AAC LTP",
                                                           "AAC MAIN",
                                                           "AAC SSR",
                                                           "AAC+",
                                                           "AAC-HE",
                                                           "AAC-LC",
                                                           "AC3",
                                                           "MPEG-1 AUDIO",
                                                           "MPEG-1 AUDIO LAYER 1",
                                                           "MPEG-1 AUDIO LAYER 2",
                                                           "MPEG-1 AUDIO LAYER 3",
                                                           "MPEG-2 AUDIO",
                                                           "MPEG-2 AUDIO LAYER 1",
                                                           "MPEG-2 AUDIO LAYER 2",
                                                           "MPEG-2 AUDIO LAYER 3",
                                                           "MPEG1/2 L1",
                                                           "MPEG-1/2 L1",
                                                           "MPEG1/2 L2",
                                                           "MPEG-1/2 L2",
                                                           "MPEG1/2 L3",
                                                           "WMA1",
                                                           "WMA2",
                                                           "WMA3",
                                                           "MPEG-1A",
                                                           "MPEG-1A L1",
                                                           "PCM"};

std::string Upper(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return s;
}

template <size_t N>
bool InTable(const std::array<std::string_view, N>& table, std::string_view name) {
    return std::find(table.begin(), table.end(), name) != table.end();
}

}  // namespace

std::unique_ptr<MediaInfoProbe> MediaInfoProbe::Create(std::string* error) {
    auto library = platform::DynamicLibrary::LoadSystem("libmediainfo.so.0", error);
    if (!library) {
        return nullptr;
    }
    std::unique_ptr<MediaInfoProbe> probe(new MediaInfoProbe(std::move(library)));
    if (!probe->m_handle) {
        if (error) {
            *error = "the MediaInfo library lacks its entries";
        }
        return nullptr;
    }
    return probe;
}

MediaInfoProbe::MediaInfoProbe(std::unique_ptr<platform::DynamicLibrary> library)
    : m_library(std::move(library)) {
    const auto create = m_library->Entry<NewFn>("MediaInfoA_New");
    m_open = m_library->Entry<OpenFn>("MediaInfoA_Open");
    m_get = m_library->Entry<GetFn>("MediaInfoA_Get");
    m_delete = m_library->Entry<DeleteFn>("MediaInfoA_Delete");
    if (create && m_open && m_get && m_delete) {
        m_handle = create();
    }
}

MediaInfoProbe::~MediaInfoProbe() {
    if (m_handle) {
        m_delete(m_handle);
    }
}

bool MediaInfoProbe::Open(const std::string& path) {
    return m_open(m_handle, path.c_str()) != 0;
}

std::string MediaInfoProbe::Get(MediaStream stream, const std::string& key) {
    const char* value =
        m_get(m_handle, static_cast<int>(stream), 0, key.c_str(), kInfoText, kInfoName);
    return value ? std::string(value) : std::string();
}

std::string MediaExtension(const std::string& path) {
    std::string ext = path.size() >= 3 ? path.substr(path.size() - 3) : path;
    for (char& c : ext) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return ext;
}

bool IsMediaEncrypted(MediaFacts& facts) {
    return !facts.Get(MediaStream::kGeneral, "Encryption").empty();
}

bool IsVideoCodecSupported(MediaFacts& facts) {
    const std::string codec = facts.Get(MediaStream::kVideo, "Codec");
    if (!codec.empty()) {
        return InTable(kVideoCodecs, Upper(codec));
    }
    return Upper(facts.Get(MediaStream::kGeneral, "Format")) == "MPEG-2PS";
}

bool IsAudioCodecListSupported(MediaFacts& facts) {
    const std::string list = Upper(facts.Get(MediaStream::kGeneral, "Audio_Codec_List"));
    if (list.empty()) {
        return true;
    }
    constexpr std::string_view kSeparator = " / ";
    size_t start = 0;
    bool first = true;
    while (start <= list.size()) {
        size_t end = list.find(kSeparator, start);
        if (end == std::string::npos) {
            end = list.size();
        }
        const bool known = InTable(kAudioCodecs, std::string_view(list).substr(start, end - start));
        if (first && !known) {
            return false;  // later names count only once one has matched
        }
        first = false;
        start = end + kSeparator.size();
    }
    return true;
}

int64_t GetMediaPlayTime(MediaFacts& facts) {
    const std::string text = facts.Get(MediaStream::kGeneral, "PlayTime");
    int64_t ms = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || ms > INT64_MAX / 10 - 9) {
            break;
        }
        ms = ms * 10 + (c - '0');
    }
    return ms;
}

}  // namespace pemuapp
