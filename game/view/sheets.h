// The layouts of the sprite sheets: which frame of which picture shows what, and where the game
// draws the pieces that must meet. The game draws by these numbers and the content generator
// (tools/content) paints by them, so each is written here once. Plain data: no SDL.
#pragma once

#include <array>

// Every sheet: frames of kFrameSize by kFrameSize pixels, kColumns to a row, frame n in column
// n mod kColumns of row n / kColumns.
struct Sheet {
    static constexpr int kColumns = 8;
    static constexpr int kFrameSize = 32;

    static constexpr int column(int frame) { return frame % kColumns; }
    static constexpr int row(int frame) { return frame / kColumns; }
};

// The map's tiles: one column per tile kind (the kind's Terrain::TileType value), one row per
// look of a kind; the food in column kFoodColumn, one row per food kind.
struct TileSheet : Sheet {
    static constexpr const char* kImage = "tiles.png";
    static constexpr int kKinds = 5;
    static constexpr int kVariants = 6;
    static constexpr int kFoodColumn = kKinds;
    static constexpr int kFoodKinds = 4;  // kind 0, the commonest, to the rarest
    static constexpr int kRows = kVariants > kFoodKinds ? kVariants : kFoodKinds;

    static constexpr int tile_frame(int kind, int variant) { return kind + kColumns * variant; }
    static constexpr int food_frame(int food) { return kFoodColumn + kColumns * food; }
};

// The worm: a head, a body and a tail piece for each pair of directions (towards the segment
// nearer the head, towards the one nearer the tail) that is straight or a 120-degree bend, and
// a plain ball for the pairs a worm never shows.
struct WormSheet : Sheet {
    static constexpr const char* kImage = "worm.png";
    static constexpr int kNoPiece = 99;  // the head ball, for pairs without a piece
    static constexpr int kBodyOffset = 24;
    static constexpr int kTailOffset = 48;    // the last segment narrows to a tip
    static constexpr int kNoPieceBody = 123;  // not kNoPiece + kBodyOffset: the ball has its own
    static constexpr int kRows = kNoPieceBody / kColumns + 1;

    // Head frame by [front][back], directions numbered clockwise from the upper left (NW, NE,
    // E, SE, SW, W): row 1 holds the straight pieces, rows 0 and 2 the bends, column = front.
    static constexpr std::array<std::array<int, 6>, 6> kHeadFrames{{
        {99, 99, 0, 8, 16, 99},
        {99, 99, 99, 17, 9, 1},
        {2, 99, 99, 99, 18, 10},
        {11, 19, 99, 99, 99, 3},
        {20, 12, 4, 99, 99, 99},
        {99, 5, 13, 21, 99, 99},
    }};

    // kNoPiece for directions outside 0 to 5.
    static constexpr int head_frame(int front, int back) {
        if (front < 0 || front > 5 || back < 0 || back > 5) return kNoPiece;
        return kHeadFrames[front][back];
    }
    static constexpr int body_frame(int front, int back) {
        const int head = head_frame(front, back);
        return head == kNoPiece ? kNoPieceBody : head + kBodyOffset;
    }
    static constexpr int tail_frame(int front, int back) {
        const int head = head_frame(front, back);
        return head == kNoPiece ? kNoPieceBody : head + kTailOffset;
    }
};

// The centipede, drawn facing west (the sheet's pictures are mirrored for one facing east): a
// middle piece in each cell of its row and an upper and a lower piece over the flank cells,
// half a cell towards the tail and one row up or down, with legs under them.
struct PedeSheet : Sheet {
    static constexpr const char* kImage = "pedes.png";
    static constexpr int kRows = 6;

    struct Pieces {
        int middle, upper, lower;
    };
    static constexpr Pieces kHead{32, 25, 41};
    static constexpr Pieces kBody{33, 26, 42};
    static constexpr Pieces kTail{33, 27, 43};
    static constexpr int kTailTip = 36;  // one cell beyond the tail

    // Where the flank pieces go from the middle piece's corner (x towards the tail).
    static constexpr int kFlankX = 16;
    static constexpr int kFlankY = 24;

    // Legs walk through kWalkFrames frames; legs 0 to 7 reach up (frames 0 to 7), legs 8 to 15
    // down (frames 8 to 15).
    static constexpr int kWalkFrames = 8;
    static constexpr int leg_frame(int leg, int walk) {
        return (leg < kWalkFrames ? 0 : kWalkFrames) + walk;
    }

    // A leg: its index and its offset from the piece's corner (x towards the tail). The legs of
    // each piece are drawn in this order, before the piece's own frames.
    struct Leg {
        int k, dx, dy;
    };
    static constexpr std::array<Leg, 6> kHeadLegs{
        {{0, 12, -18}, {1, 21, -19}, {2, 30, -19}, {8, 12, 32}, {9, 21, 33}, {10, 30, 33}}};
    // Body segment i (1 for the one behind the head): the leg indices vary along the body.
    static constexpr std::array<Leg, 6> body_legs(int i) {
        return {{{(3 * i) % 8, 8, -19},
                 {(5 * i) % 8, 18, -19},
                 {(7 * i) % 8, 28, -19},
                 {8 + i % 8, 8, 33},
                 {8 + (3 * i) % 8, 18, 33},
                 {8 + (5 * i) % 8, 28, 33}}};
    }
    static constexpr std::array<Leg, 8> kTailLegs{{{6, 9, -19},
                                                   {7, 18, -19},
                                                   {0, 27, -19},
                                                   {1, 35, -17},
                                                   {14, 9, 33},
                                                   {15, 18, 33},
                                                   {8, 27, 33},
                                                   {9, 35, 31}}};
};

// The controller buttons that prompts show inside a line of the small text (see Text::picture):
// cells of kCellSize pixels, two characters of the small font wide and one high, kColumns to a
// row. One row per family of controllers, its columns the buttons by SDL's names (SDL's "a" is
// Xbox A, the PlayStation cross, Nintendo's A and a plain pad's lowest face button); then a row
// of the buttons every family draws alike.
struct ButtonSheet {
    static constexpr const char* kImage = "buttons.png";
    static constexpr int kColumns = 8;
    static constexpr int kCellSize = 16;

    enum Family : int { kXbox = 0, kPlayStation = 1, kNintendo = 2, kGeneric = 3, kFamilies = 4 };
    enum FamilyButton : int { kA, kB, kX, kY, kLeftShoulder, kRightShoulder, kBack, kStart };
    enum SharedButton : int {
        kDpadUp,
        kDpadDown,
        kDpadLeft,
        kDpadRight,
        kLeftStick,
        kRightStick,
        kGuide,
        kSharedButtons
    };
    static constexpr int kRows = kFamilies + 1;

    static constexpr int family_cell(int family, int button) { return family * kColumns + button; }
    static constexpr int shared_cell(int button) { return kFamilies * kColumns + button; }
};
