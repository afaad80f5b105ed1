#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "game/view/camera_shake.h"
#include "game/world/camera.h"
#include "game/world/geometry.h"

namespace {

// The camera follows the centre of the worm's head tile.
class CameraTest : public ::testing::Test {
protected:
    void put_head(GridPoint p) { cell = p; }
    Point head() const { return cell.center(); }

    GridPoint cell{0, 0};
};

TEST(Camera, StartsWithThePointInTheMiddleOfTheView) {
    const Camera camera(Point{1000, -50});
    EXPECT_EQ(camera.x, 360.0);
    EXPECT_EQ(camera.y, -410.0);
    EXPECT_EQ(camera.shake_amount, 0.0);
}

TEST(Camera, FocusRectanglesUseTheTunedOffsets) {
    Camera camera(Point{640, 360});
    const Camera::Zone inner = camera.inner_focus();
    EXPECT_EQ(inner.left, std::nextafter(426.24, 0.0));
    EXPECT_EQ(inner.top, 180.0);
    EXPECT_EQ(inner.right, 853.76);
    EXPECT_EQ(inner.bottom, 360.0);
    const Camera::Zone outer = camera.outer_focus();
    EXPECT_EQ(outer.left, 319.36);
    EXPECT_EQ(outer.top, 90.0);
    EXPECT_EQ(outer.right, std::nextafter(960.64, 0.0));
    EXPECT_EQ(outer.bottom, 540.0);
    camera.x = -100.0;
    camera.y = 50.0;
    EXPECT_EQ(camera.inner_focus().left, -100.0 + std::nextafter(426.24, 0.0));
    EXPECT_EQ(camera.outer_focus().bottom, 590.0);
}

TEST_F(CameraTest, HeadInsideTheDeadZoneLeavesTheViewAlone) {
    put_head({10, 40});
    const Point h = head();
    Camera camera(h);
    camera.x -= 100.5;  // still inside: the zone spans x + 426.24 to x + 853.76
    camera.y += 180.0;  // exactly on the top edge, which belongs to the zone
    const double x = camera.x, y = camera.y;
    camera.update(head(), 1000);
    EXPECT_EQ(camera.x, x);
    EXPECT_EQ(camera.y, y);
}

TEST_F(CameraTest, FollowsAt70PixelsASecondAndTwiceThatOutsideTheOuterRectangle) {
    put_head({10, 40});
    const Point h = head();
    Camera camera(h);
    camera.y = static_cast<double>(h.y) - 270.0;  // vertically in the middle of the zone

    camera.x = static_cast<double>(h.x) + 100.0 - 426.24;  // head 100 px left of the zone
    ASSERT_TRUE(camera.outer_focus().contains(static_cast<double>(h.x), static_cast<double>(h.y)));
    double before = camera.x;
    camera.update(head(), 16);
    EXPECT_NEAR(before - camera.x, 1.12, 1e-9);

    camera.x = static_cast<double>(h.x) + 200.0 - 426.24;  // 200 px: outside the outer one
    ASSERT_FALSE(camera.outer_focus().contains(static_cast<double>(h.x), static_cast<double>(h.y)));
    before = camera.x;
    camera.update(head(), 16);
    EXPECT_NEAR(before - camera.x, 2.24, 1e-9);
    EXPECT_EQ(camera.y, static_cast<double>(h.y) - 270.0);

    // The same below the zone, downwards.
    camera.x = static_cast<double>(h.x) - 640.0;
    camera.y = static_cast<double>(h.y) - 360.0 - 100.0;
    before = camera.y;
    camera.update(head(), 16);
    EXPECT_NEAR(camera.y - before, 1.12, 1e-9);
}

TEST_F(CameraTest, StopsRightAtTheZoneEdgeInsteadOfOvershooting) {
    put_head({-7, 30});
    const Point h = head();
    Camera camera(h);
    camera.y = static_cast<double>(h.y) - 180.0 + 0.5;  // head 0.5 px above the zone
    camera.update(head(), 16);
    EXPECT_EQ(camera.y, static_cast<double>(h.y) - 180.0);
    EXPECT_EQ(camera.x, static_cast<double>(h.x) - 640.0);
}

TEST_F(CameraTest, KeepsTheHeadInViewAfterEveryUpdate) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> jump(-150, 150);
    std::uniform_int_distribution<unsigned int> ms(0, 100);
    GridPoint p{0, 20};
    put_head(p);
    Camera camera(head());
    for (int i = 0; i < 20000; ++i) {
        // Mostly small moves, now and then a leap far out of view.
        const int scale = i % 97 == 0 ? 1 : 50;
        p = GridPoint{p.q + jump(rng) / scale, p.r + jump(rng) / scale};
        put_head(p);
        camera.update(head(), ms(rng));
        const Point h = head();
        ASSERT_LE(camera.x, static_cast<double>(h.x)) << i;
        ASSERT_GE(camera.x + Camera::kViewWidth, static_cast<double>(h.x)) << i;
        ASSERT_LE(camera.y, static_cast<double>(h.y)) << i;
        ASSERT_GE(camera.y + Camera::kViewHeight, static_cast<double>(h.y)) << i;
    }
}

TEST_F(CameraTest, ShakeKeepsTheLargestAmountUntilTheNextUpdate) {
    Camera camera(head());
    camera.shake(0.5);
    camera.shake(0.3);
    EXPECT_EQ(camera.shake_amount, 0.5);
    camera.shake(-1.0);
    EXPECT_EQ(camera.shake_amount, 0.5);
    camera.shake(2.0);
    EXPECT_EQ(camera.shake_amount, 1.0);
    camera.update(head(), 16);
    EXPECT_EQ(camera.shake_amount, 0.0);
}

TEST(CameraShake, UnshakenOffsetIsThePositionRoundedHalfAwayFromZero) {
    Camera camera(Point{0, 0});
    const CameraShake shake(1);  // drawing sees a const view
    camera.x = -10.5;
    camera.y = 2.5;
    EXPECT_EQ(shake.shaken_offset(camera), (Point{-11, 3}));
    camera.x = 7.49;
    camera.y = -0.4;
    EXPECT_EQ(shake.shaken_offset(camera), (Point{7, 0}));
}

TEST(CameraShake, ShakenOffsetDrawsTheYSampleFirst) {
    Camera camera(Point{0, 0});
    const CameraShake shake(42);
    camera.x = 100.0;
    camera.y = 200.0;
    camera.shake(1.0);
    std::mt19937 rng(42);
    std::normal_distribution<double> jitter(0.0, 2.0);
    for (int i = 0; i < 50; ++i) {
        const double sy = jitter(rng);
        const double sx = jitter(rng);
        EXPECT_EQ(shake.shaken_offset(camera),
                  (Point{std::llround(100.0 + sx), std::llround(200.0 + sy)}));
    }
}

}  // namespace
