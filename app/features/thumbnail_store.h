// ThumbnailStore: the conference participants' thumbnail pictures, fetched
// from the address the receiver names and kept as BMP files in the cache
// folder ($XDG_CACHE_HOME/Pemu Quorvane Sender/thumbnails, mode 0700).
//
// A file is named by the participant's name through SafeBaseName, so no
// name a receiver sends can reach outside the folder; a name with no safe
// form has no thumbnail. Only a whole JPEG (http or https, 10 s, 2 MiB) that
// decodes is converted; the BMP is written to a temporary file and renamed,
// so a reader never sees half a picture and a failed fetch leaves no file.
//
// THREADING: any thread; one Fetch at a time per file name is the
// caller's business (the thumbnail worker runs the jobs one by one).
#pragma once

#include <string>

#include "app/features/http_get.h"

namespace pemuapp {

inline constexpr const char* kThumbnailFolderName = "Pemu Quorvane Sender/thumbnails";

// "<folder>/<safe name>.bmp": where the thumbnail of the participant `name`
// is kept, and where the tiles look for it; empty when the name has no safe
// form or there is no folder.
std::string ThumbnailBmpPath(const std::string& folder, const std::string& name);

class ThumbnailStore {
public:
    // `folder`: where the BMP files go (made on first use, mode 0700).
    explicit ThumbnailStore(std::string folder);
    // The cache folder of the user; empty when no home folder is known.
    static std::string DefaultFolder();

    // "<folder>/<safe name>.bmp"; empty when the name has no safe form.
    std::string BmpPath(const std::string& name) const;
    // Fetches `url` and writes the BMP of `name`; false (logged) when
    // nothing was written.
    bool Fetch(const std::string& url, const std::string& name, std::string* error = nullptr);

    const std::string& Folder() const { return m_folder; }
    void SetLimitsForTest(const HttpLimits& limits) { m_limits = limits; }

private:
    std::string m_folder;
    HttpLimits m_limits{5000, 10000, 2 * 1024 * 1024};
};

}  // namespace pemuapp
