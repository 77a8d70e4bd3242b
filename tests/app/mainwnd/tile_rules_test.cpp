// The tile rules as tables: which tile widgets show, with which picture and
// tooltip, for the connection, the tile mode, the position list, the
// pointer and the moderated tile.
#include "app/mainwnd/tile_rules.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <set>

namespace pemuapp {
namespace {

constexpr platform::Point kOverTile1{100, 100};
constexpr platform::Point kOverTile3{100, 300};
constexpr platform::Point kOutside{10, 200};

PositionRecord Record(int state, std::string name = "ann", std::string lock = "") {
    PositionRecord r;
    r.displayName = name;
    r.address = htonl(0xC0A80100u + static_cast<uint32_t>(name.size()));
    r.state = state;
    r.lockText = std::move(lock);
    r.thumbnailUrl = "http://receiver/thumb/" + name + ".jpg";
    r.nameText = name;
    return r;
}

PositionList Records(int n) {
    PositionList list;
    for (int i = 0; i < n; ++i) {
        list.push_back(Record(kPositionIdle, "s" + std::to_string(i)));
    }
    return list;
}

TileInputs Inputs(const PositionList& list, bool connected = true, bool four = false) {
    TileInputs in;
    in.connected = connected;
    in.fourTiles = four;
    in.positions = &list;
    in.thumbnailFolder = "/thumbs";
    in.fileExists = [](const std::string&) { return true; };
    return in;
}

TEST(TileRulesTest, WithoutAConnectionEveryTileWidgetIsHiddenAndTheBackgroundFollowsTheMode) {
    const PositionList list = Records(4);
    for (bool four : {false, true}) {
        const TileChanges c = RefreshTiles(Inputs(list, false, four));
        ASSERT_NE(c.Find(kBackgroundId), nullptr);
        EXPECT_EQ(c.Find(kBackgroundId)->picture->id, four ? kBitmapFourTiles : kBitmapTwoTiles);
        EXPECT_EQ(c.Visible(kBackgroundId), true);
        for (int k = 0; k < kTileCount; ++k) {
            for (uint32_t id : {kTileImageFirst + k, kTileButtonFirst + k, kPlayFirst + 2 * k,
                                kPauseFirst + 2 * k, kSwapFirst + k, kNameFirst + k,
                                kSignalFirst + k, kHighlightFirst + k, kLockFirst + k}) {
                EXPECT_EQ(c.Visible(id), false) << id;
            }
        }
    }
}

TEST(TileRulesTest, TilesShowExactlyTheRecordsInBothModes) {
    for (bool four : {false, true}) {
        for (int n = 0; n <= 4; ++n) {
            const PositionList list = Records(n);
            const TileChanges c = RefreshTiles(Inputs(list, true, four));
            for (int k = 0; k < kTileCount; ++k) {
                const bool shown = k < n;
                SCOPED_TRACE(testing::Message() << "four " << four << " n " << n << " k " << k);
                EXPECT_EQ(c.Visible(kTileImageFirst + k), shown);
                EXPECT_EQ(c.Visible(kTileButtonFirst + k), shown);
                EXPECT_EQ(c.Visible(kNameFirst + k), shown);
                EXPECT_EQ(c.Visible(kSignalFirst + k), shown);
                // No hovered tile: the overlays are left alone.
                EXPECT_EQ(c.Find(kPlayFirst + 2 * k), nullptr);
                EXPECT_EQ(c.Find(kHighlightFirst + k), nullptr);
            }
        }
    }
}

TEST(TileRulesTest, HoverShowsTheOverlayOfTheStateOnlyInsideTheHitBox) {
    struct Case {
        int state;
        platform::Point pointer;
        bool four;
        std::optional<bool> play, pause, swap, lock;
    };
    const Case cases[] = {
        {kPositionIdle, kOverTile1, false, true, false, false, true},
        {kPositionProjecting, kOverTile1, false, false, true, false, true},
        {kPositionModerated, kOverTile1, false, false, false, true, true},
        {kPositionIdle, kOutside, false, {}, {}, {}, {}},
        {kPositionProjecting, kOutside, false, {}, {}, {}, {}},
        {kPositionModerated, kOutside, false, {}, {}, {}, {}},
        // The lower row counts only with four tiles.
        {kPositionProjecting, kOverTile3, false, {}, {}, {}, {}},
        {kPositionProjecting, kOverTile3, true, false, true, false, true},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(testing::Message() << "state " << t.state << " at " << t.pointer.x << ","
                                        << t.pointer.y << " four " << t.four);
        PositionList list = {Record(t.state)};
        TileInputs in = Inputs(list, true, t.four);
        in.hoverId = kTileButtonFirst;
        in.pointer = t.pointer;
        const TileChanges c = RefreshTiles(in);
        EXPECT_EQ(c.Visible(kPlayFirst), t.play);
        EXPECT_EQ(c.Visible(kPauseFirst), t.pause);
        EXPECT_EQ(c.Visible(kSwapFirst), t.swap);
        EXPECT_EQ(c.Visible(kLockFirst), t.lock);
        if (t.pause == true) {
            EXPECT_EQ(c.Find(kPauseFirst)->picture->id, kPngPause);
        }
    }
}

TEST(TileRulesTest, TheHitBoxEdges) {
    struct Case {
        platform::Point p;
        bool four;
        bool over;
    };
    const Case cases[] = {
        {{29, 55}, false, true},    {{28, 55}, false, false},   {{238, 164}, false, true},
        {{239, 100}, false, false}, {{285, 100}, false, true},  {{489, 100}, false, true},
        {{490, 100}, false, false}, {{100, 165}, false, false}, {{100, 240}, false, false},
        {{100, 240}, true, true},   {{100, 355}, true, true},   {{100, 356}, true, false}};
    for (const Case& t : cases) {
        EXPECT_EQ(PointerOverTiles(t.p, t.four), t.over) << t.p.x << "," << t.p.y;
    }
}

TEST(TileRulesTest, TheHighlightFollowsTheModeratedTileWhereverThePointerIs) {
    const PositionList list = Records(4);
    for (int moderated = -1; moderated < 4; ++moderated) {
        for (int hover = 0; hover < 4; ++hover) {
            TileInputs in = Inputs(list, true, true);
            in.hoverId = kTileButtonFirst + hover;
            in.pointer = kOutside;
            in.moderatedTile = moderated;
            const TileChanges c = RefreshTiles(in);
            EXPECT_EQ(c.Visible(kHighlightFirst + hover), hover == moderated);
            for (int other = 0; other < 4; ++other) {
                if (other != hover) {
                    EXPECT_EQ(c.Find(kHighlightFirst + other), nullptr);
                }
            }
        }
    }
}

TEST(TileRulesTest, ThumbnailPictures) {
    struct Case {
        std::string url;
        std::string name;
        bool fileThere;
        std::optional<TilePicture> picture;
    };
    const TilePicture empty{TilePicture::Kind::kBitmap, kBitmapEmptyTile, {}};
    const Case cases[] = {
        {"http://r/a.jpg", "ann", true,
         TilePicture{TilePicture::Kind::kFile, 0, "/thumbs/ann.bmp"}},
        // Not yet on disk: the tile keeps what it shows.
        {"http://r/a.jpg", "ann", false, std::nullopt},
        {"http://r/a.png", "ann", true, empty},
        {"", "ann", true, empty},
        // The receiver's name text never leaves the folder.
        {"http://r/a.jpg", "../../etc/passwd", true,
         TilePicture{TilePicture::Kind::kFile, 0, "/thumbs/.._.._etc_passwd.bmp"}},
        {"http://r/a.jpg", "..", true, std::nullopt},
    };
    for (const Case& t : cases) {
        PositionRecord r = Record(kPositionIdle);
        r.thumbnailUrl = t.url;
        r.nameText = t.name;
        PositionList list = {r};
        TileInputs in = Inputs(list);
        std::set<std::string> asked;
        in.fileExists = [&](const std::string& path) {
            asked.insert(path);
            return t.fileThere;
        };
        const TileChanges c = RefreshTiles(in);
        EXPECT_EQ(c.Find(kTileImageFirst)->picture, t.picture) << t.url << " " << t.name;
        EXPECT_EQ(c.Find(kTileButtonFirst)->picture, t.picture) << t.url << " " << t.name;
        for (const std::string& path : asked) {
            EXPECT_EQ(path.rfind("/thumbs/", 0), 0u) << path;
            EXPECT_EQ(path.find('/', 8), std::string::npos) << path;
        }
    }
}

TEST(TileRulesTest, SignalLevelsGiveTheirPictureAndTooltip) {
    struct Case {
        int level;
        uint32_t png;
        uint32_t tip;
    };
    const Case cases[] = {{1, kPngSignalLow, kTipSignalLow},
                          {2, kPngSignalModerate, kTipSignalModerate},
                          {3, kPngSignalExcellent, kTipSignalExcellent},
                          {0, kPngSignalExcellent, kTipSignalExcellent},
                          {-7, kPngSignalExcellent, kTipSignalExcellent}};
    for (const Case& t : cases) {
        PositionRecord r = Record(kPositionIdle);
        r.signalLevel = t.level;
        PositionList list = {r};
        const TileChanges c = RefreshTiles(Inputs(list));
        const TileChange* s = c.Find(kSignalFirst);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->picture->kind, TilePicture::Kind::kPng);
        EXPECT_EQ(s->picture->id, t.png) << t.level;
        EXPECT_EQ(s->tooltip, t.tip) << t.level;
    }
}

TEST(TileRulesTest, AnEmptyNameShowsTheDottedAddress) {
    PositionRecord r;
    r.address = htonl(0xC0A8010Au);
    EXPECT_EQ(TileNameText(r), "192.168.1.10");
    r.displayName = "Room 4";
    EXPECT_EQ(TileNameText(r), "Room 4");
}

TEST(TileRulesTest, UpdateTileButtonsByHoverCode) {
    PositionList list = {Record(kPositionIdle, "a"), Record(kPositionProjecting, "b", "1234"),
                         Record(kPositionModerated, "c")};
    // Highlights follow the states, for every code; missing positions stay hidden.
    for (uint32_t code : {kPointerEntered, kPointerLeft, 0u}) {
        const TileChanges c = UpdateTileButtons(kTileButtonFirst, code, list);
        EXPECT_EQ(c.Visible(kHighlightFirst + 0), false);
        EXPECT_EQ(c.Visible(kHighlightFirst + 1), true);
        EXPECT_EQ(c.Visible(kHighlightFirst + 2), true);
        EXPECT_EQ(c.Visible(kHighlightFirst + 3), false);
        // The fourth position has no record: its buttons keep their state.
        EXPECT_EQ(c.Find(kPlayFirst + 6), nullptr);
        EXPECT_EQ(c.Find(kSwapFirst + 3), nullptr);
    }
    struct Case {
        int tile;
        std::optional<bool> play, pause, swap;
        uint32_t lockPng;
    };
    const Case entered[] = {{0, true, false, false, kPngLockOpen},
                            {1, false, true, false, kPngLockClosed},
                            {2, false, false, true, kPngLockOpen}};
    for (const Case& t : entered) {
        const TileChanges c = UpdateTileButtons(kTileButtonFirst + t.tile, kPointerEntered, list);
        EXPECT_EQ(c.Visible(kPlayFirst + 2 * t.tile), t.play) << t.tile;
        EXPECT_EQ(c.Visible(kPauseFirst + 2 * t.tile), t.pause) << t.tile;
        EXPECT_EQ(c.Visible(kSwapFirst + t.tile), t.swap) << t.tile;
        EXPECT_EQ(c.Visible(kLockFirst + t.tile), true);
        EXPECT_EQ(c.Find(kLockFirst + t.tile)->picture->id, t.lockPng);
        for (int j = 0; j < 3; ++j) {
            if (j != t.tile) {
                EXPECT_EQ(c.Visible(kPlayFirst + 2 * j), false);
                EXPECT_EQ(c.Visible(kPauseFirst + 2 * j), false);
                EXPECT_EQ(c.Visible(kSwapFirst + j), false);
            }
        }
    }
    // Leaving hides the buttons; a locked position keeps its padlock.
    TileChanges left = UpdateTileButtons(kTileButtonFirst + 1, kPointerLeft, list);
    EXPECT_EQ(left.Visible(kPlayFirst + 2), false);
    EXPECT_EQ(left.Visible(kPauseFirst + 2), false);
    EXPECT_EQ(left.Visible(kLockFirst + 1), true);
    left = UpdateTileButtons(kTileButtonFirst, kPointerLeft, list);
    EXPECT_EQ(left.Visible(kLockFirst), false);
    // Other codes leave play and pause as they are.
    const TileChanges other = UpdateTileButtons(kTileButtonFirst, 0, list);
    EXPECT_EQ(other.Find(kPlayFirst), nullptr);
    EXPECT_EQ(other.Visible(kSwapFirst + 2), false);
}

TEST(TileRulesTest, OwnRecordsAreMarkedProjecting) {
    PositionList list = {Record(kPositionIdle, "a"), Record(kPositionIdle, "bb"),
                         Record(kPositionModerated, "ccc")};
    EXPECT_EQ(MarkOwnRecords(list, {list[1].address, 12345u}), 1);
    EXPECT_EQ(list[0].state, kPositionIdle);
    EXPECT_EQ(list[1].state, kPositionProjecting);
    EXPECT_EQ(list[2].state, kPositionModerated);
    EXPECT_EQ(MarkOwnRecords(list, {}), -1);
}

TEST(TileRulesTest, TileTextArithmetic) {
    struct Case {
        int tileLeft, width, nameLeft, iconLeft;
    };
    // Name centred in 192 pixels from tile left + 20; the 12-pixel icon
    // (204 - name - 12) / 2 from its layout left.
    const Case cases[] = {{36, 100, 102, 82},
                          {277, 100, 343, 323},
                          {36, 0, 152, 132},
                          {36, 192, 56, 36},
                          {277, 51, 367, 347}};
    for (const Case& t : cases) {
        EXPECT_EQ(TileNameLeft(t.tileLeft, t.width), t.nameLeft);
        EXPECT_EQ(SignalIconLeft(t.tileLeft, t.width, 12), t.iconLeft);
    }
}

}  // namespace
}  // namespace pemuapp
