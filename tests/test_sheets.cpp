// The sheet layouts: every frame the game draws has a place of its own on its sheet, and the
// pieces that must meet use the frames meant for them.
#include "game/view/sheets.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

// Each frame once, and inside a sheet of `rows` rows.
void expect_distinct_and_inside(const std::vector<int>& frames, int rows) {
    std::set<int> seen;
    for (int f : frames) {
        EXPECT_TRUE(seen.insert(f).second) << "frame " << f << " is used twice";
        EXPECT_GE(f, 0);
        EXPECT_LT(f, rows * Sheet::kColumns) << "frame " << f;
    }
}

TEST(Sheets, FramesLieInColumnModuloAndRowDivision) {
    EXPECT_EQ(Sheet::column(0), 0);
    EXPECT_EQ(Sheet::row(7), 0);
    EXPECT_EQ(Sheet::column(13), 5);
    EXPECT_EQ(Sheet::row(13), 1);
    EXPECT_EQ(Sheet::column(123), 3);
    EXPECT_EQ(Sheet::row(123), 15);
}

TEST(Sheets, EveryTileLookAndFoodHasItsOwnFrame) {
    std::vector<int> frames;
    for (int kind = 0; kind < TileSheet::kKinds; ++kind)
        for (int variant = 0; variant < TileSheet::kVariants; ++variant) {
            const int f = TileSheet::tile_frame(kind, variant);
            EXPECT_EQ(Sheet::column(f), kind);
            EXPECT_EQ(Sheet::row(f), variant);
            frames.push_back(f);
        }
    for (int food = 0; food < TileSheet::kFoodKinds; ++food) {
        EXPECT_EQ(Sheet::row(TileSheet::food_frame(food)), food);
        frames.push_back(TileSheet::food_frame(food));
    }
    expect_distinct_and_inside(frames, TileSheet::kRows);
    EXPECT_EQ(TileSheet::food_frame(3), 29);  // the frames the game has always drawn
    EXPECT_EQ(TileSheet::tile_frame(4, 5), 44);
}

TEST(Sheets, WormPiecesHaveTheirOwnFramesAndOtherPairsABall) {
    std::vector<int> frames{WormSheet::kNoPiece, WormSheet::kNoPieceBody};
    int pieces = 0;
    for (int front = 0; front < 6; ++front)
        for (int back = 0; back < 6; ++back) {
            SCOPED_TRACE(::testing::Message() << "front " << front << " back " << back);
            // Straight pieces and 120-degree bends: back is 2 or 3 sixths of a turn from front.
            const int turn = (back - front + 6) % 6;
            const bool shown = turn >= 2 && turn <= 4;
            const int head = WormSheet::head_frame(front, back);
            EXPECT_EQ(head != WormSheet::kNoPiece, shown);
            if (!shown) {
                EXPECT_EQ(WormSheet::body_frame(front, back), WormSheet::kNoPieceBody);
                EXPECT_EQ(WormSheet::tail_frame(front, back), WormSheet::kNoPieceBody);
                continue;
            }
            ++pieces;
            frames.push_back(head);
            frames.push_back(WormSheet::body_frame(front, back));
            frames.push_back(WormSheet::tail_frame(front, back));
        }
    EXPECT_EQ(pieces, 18);
    expect_distinct_and_inside(frames, WormSheet::kRows);
    for (int outside : {-1, 6, 99})
        EXPECT_EQ(WormSheet::head_frame(outside, 2), WormSheet::kNoPiece) << outside;
}

TEST(Sheets, CentipedePiecesAndLegsHaveTheirOwnFrames) {
    using Pede = PedeSheet;
    std::vector<int> frames;
    for (int leg = 0; leg < 2 * Pede::kWalkFrames; ++leg)
        for (int walk = 0; walk < Pede::kWalkFrames; ++walk)
            if (leg == 0 || leg == Pede::kWalkFrames) frames.push_back(Pede::leg_frame(leg, walk));
    for (const Pede::Pieces& p : {Pede::kHead, Pede::kBody})
        for (int f : {p.middle, p.upper, p.lower}) frames.push_back(f);
    // The tail's middle is a body piece; its flanks and tip are its own.
    EXPECT_EQ(Pede::kTail.middle, Pede::kBody.middle);
    for (int f : {Pede::kTail.upper, Pede::kTail.lower, Pede::kTailTip}) frames.push_back(f);
    expect_distinct_and_inside(frames, Pede::kRows);
}

// A leg drawn above the body must show an upper leg, one below it a lower leg, along the whole
// length of the longest centipede and beyond.
TEST(Sheets, CentipedeLegsAboveTheBodyAreUpperLegs) {
    using Pede = PedeSheet;
    const auto check = [](const auto& legs) {
        for (const Pede::Leg& leg : legs) {
            SCOPED_TRACE(::testing::Message() << "leg " << leg.k << " at " << leg.dy);
            EXPECT_GE(leg.k, 0);
            EXPECT_LT(leg.k, 2 * Pede::kWalkFrames);
            EXPECT_EQ(leg.dy < 0, leg.k < Pede::kWalkFrames);
            for (int walk = 0; walk < Pede::kWalkFrames; ++walk)
                EXPECT_EQ(Pede::leg_frame(leg.k, walk) < Pede::kWalkFrames, leg.dy < 0);
        }
    };
    check(Pede::kHeadLegs);
    check(Pede::kTailLegs);
    for (int i = 1; i <= 40; ++i) {
        SCOPED_TRACE(i);
        check(Pede::body_legs(i));
    }
}

}  // namespace
