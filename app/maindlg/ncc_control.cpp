#include "app/maindlg/ncc_control.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace pemuapp {
namespace {

constexpr char kRequestTag[] = "NCC_CONTROL";

void PutU32(std::vector<uint8_t>* out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out->push_back(static_cast<uint8_t>(v >> shift));
    }
}

int32_t KindOrZero(int64_t v) {
    return (v == 1 || v == 3 || v == 4 || v == 10) ? static_cast<int32_t>(v) : 0;
}

int32_t LevelOrZero(int64_t v, int64_t highest) {
    return (v >= 10 && v <= highest && v % 10 == 0) ? static_cast<int32_t>(v) : 0;
}

// Reads counted values from the reply, never past its end.
class Reader {
public:
    explicit Reader(const std::string& bytes) : m_bytes(bytes) {}
    size_t Left() const { return m_bytes.size() - m_at; }
    bool U8(uint8_t* v) {
        if (Left() < 1) {
            return false;
        }
        *v = static_cast<uint8_t>(m_bytes[m_at++]);
        return true;
    }
    bool U16(uint16_t* v) {
        uint8_t a, b;
        if (Left() < 2 || !U8(&a) || !U8(&b)) {
            return false;
        }
        *v = static_cast<uint16_t>((a << 8) | b);
        return true;
    }
    bool U32(uint32_t* v) {
        if (Left() < 4) {
            return false;
        }
        uint32_t r = 0;
        for (int i = 0; i < 4; ++i) {
            r = (r << 8) | static_cast<uint8_t>(m_bytes[m_at++]);
        }
        *v = r;
        return true;
    }
    // A counted text: its length word, then that many bytes.
    bool Text(std::string* text) {
        uint16_t n = 0;
        if (!U16(&n) || Left() < n) {
            return false;
        }
        *text = m_bytes.substr(m_at, std::min<size_t>(n, kNccTextLimit));
        m_at += n;
        return true;
    }

private:
    const std::string& m_bytes;
    size_t m_at = 0;
};

int ProcessTag() {
    static thread_local std::mt19937 generator{std::random_device{}()};
    return std::uniform_int_distribution<int>(1, 1000)(generator);
}

bool ParseRecord(Reader& in, NccEntry* e, const std::function<int()>& randomTag) {
    uint32_t id = 0, kind = 0, first = 0, second = 0;
    uint8_t flag = 0, last = 0;
    std::string access;
    if (!in.Text(&e->name) || !in.U32(&id) || !in.U32(&kind) || !in.U8(&flag) || !in.U32(&first) ||
        !in.U32(&second) || !in.Text(&access) || !in.Text(&e->detail) || !in.U8(&last)) {
        return false;
    }
    e->id = id;
    e->kind = KindOrZero(kind);
    e->flag = static_cast<int8_t>(flag);
    e->firstLevel = LevelOrZero(first, 60);
    e->secondLevel = LevelOrZero(second, 70);
    e->access = access.empty() ? "" : "a";
    e->lastFlag = static_cast<int8_t>(last);
    if (!e->detail.empty()) {
        const int n = std::clamp(randomTag ? randomTag() : ProcessTag(), 1, 1000);
        e->tag = std::to_string(n);
    }
    return true;
}

}  // namespace

void BuildNccRequest(const NccEntry& entry, std::vector<uint8_t>* out) {
    const size_t tagSize = sizeof kRequestTag - 1;
    const size_t n = std::min<size_t>(entry.access.size(), 0xFFFF);
    std::vector<uint8_t> bytes;
    bytes.reserve(tagSize + 15 + n);
    for (size_t i = 0; i < tagSize; ++i) {
        bytes.push_back(static_cast<uint8_t>(kRequestTag[i]));
    }
    PutU32(&bytes, kNccVersionWord);
    PutU32(&bytes, entry.id);
    PutU32(&bytes, static_cast<uint32_t>(KindOrZero(entry.kind)));
    bytes.push_back('0');
    bytes.push_back(static_cast<uint8_t>(n >> 8));
    bytes.push_back(static_cast<uint8_t>(n));
    for (size_t i = 0; i < n; ++i) {
        bytes.push_back(static_cast<uint8_t>(entry.access[i]));
    }
    *out = std::move(bytes);
}

NccParseResult ParseNccReply(const std::string& reply, bool* ok, std::list<NccEntry>* list,
                             const std::function<int()>& randomTag) {
    list->clear();
    NccParseResult result;
    if (reply.empty()) {
        return result;
    }
    Reader in(reply);
    uint32_t unused = 0;
    uint8_t status = 0;
    uint16_t count = 0;
    if (!in.U32(&unused) || !in.U8(&status)) {
        result.complete = false;
        result.error = "reply shorter than its head";
        return result;
    }
    *ok = status == 1;
    if (!in.U16(&count)) {
        result.complete = false;
        result.error = "reply shorter than its head";
        return result;
    }
    for (uint16_t i = 0; i < count; ++i) {
        NccEntry entry;
        if (!ParseRecord(in, &entry, randomTag)) {
            result.complete = false;
            result.error = "record " + std::to_string(i + 1) + " of " + std::to_string(count) +
                           " does not fit in the reply";
            return result;
        }
        list->push_back(std::move(entry));
    }
    return result;
}

}  // namespace pemuapp
