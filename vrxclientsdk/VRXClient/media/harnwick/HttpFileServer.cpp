#include "vrxclientsdk/VRXClient/media/harnwick/HttpFileServer.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>
#include <vector>

#include "vrxclientsdk/VRXClient/media/harnwick/ByteRange.h"

namespace {

// Read and sent in blocks of this size.
constexpr size_t kChunkBytes = 64 * 1024;
// A receiver that pauses playback stops reading; the connection is given
// this long before it is dropped (the receiver resumes with a range request).
constexpr time_t kWriteTimeoutSeconds = 30;
constexpr time_t kReadTimeoutSeconds = 10;

// An open file shared by the response's content provider.
class OpenFile {
public:
    explicit OpenFile(int fd) : m_fd(fd) {}
    ~OpenFile() { ::close(m_fd); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int Fd() const { return m_fd; }

private:
    int m_fd;
};

const char* ContentType(const std::string& path) {
    static const struct {
        const char* extension;
        const char* type;
    } kTypes[] = {
        {"mp4", "video/mp4"},        {"m4v", "video/mp4"},      {"mov", "video/quicktime"},
        {"mkv", "video/x-matroska"}, {"webm", "video/webm"},    {"avi", "video/x-msvideo"},
        {"wmv", "video/x-ms-wmv"},   {"asf", "video/x-ms-asf"}, {"mpg", "video/mpeg"},
        {"mpeg", "video/mpeg"},      {"ts", "video/mp2t"},      {"flv", "video/x-flv"},
        {"mp3", "audio/mpeg"},       {"m4a", "audio/mp4"},      {"aac", "audio/aac"},
        {"wav", "audio/wav"},        {"wma", "audio/x-ms-wma"}, {"flac", "audio/flac"},
        {"ogg", "audio/ogg"},        {"jpg", "image/jpeg"},     {"jpeg", "image/jpeg"},
        {"png", "image/png"},
    };
    const size_t dot = path.rfind('.');
    if (dot != std::string::npos && path.find('/', dot) == std::string::npos) {
        std::string ext = path.substr(dot + 1);
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        for (const auto& t : kTypes) {
            if (ext == t.extension) {
                return t.type;
            }
        }
    }
    return "application/octet-stream";
}

}  // namespace

HttpFileServer::HttpFileServer(const FileTable& files) : m_files(files) {
    // SO_REUSEADDR only: the library's default adds SO_REUSEPORT, which would
    // let a bind "succeed" beside another program's listener on the port.
    m_server.set_socket_options([](socket_t sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    m_server.set_read_timeout(kReadTimeoutSeconds, 0);
    m_server.set_write_timeout(kWriteTimeoutSeconds, 0);
    m_server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        Answer(request, response);
    });
}

bool HttpFileServer::Bind(const std::string& address, uint16_t port) {
    return port != 0 && m_server.bind_to_port(address, port);
}

bool HttpFileServer::Serve() {
    return m_server.listen_after_bind();
}

void HttpFileServer::Stop() {
    m_server.stop();
}

void HttpFileServer::Answer(const httplib::Request& request, httplib::Response& response) const {
    // Ranges are resolved here (clamped, 416 when unsatisfiable); the
    // library's own handling would slice again and does not clamp. The
    // request object is the library's non-const local, so clearing its
    // parsed ranges is well-defined.
    const_cast<httplib::Request&>(request).ranges.clear();

    const std::optional<std::string> file = m_files.Find(request.path);
    if (!file) {
        response.status = 404;
        return;
    }
    const int fd = ::open(file->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        response.status = 404;
        return;
    }
    auto open = std::make_shared<OpenFile>(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        response.status = 404;
        return;
    }
    const auto size = static_cast<uint64_t>(st.st_size);
    const ByteRange range = ResolveByteRange(request.get_header_value("Range"), size);
    response.set_header("Accept-Ranges", "bytes");
    if (range.kind == ByteRange::Kind::kUnsatisfiable) {
        response.status = 416;
        response.set_header("Content-Range", "bytes */" + std::to_string(size));
        return;
    }
    if (range.kind == ByteRange::Kind::kPartial) {
        response.status = 206;
        response.set_header("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                                 std::to_string(range.first + range.length - 1) +
                                                 "/" + std::to_string(size));
    } else {
        response.status = 200;
    }
    const char* type = ContentType(*file);
    if (range.length == 0) {
        response.set_content("", type);  // an empty file: no provider, Content-Length 0
        return;
    }
    const uint64_t first = range.first;
    // One buffer per response, reused for every block.
    auto buffer = std::make_shared<std::vector<char>>(
        static_cast<size_t>(std::min<uint64_t>(range.length, kChunkBytes)));
    response.set_content_provider(
        static_cast<size_t>(range.length), type,
        [open, buffer, first](size_t offset, size_t length, httplib::DataSink& sink) {
            const ssize_t n = ::pread(open->Fd(), buffer->data(), std::min(length, buffer->size()),
                                      static_cast<off_t>(first + offset));
            if (n <= 0) {
                return false;  // file shrank or failed: end the connection
            }
            return sink.write(buffer->data(), static_cast<size_t>(n));
        });
}
