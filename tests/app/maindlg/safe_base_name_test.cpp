#include "app/maindlg/safe_base_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SafeBaseNameTest, NamesFromTheNetworkStayInsideTheirFolder) {
    struct Row {
        std::string in;
        std::string out;
    };
    const Row rows[] = {
        {"Room-1_a.b", "Room-1_a.b"},
        {"../x", ".._x"},
        {"/etc/passwd", "_etc_passwd"},
        {"a/b", "a_b"},
        {"..", ""},
        {".", ""},
        {"", ""},
        {std::string("a\0b\n\x7f", 5), "a_b__"},
        {"\xc3\xa9t\xc3\xa9", "__t__"},
        {std::string(300, 'n'), std::string(64, 'n')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.in);
        EXPECT_EQ(pemuapp::SafeBaseName(row.in), row.out);
    }
}

}  // namespace
