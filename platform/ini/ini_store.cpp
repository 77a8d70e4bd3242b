#include "platform/ini/ini_store.h"

#include <cstdio>

#include "platform/file_lock.h"
#include "platform/text_file.h"
#include "platform/user_folders.h"

namespace platform {
namespace {

void SetReason(std::string* reason, const std::string& text) {
    if (reason) {
        *reason = text;
    }
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

}  // namespace

IniStore::LoadResult IniStore::ReadLocked(std::string* reason) {
    std::string text;
    std::string why;
    switch (ReadTextFile(m_path, kMaxFileBytes, &text, &why)) {
        case TextFileStatus::kOk:
            m_document = IniDocument(text);
            return LoadResult::kLoaded;
        case TextFileStatus::kMissing:
            m_document = IniDocument();
            return LoadResult::kMissing;
        case TextFileStatus::kUnreadable:
        case TextFileStatus::kNotAFile:
            m_document = IniDocument();
            SetReason(reason, why);
            return LoadResult::kUnreadable;
        case TextFileStatus::kNotText:
            break;
    }
    m_document = IniDocument();
    std::string asideWhy;
    const std::string aside = SetFileAside(m_path, &asideWhy);
    std::string message = why + "; ";
    if (aside.empty()) {
        message += asideWhy + "; it is left as it is and not used";
    } else {
        m_setAside = aside;
        message += "kept as " + aside + "; defaults are used";
    }
    std::fprintf(stderr, "settings: %s\n", message.c_str());
    SetReason(reason, message);
    return LoadResult::kSetAside;
}

IniStore::LoadResult IniStore::Load(std::string* reason) {
    // Under the lock, so that two readers never both set a file aside. A
    // missing folder has no lock file yet: nothing to read then either.
    std::string why;
    auto lock = FileLock::Acquire(m_path + ".lock", kLockWaitMs, &why);
    if (!lock) {
        std::string text;
        const TextFileStatus status = ReadTextFile(m_path, kMaxFileBytes, &text, &why);
        m_document = IniDocument(status == TextFileStatus::kOk ? text : std::string());
        if (status == TextFileStatus::kOk || status == TextFileStatus::kMissing) {
            return status == TextFileStatus::kOk ? LoadResult::kLoaded : LoadResult::kMissing;
        }
        SetReason(reason, why);
        return LoadResult::kUnreadable;
    }
    return ReadLocked(reason);
}

bool IniStore::Write(std::string_view section, std::string_view key, std::string_view value,
                     std::string* reason) {
    if (!IniDocument::IsValidName(section) || !IniDocument::IsValidName(key) ||
        !IniDocument::IsValidValue(value)) {
        SetReason(reason, "refused: a name or value with a line break, NUL or a bad character");
        return false;
    }
    return Update([&](IniDocument& doc) { return doc.Set(section, key, value); }, reason);
}

bool IniStore::Update(const std::function<bool(IniDocument&)>& change, std::string* reason) {
    std::string why;
    const std::string folder = FolderOf(m_path);
    if (!folder.empty() && !MakeFolders(folder, 0700, &why)) {
        SetReason(reason, why);
        return false;
    }
    auto lock = FileLock::Acquire(m_path + ".lock", kLockWaitMs, &why);
    if (!lock) {
        SetReason(reason, why);
        return false;
    }
    const LoadResult read = ReadLocked(&why);
    if (read == LoadResult::kUnreadable) {
        // Replacing a file we could not read would lose what it holds.
        SetReason(reason, why);
        return false;
    }
    IniDocument edited = m_document;
    if (!change(edited)) {
        SetReason(reason, "the change was refused");
        return false;
    }
    if (ReplaceFileAtomically(m_path, edited.Text(), 0600, &why) != 0) {
        SetReason(reason, why);
        return false;
    }
    m_document = std::move(edited);
    return true;
}

}  // namespace platform
