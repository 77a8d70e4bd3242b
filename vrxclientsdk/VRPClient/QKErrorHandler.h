// Last-error holder and message builder shared by every library class.
//
// An object keeps its last failure as a negative code with up to two message
// arguments and the source location that set it, turns codes into text and
// writes each error to its active logger. Operations never throw; they
// return the code. Any thread may set an error.
#pragma once

#include <atomic>
#include <boost/thread/recursive_mutex.hpp>
#include <string>

#include "vrxclientsdk/VRPClient/Logger.h"

class QKErrorHandler {
public:
    QKErrorHandler();
    virtual ~QKErrorHandler();
    QKErrorHandler(const QKErrorHandler&) = delete;
    QKErrorHandler& operator=(const QKErrorHandler&) = delete;

    // The message of the current error: "OK [file:line]" for a code that is
    // not negative, the table's format filled with the two arguments (cut to
    // 1024 characters), or the system's text for minus an errno followed by
    // the first argument; each with " [location]" appended. Returned by value.
    virtual std::string GetErrorMessage();
    virtual int GetErrorCode();
    // Copies the current error (code, texts, line, file) aside / back.
    virtual void SaveError();
    virtual void RestoreError();
    // Takes another object's current error as this object's own.
    virtual void CopyError(QKErrorHandler& other);
    // "file:line" of the source that set the current error.
    virtual std::string GetErrorLocation();
    // The logger that error reports and the object's log lines go to. The
    // caller keeps ownership of `logger`; it must outlive its use here.
    virtual void SetLogger(Logger* logger);
    virtual Logger* GetLogger();

    // Completes an error just set: stores the base name of `sourcePath` and
    // logs "ErrorCode=%d -> %s" at ERROR without a source suffix. Does
    // nothing for a code that is not negative.
    void LogError(const char* sourcePath);

    // Sets the current error and logs it; returns `code`. Use QK_ERROR below.
    int SetError(int code, const char* sourcePath, int sourceLine, std::string arg1 = {},
                 std::string arg2 = {});

protected:
    // The object's own logger, created unopened.
    Logger m_OwnLogger;

private:
    struct ErrorState {
        int code = 0;
        std::string message;
        std::string arg1;
        std::string arg2;
        int line = 0;
        std::string file;
        std::string lineText;
    };
    std::string BuildMessageLocked();

    mutable boost::recursive_mutex m_ErrorLock;
    ErrorState m_Current;
    ErrorState m_Saved;
    std::atomic<Logger*> m_pLogger;
};

// Sets an error on `this` with the caller's file and line and evaluates to the code.
#define QK_ERROR(code, ...) this->SetError((code), __FILE__, __LINE__, ##__VA_ARGS__)
// Clears the error at the end of a successful operation.
#define QK_CLEAR_ERROR() this->SetError(0, __FILE__, __LINE__)
// Logs through the object's active logger.
#define QK_LOGF(level, ...) QK_LOG(this->GetLogger(), (level), __VA_ARGS__)
