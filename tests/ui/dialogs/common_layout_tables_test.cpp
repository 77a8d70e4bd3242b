// The common dialog's layout tables against a fixture of their rows kept
// apart from the code (common_layout_rows.tsv: type, id, name, class, x, y,
// w, h, resource type or "-", resource id, frames, caption or "-", tooltip,
// shown; one row per record, end records left out).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ui/dialogs/common_layout_tables.h"

namespace ui {
namespace {

struct Row {
    int type = 0;
    std::vector<std::string> f;
};

std::vector<Row> ReadFixture() {
    std::ifstream in(PEMU_LAYOUT_ROWS);
    std::vector<Row> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) {
            continue;
        }
        Row r;
        std::stringstream s(line);
        std::string field;
        while (std::getline(s, field, '\t')) {
            r.f.push_back(field);
        }
        r.type = std::stoi(r.f.at(0));
        rows.push_back(r);
    }
    return rows;
}

std::string Dash(const std::string& s) {
    return s.empty() ? "-" : s;
}

TEST(CommonLayoutTables, EveryRecordEqualsTheFixture) {
    const std::vector<Row> rows = ReadFixture();
    ASSERT_EQ(rows.size(), 276u);
    std::map<int, size_t> next;
    for (const Row& r : rows) {
        ASSERT_EQ(r.f.size(), 14u);
        std::span<const LayoutElement> table = LayoutTableOf(r.type);
        size_t& i = next[r.type];
        ASSERT_LT(i, table.size()) << "type " << r.type;
        const LayoutElement& e = table[i++];
        SCOPED_TRACE("type " + r.f[0] + " id " + r.f[1]);
        EXPECT_EQ(std::to_string(e.id), r.f[1]);
        EXPECT_EQ(e.Name(), r.f[2]);
        EXPECT_EQ(e.ClassName(), r.f[3]);
        EXPECT_EQ(std::to_string(e.x), r.f[4]);
        EXPECT_EQ(std::to_string(e.y), r.f[5]);
        EXPECT_EQ(std::to_string(e.w), r.f[6]);
        EXPECT_EQ(std::to_string(e.h), r.f[7]);
        EXPECT_EQ(Dash(e.ResourceType()), r.f[8]);
        EXPECT_EQ(std::to_string(e.resourceId), r.f[9]);
        EXPECT_EQ(std::to_string(e.frames), r.f[10]);
        EXPECT_EQ(Dash(e.Text()), r.f[11]);
        EXPECT_EQ(std::to_string(e.tooltip), r.f[12]);
        EXPECT_EQ(std::to_string(e.shown), r.f[13]);
    }
    for (const auto& [type, count] : next) {
        EXPECT_EQ(LayoutTableOf(type).size(), count) << "type " << type;
    }
}

TEST(CommonLayoutTables, CountsSharedTablesAndTypesWithoutOne) {
    // Records per type, end record included.
    const std::map<int, size_t> counts = {
        {1, 9},  {2, 9},  {3, 1},   {4, 13},  {5, 7},   {6, 7},   {7, 16},  {8, 7},   {9, 7},
        {10, 6}, {11, 1}, {12, 6},  {13, 10}, {14, 12}, {15, 8},  {16, 4},  {17, 2},  {18, 12},
        {19, 9}, {20, 6}, {21, 19}, {25, 7},  {26, 4},  {27, 17}, {28, 13}, {29, 46}, {30, 7},
        {31, 6}, {32, 6}, {33, 16}, {34, 4},  {35, 10}, {37, 2},  {38, 9},  {39, 12}};
    std::vector<LayoutElement> out;
    for (const auto& [type, count] : counts) {
        EXPECT_TRUE(GetLayoutTable(type, out)) << type;
        EXPECT_EQ(out.size() + 1, count) << "type " << type;
    }
    for (auto [shared, own] : {std::pair{9, 8}, {12, 10}, {20, 10}, {34, 26}}) {
        EXPECT_EQ(LayoutTableOf(shared).data(), LayoutTableOf(own).data()) << shared;
    }
    for (int none : {0, 36, 40, -1, 22}) {
        out.assign(3, LayoutElement{});
        EXPECT_FALSE(GetLayoutTable(none, out)) << none;
        EXPECT_TRUE(out.empty());
    }
}

TEST(CommonLayoutTables, PmpTileLoadsABitmapAndRepeatedNamesKeepTheirIds) {
    std::span<const LayoutElement> t27 = LayoutTableOf(27);
    const LayoutElement* pmp = nullptr;
    for (const LayoutElement& e : t27) {
        if (e.id == 30175) {
            pmp = &e;
        }
    }
    ASSERT_NE(pmp, nullptr);
    EXPECT_EQ(pmp->ResourceType(), "PMP");
    EXPECT_FALSE(pmp->LoadsPng());
    EXPECT_EQ(pmp->resourceId, 5203u);
    int sixes = 0;
    for (const LayoutElement& e : LayoutTableOf(39)) {
        sixes += e.Name() == "LANGUAGE_6_BUTTON";
    }
    EXPECT_EQ(sixes, 5);
}

}  // namespace
}  // namespace ui
