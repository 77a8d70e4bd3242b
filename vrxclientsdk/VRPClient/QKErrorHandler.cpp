#include "vrxclientsdk/VRPClient/QKErrorHandler.h"

#include "platform/syserror.h"
#include "vrxclientsdk/VRPClient/ErrorCodeTable.h"

namespace {

// Longest message that a table format can expand to, as in the product.
constexpr size_t kMaxMessageLength = 1024;

// Fills the first and second "%s" of `format` with the two arguments. Other
// characters, '%' included, are copied as they stand.
std::string FillFormat(const char* format, const std::string& a1, const std::string& a2) {
    std::string out;
    int next = 0;
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            out += next == 0 ? a1 : next == 1 ? a2 : std::string();
            ++next;
            ++p;
        } else {
            out += *p;
        }
    }
    if (out.size() > kMaxMessageLength - 1) {
        out.resize(kMaxMessageLength - 1);
    }
    return out;
}

}  // namespace

QKErrorHandler::QKErrorHandler() : m_pLogger(&m_OwnLogger) {}

QKErrorHandler::~QKErrorHandler() = default;

int QKErrorHandler::SetError(int code, const char* sourcePath, int sourceLine, std::string arg1,
                             std::string arg2) {
    boost::recursive_mutex::scoped_lock guard(m_ErrorLock);
    m_Current.code = code;
    m_Current.arg1 = std::move(arg1);
    m_Current.arg2 = std::move(arg2);
    m_Current.line = sourceLine;
    LogError(sourcePath);
    return code;
}

void QKErrorHandler::LogError(const char* sourcePath) {
    boost::recursive_mutex::scoped_lock guard(m_ErrorLock);
    if (m_Current.code >= 0) {
        return;
    }
    m_Current.file = Logger::BaseName(sourcePath);
    std::string message = GetErrorMessage();
    if (Logger* logger = m_pLogger.load(std::memory_order_acquire)) {
        logger->Print(LOG_ERROR, "ErrorCode=%d -> %s", m_Current.code, message.c_str());
    }
}

std::string QKErrorHandler::GetErrorLocation() {
    boost::recursive_mutex::scoped_lock guard(m_ErrorLock);
    m_Current.lineText = std::to_string(m_Current.line);
    return m_Current.file + ":" + m_Current.lineText;
}

std::string QKErrorHandler::BuildMessageLocked() {
    std::string text;
    if (m_Current.code >= 0) {
        text = "OK";
    } else if (const char* format = FindErrorFormat(m_Current.code)) {
        text = FillFormat(format, m_Current.arg1, m_Current.arg2);
    } else {
        text = platform::SystemErrorText(-m_Current.code) + m_Current.arg1;
    }
    return text + " [" + GetErrorLocation() + "]";
}

std::string QKErrorHandler::GetErrorMessage() {
    boost::recursive_mutex::scoped_lock guard(m_ErrorLock);
    m_Current.message = BuildMessageLocked();
    return m_Current.message;
}

int QKErrorHandler::GetErrorCode() {
    boost::recursive_mutex::scoped_lock guard(m_ErrorLock);
    return m_Current.code;
}

void QKErrorHandler::SaveError() {
    boost::recursive_mutex::scoped_lock guard(m_ErrorLock);
    m_Saved = m_Current;
}

void QKErrorHandler::RestoreError() {
    boost::recursive_mutex::scoped_lock guard(m_ErrorLock);
    m_Current = m_Saved;
}

void QKErrorHandler::CopyError(QKErrorHandler& other) {
    if (&other == this) {
        return;
    }
    ErrorState copy;
    {
        boost::recursive_mutex::scoped_lock theirs(other.m_ErrorLock);
        copy = other.m_Current;
    }
    boost::recursive_mutex::scoped_lock guard(m_ErrorLock);
    m_Current = std::move(copy);
}

void QKErrorHandler::SetLogger(Logger* logger) {
    m_pLogger.store(logger ? logger : &m_OwnLogger, std::memory_order_release);
}

Logger* QKErrorHandler::GetLogger() {
    return m_pLogger.load(std::memory_order_acquire);
}
