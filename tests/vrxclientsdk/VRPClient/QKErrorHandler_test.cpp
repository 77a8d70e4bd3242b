#include "vrxclientsdk/VRPClient/QKErrorHandler.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "tests/support/TempDir.h"
#include "vrxclientsdk/VRPClient/ErrorCodeTable.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

// Exposes the error-setting pattern the library classes use.
class Subject : public QKErrorHandler {
public:
    int Fail(int code, const char* path, int line, std::string a1 = {}, std::string a2 = {}) {
        return SetError(code, path, line, std::move(a1), std::move(a2));
    }
};

TEST(QKErrorHandlerTest, FreshObjectReportsOkWithEmptyLocation) {
    Subject s;
    EXPECT_EQ(s.GetErrorCode(), 0);
    EXPECT_EQ(s.GetErrorMessage(), "OK [:0]");
    EXPECT_EQ(s.GetErrorLocation(), ":0");
}

TEST(QKErrorHandlerTest, MessagesForEachKindOfCode) {
    const std::string longArg(2000, 'x');
    struct Case {
        int code;
        const char* path;
        std::string a1, a2;
        std::string expected;
    } cases[] = {
        {qkerr::kNoConnection, "C:\\src\\VRPClient\\ProtocolBase.cpp", "10.0.0.7", "3268 389 ",
         "No TCP connection could be built to IP:10.0.0.7 Port:3268 389  [ProtocolBase.cpp:41]"},
        {qkerr::kGracefullyClosed, "/src/ProtocolBase.cpp", "", "",
         "The connection has been gracefully closed. [ProtocolBase.cpp:41]"},
        {qkerr::kEmptyPortList, "NoSeparators.cpp", "", "",
         "It's invliad to specify empty port number vector (vecPort) to OpenConnect(). "
         "[NoSeparators.cpp:41]"},
        {qkerr::kCreateLogFile, "x.cpp", "a.log", "",
         "Failed to create log file \"a.log\" [x.cpp:41]"},
        {qkerr::kBusy, "x.cpp", "ignored", "ignored",
         "System is busy now. Please retry later! [x.cpp:41]"},
        // A '%' in an argument is text, never a directive.
        {qkerr::kCreateObject, "x.cpp", "%s%n%d", "", "Failed to create object: %s%n%d [x.cpp:41]"},
        {-ECONNREFUSED, "x.cpp", " while connecting", "",
         "Connection refused while connecting [x.cpp:41]"},
        // No system text for this number: the message starts with the first argument.
        {-987654, "x.cpp", "detail", "", "detail [x.cpp:41]"},
        // Table formats are cut to 1023 characters before the location is added.
        {qkerr::kCreateObject, "x.cpp", longArg, "",
         ("Failed to create object: " + longArg).substr(0, 1023) + " [x.cpp:41]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        Subject s;
        EXPECT_EQ(s.Fail(c.code, c.path, 41, c.a1, c.a2), c.code);
        EXPECT_EQ(s.GetErrorCode(), c.code);
        EXPECT_EQ(s.GetErrorMessage(), c.expected);
    }
}

TEST(QKErrorHandlerTest, TableTextsAreUniqueAndNegative) {
    for (size_t i = 0; i < ErrorCodeTableSize; ++i) {
        SCOPED_TRACE(ErrorCodeTable[i].code);
        EXPECT_LT(ErrorCodeTable[i].code, 0);
        EXPECT_EQ(FindErrorFormat(ErrorCodeTable[i].code), ErrorCodeTable[i].format);
    }
    EXPECT_EQ(FindErrorFormat(-1), nullptr);
}

TEST(QKErrorHandlerTest, ErrorsAreLoggedWithoutSourceSuffixAndClearingLogsNothing) {
    testsupport::TempDir dir;
    Subject s;
    ASSERT_EQ(s.GetLogger()->Open(dir.File("e.log").c_str(), LOG_DEBUG, false), 0);
    s.Fail(qkerr::kGracefullyClosed, "dir\\Core.cpp", 7);
    s.Fail(0, "Other.cpp", 9);  // success: no line, previous file kept
    EXPECT_EQ(s.GetErrorLocation(), "Core.cpp:9");
    std::string log = testsupport::ReadFile(dir.File("e.log"));
    EXPECT_NE(log.find("ERROR | ErrorCode=-6528002 -> The connection has been gracefully closed. "
                       "[Core.cpp:7]\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
}

TEST(QKErrorHandlerTest, SaveRestoreAndCopy) {
    Subject a;
    a.Fail(qkerr::kNoConnection, "a.cpp", 1, "1.2.3.4", "515 ");
    const std::string first = a.GetErrorMessage();
    a.SaveError();
    a.Fail(qkerr::kHandshakeFailed, "b.cpp", 2);
    EXPECT_EQ(a.GetErrorCode(), qkerr::kHandshakeFailed);
    a.RestoreError();
    EXPECT_EQ(a.GetErrorCode(), qkerr::kNoConnection);
    EXPECT_EQ(a.GetErrorMessage(), first);

    Subject b;
    b.CopyError(a);
    EXPECT_EQ(b.GetErrorCode(), qkerr::kNoConnection);
    EXPECT_EQ(b.GetErrorMessage(), first);

    Subject clean;
    b.CopyError(clean);
    EXPECT_EQ(b.GetErrorCode(), 0);
    EXPECT_EQ(b.GetErrorMessage(), "OK [:0]");
}

TEST(QKErrorHandlerTest, SetLoggerRedirectsAndNullRestoresOwn) {
    Logger other;
    Subject s;
    Logger* own = s.GetLogger();
    s.SetLogger(&other);
    EXPECT_EQ(s.GetLogger(), &other);
    s.SetLogger(nullptr);
    EXPECT_EQ(s.GetLogger(), own);
}

}  // namespace
