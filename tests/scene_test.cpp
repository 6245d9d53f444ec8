// The main scene: the camera's glide and modes, the floor's display list,
// and frames drawn offscreen at 800 x 600 with the show's models, checked
// by their pixels.
#include "direction/direction_local.h"
#include "models/models.h"
#include "offscreen.h"
#include "world/world.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int width = 800, height = 600;
constexpr double pi = 3.141592653589793;

// One context and the show's models for the whole run: display lists
// belong to the context, so it is never closed between tests.
class SceneEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_EQ(chdir(TOBUNA_SOURCE_DIR), 0);
        ASSERT_EQ(offscreen_open(width, height), 0) << offscreen_error();
        ASSERT_EQ(load_models(), 0) << model_last_error();
    }
};

const auto *const environment = ::testing::AddGlobalTestEnvironment(new SceneEnvironment);

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        world_reset(&show_world, 1.0f, 1.0f);
        inertia = inertia_target = 0.5f;
        camera_reset();
    }
};

// The overview (mode 1) with the camera settled on its target.
void settle_overview()
{
    camera_set_mode(1);
    camera_position[0] = 0.0f;
    camera_position[1] = 0.1f;
    camera_position[2] = -0.4f;
    glide_active = 0;
}

struct Rgb {
    int r, g, b;
};

Rgb byte_colour(const float c[3])
{
    return {(int)std::lround(c[0] * 255.0), (int)std::lround(c[1] * 255.0),
            (int)std::lround(c[2] * 255.0)};
}

bool same(const uint8_t *p, Rgb c)
{
    return std::abs(p[0] - c.r) <= 1 && std::abs(p[1] - c.g) <= 1 && std::abs(p[2] - c.b) <= 1;
}

constexpr Rgb white = {255, 255, 255};
constexpr Rgb black = {0, 0, 0};
constexpr Rgb mouse_shadow = {18, 18, 18};

// The frame drawn; with TOBUNA_SCENE_PNG set to a folder, also written
// there as TEST-NAME.png to be looked at.
std::vector<uint8_t> frame_pixels()
{
    std::vector<uint8_t> rgb = offscreen_read_rgb();
    if (const char *folder = getenv("TOBUNA_SCENE_PNG")) {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        png_write_rgb((std::string(folder) + "/" + name + ".png").c_str(), width, height,
                      rgb.data());
    }
    return rgb;
}

// Where the settled overview shows the scene point: the floor lies at a
// depth of 1.2 below the eye, shifted by the camera's 0.1 along y.
int column_of(double x, double z)
{
    return (int)((x / ((1.2 - z) * 4.0 / 3.0) + 1.0) / 2.0 * width);
}
int row_of(double y, double z)
{
    return (int)((1.0 - (y + 0.1) / (1.2 - z)) / 2.0 * height);
}
const uint8_t *at(const std::vector<uint8_t> &rgb, double x, double y, double z)
{
    int c = column_of(x, z), r = row_of(y, z);
    EXPECT_TRUE(c >= 0 && c < width && r >= 0 && r < height) << x << ", " << y;
    c = std::clamp(c, 0, width - 1);
    r = std::clamp(r, 0, height - 1);
    return &rgb[3 * ((size_t)r * width + c)];
}

// The floor's colour at a point of z = 0: white cells where row plus
// column is even, the background elsewhere and beyond the floor.
Rgb floor_colour(double x, double y)
{
    int j = (int)std::floor(x / 0.2), i = (int)std::floor(y / 0.2);
    bool white_cell = i >= -6 && i <= 5 && j >= -6 && j <= 5 && (i + j) % 2 == 0;
    return white_cell ? white : byte_colour(show_world.background);
}

// Counts the pixels of a colour within a box of half size `half` pixels
// around a pixel, and the extent they span.
struct Patch {
    int count = 0;
    int left = width, right = -1, top = height, bottom = -1;
};
Patch find(const std::vector<uint8_t> &rgb, int column, int row, int half, Rgb colour)
{
    Patch p;
    for (int r = std::max(0, row - half); r <= std::min(height - 1, row + half); r++) {
        for (int c = std::max(0, column - half); c <= std::min(width - 1, column + half); c++) {
            if (!same(&rgb[3 * ((size_t)r * width + c)], colour))
                continue;
            p.count++;
            p.left = std::min(p.left, c);
            p.right = std::max(p.right, c);
            p.top = std::min(p.top, r);
            p.bottom = std::max(p.bottom, r);
        }
    }
    return p;
}

// Camera.

TEST_F(SceneTest, TenSecondGlideFallsFrom0995To05AndStaysThere)
{
    camera_glide(10.0f);
    struct Frame {
        float follow;  // this frame's follow factor
        int active;    // glide still running after the frame
    };
    // Frames of one second each: the factor falls by 0.0495 a second.
    const Frame frames[] = {
        {0.995f, 1}, {0.9455f, 1}, {0.896f, 1}, {0.8465f, 1}, {0.797f, 1}, {0.7475f, 1},
        {0.698f, 1}, {0.6485f, 1}, {0.599f, 1}, {0.5495f, 0}, {0.5f, 0},   {0.5f, 0},
    };
    for (size_t n = 0; n < std::size(frames); n++) {
        camera_update(1.0f);
        EXPECT_FLOAT_EQ(camera_follow, frames[n].follow) << "frame " << n;
        EXPECT_EQ(glide_active, frames[n].active) << "frame " << n;
    }
    EXPECT_EQ(glide_left, 0.0f);
}

TEST_F(SceneTest, DtLongerThanWhatIsLeftEndsTheGlideInThatFrame)
{
    camera_glide(1.0f);
    camera_update(0.25f);
    EXPECT_FLOAT_EQ(camera_follow, 0.995f);
    EXPECT_FLOAT_EQ(glide_left, 0.75f);
    camera_update(5.0f);
    EXPECT_FLOAT_EQ(camera_follow, 0.87125f);  // from what was left on entry
    EXPECT_EQ(glide_active, 0);
    EXPECT_EQ(glide_left, 0.0f);
    camera_update(0.01f);
    EXPECT_EQ(camera_follow, 0.5f);
}

TEST_F(SceneTest, GlideOfNoLengthIsOverAtOnce)
{
    for (float seconds : {0.0f, -1.0f, NAN}) {
        camera_reset();
        camera_glide(seconds);
        camera_update(0.01f);
        EXPECT_EQ(camera_follow, 0.5f) << seconds;
        EXPECT_EQ(glide_active, 0) << seconds;
        for (float p : camera_position)
            EXPECT_TRUE(std::isfinite(p)) << seconds;
    }
}

TEST_F(SceneTest, FrameDrawsTheTransformEasedTheFrameBefore)
{
    camera_set_tilt_target(-10.0f);
    GLfloat m[16];
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    camera_update(1.0f / 75.0f);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    // The start: high above the floor, not yet tilted.
    EXPECT_EQ(m[5], 1.0f);
    EXPECT_EQ(m[12], 0.0f);
    EXPECT_EQ(m[13], 0.1f);
    EXPECT_EQ(m[14], -3.4f);
    EXPECT_FLOAT_EQ(camera_position[2], -3.385f);  // 0.5 % of the way to -0.4
    EXPECT_FLOAT_EQ(camera_angles[0], -0.01f);     // 0.1 % of the way to -10

    glLoadIdentity();
    camera_update(1.0f / 75.0f);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[6], (float)std::sin(-0.01 * pi / 180.0));
    EXPECT_FLOAT_EQ(m[9] * m[13] + m[10] * m[14], -3.385f);  // z of the translation, turned back
    glLoadIdentity();
}

TEST_F(SceneTest, EachModeAimsWhereItWants)
{
    const Vec3 followed = {0.3f, -0.2f, 0.7f};
    const float heading = 30.0f;
    struct Case {
        int mode;
        bool heading_none;
        float target[3];
        float tilt, roll;  // angle targets after the frame
    };
    const Case cases[] = {
        {0, false, {0.0f, 0.0f, 0.2f}, -10.0f, 7.0f},  // the targets stay
        {1, false, {0.0f, 0.1f, -0.4f}, -10.0f, 7.0f},
        {2, false, {-0.3f, 0.2f, 0.25f}, -10.0f, 0.0f},  // at camera height
        {3, false, {-0.3f, 0.2f, 0.25f}, -10.0f, 0.0f},
        {4, false, {-0.3f, 0.2f, 0.25f}, -10.0f, 0.0f},
        {5, false, {-0.3f, 0.2f, 0.0f}, -55.0f, -30.0f},  // tilted, rolling with the heading
        {6, false, {-0.3f, 0.2f, 0.0f}, -55.0f, -30.0f},
        {6, true, {-0.3f, 0.2f, 0.0f}, -55.0f, 0.0f},  // a ball: no heading
    };
    for (const Case &c : cases) {
        camera_reset();
        camera_set_followed(&followed, c.heading_none ? nullptr : &heading);
        camera_set_height(0.25f);
        camera_set_tilt_target(-10.0f);
        camera_angle_targets[1] = 7.0f;
        camera_set_mode(c.mode);
        camera_update(0.01f);
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(camera_target[i], c.target[i]) << "mode " << c.mode << " axis " << i;
        EXPECT_EQ(camera_angle_targets[0], c.tilt) << "mode " << c.mode;
        EXPECT_EQ(camera_angle_targets[1], c.roll) << "mode " << c.mode;
    }
}

TEST_F(SceneTest, FollowingModesBeforeAnythingIsFollowedLookAtTheCentre)
{
    for (int mode : {2, 5}) {
        camera_reset();
        camera_set_mode(mode);
        camera_update(0.01f);
        EXPECT_EQ(camera_target[0], 0.0f) << mode;
        EXPECT_EQ(camera_target[1], 0.0f) << mode;
        EXPECT_EQ(camera_angle_targets[1], 0.0f) << mode;
    }
}

// Floor and frames.

// Matrices under which the floor, at z = 0 and 1.2 across, fills the view
// with cells 0.2 of the view's half size.
void identity_matrices()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

TEST_F(SceneTest, FloorIsCompiledOnTheFirstFrameThenDrawnUnderTheMatricesOfTheFrameBefore)
{
    floor_reset();
    show_world.show_arena = 0;
    settle_overview();
    const Rgb background = byte_colour(show_world.background);
    identity_matrices();
    main_scene_frame(0.01f);
    EXPECT_EQ(floor_list_pending, 0);
    EXPECT_TRUE(glIsList(floor_list));
    std::vector<uint8_t> first = offscreen_read_rgb();
    EXPECT_EQ(find(first, width / 2, height / 2, width, background).count, width * height);

    // At the view's left edge, below the middle: a white cell where the
    // floor fills the view, beyond the floor in the overview.
    const size_t left_edge = 3 * ((size_t)330 * width + 50);
    identity_matrices();
    main_scene_frame(0.01f);
    std::vector<uint8_t> second = offscreen_read_rgb();
    EXPECT_TRUE(same(&second[left_edge], white));
    main_scene_frame(0.01f);
    std::vector<uint8_t> third = offscreen_read_rgb();
    EXPECT_TRUE(same(&third[left_edge], background));
    EXPECT_TRUE(same(at(third, 0.1, 0.1, 0.0), white));
}

TEST_F(SceneTest, OverviewAtRestShowsTheCheckerboardAndTheRails)
{
    settle_overview();
    main_scene_frame(0.0f);  // builds the lists
    main_scene_frame(0.0f);
    std::vector<uint8_t> rgb = frame_pixels();
    const Rgb background = byte_colour(show_world.background);

    // Every cell centre in view, and a ring of centres beyond the floor.
    int seen = 0;
    for (int i = -7; i <= 6; i++) {
        for (int j = -7; j <= 6; j++) {
            double x = 0.2 * j + 0.1, y = 0.2 * i + 0.1;
            int r = row_of(y, 0.0);
            if (r < 1 || r > height - 2)
                continue;
            EXPECT_TRUE(same(at(rgb, x, y, 0.0), floor_colour(x, y))) << "cell " << i << ", " << j;
            seen++;
        }
    }
    EXPECT_EQ(seen, 11 * 14);  // the top row's centres lie on the view's edge
    // The floor fills the view's height but for a strip at the bottom: the
    // camera stands 0.1 off the centre along y.
    EXPECT_TRUE(same(at(rgb, 0.3, 1.09, 0.0), white));  // the top row of pixels
    EXPECT_TRUE(same(at(rgb, 0.1, 1.09, 0.0), background));
    EXPECT_TRUE(same(at(rgb, 0.1, -1.19, 0.0), white));
    EXPECT_TRUE(same(at(rgb, 0.1, -1.25, 0.0), background));  // beyond the floor

    // Rails on the floor's edges, 0.04 wide and high, with a gap of 0.1 in
    // the middle of each side; their tops are drawn, not the floor.
    const double middles[8][2] = {{-0.525, 1.02}, {0.525, 1.02}, {-0.525, -1.02}, {0.525, -1.02},
                                  {1.02, -0.545}, {1.02, 0.545}, {-1.02, -0.545}, {-1.02, 0.545}};
    for (const auto &m : middles) {
        const uint8_t *p = at(rgb, m[0], m[1], 0.04);
        EXPECT_FALSE(same(p, white) || same(p, background)) << m[0] << ", " << m[1];
    }
    const double gaps[4][2] = {{0.02, 1.02}, {0.02, -1.02}, {1.02, 0.02}, {-1.02, 0.02}};
    for (const auto &g : gaps)
        EXPECT_TRUE(same(at(rgb, g[0], g[1], 0.0), floor_colour(g[0], g[1])))
            << g[0] << ", " << g[1];
}

TEST_F(SceneTest, MouseAndBallDrawWithTheirShadows)
{
    settle_overview();
    Ball *ball = ball_create(&show_world, BALL_BEACH, 0);
    ASSERT_NE(ball, nullptr);
    Mouse *mouse = spawn_wanderer(&show_world, -0.5f, -0.3f, 0.0f, 0.0f);
    ASSERT_NE(mouse, nullptr);
    main_scene_frame(0.0f);  // builds the lists
    // A ball in the air, well off the centre so that its shadow shows
    // apart from it.
    ball->position = ball->last_position = {0.7f, -0.5f, 0.3f};
    mouse->position = {-0.5f, -0.3f, 0.0f};
    mouse->heading = 0.0f;
    main_scene_frame(0.0f);
    std::vector<uint8_t> rgb = frame_pixels();

    const uint8_t *centre = at(rgb, 0.7, -0.5, 0.37);
    EXPECT_FALSE(same(centre, white) || same(centre, black) ||
                 same(centre, byte_colour(show_world.background)));
    // The shadow: a black disc of radius 0.07 on the floor under the ball.
    EXPECT_TRUE(same(at(rgb, 0.7, -0.5, 0.0), black));
    EXPECT_TRUE(same(at(rgb, 0.7, -0.5 + 0.06, 0.0), black));
    for (int k = 0; k < 8; k++) {
        double x = 0.7 + 0.085 * std::cos(k * pi / 4), y = -0.5 + 0.085 * std::sin(k * pi / 4);
        EXPECT_TRUE(same(at(rgb, x, y, 0.0), floor_colour(x, y))) << "beside the shadow, " << k;
    }

    // The wanderer in its body colour with its dark shadow about it.
    const float wanderer[3] = {0.95f, 0.58f, 0.3f};
    int c = column_of(-0.5, 0.0), r = row_of(-0.3, 0.0);
    EXPECT_GT(find(rgb, c, r, 30, byte_colour(wanderer)).count, 20);
    EXPECT_GT(find(rgb, c, r, 30, mouse_shadow).count, 0);
}

TEST_F(SceneTest, MouseShadowLiesAlongItsHeadingAtItsOwnHeight)
{
    // Without the model, only the shadow is drawn.
    struct Restore {
        Model saved = mouse_model;
        ~Restore()
        {
            mouse_model = saved;
        }
    } restore;
    mouse_model = Model{};
    settle_overview();
    struct Case {
        float heading, z;
        double along_x, along_y;  // semi-axes in floor units
    };
    const Case cases[] = {
        {0.0f, 0.0f, 0.04, 0.03},
        {90.0f, 0.0f, 0.03, 0.04},
        {180.0f, 0.3f, 0.04, 0.03},  // nearer the eye: larger
    };
    for (const Case &k : cases) {
        show_world.mice = nullptr;
        Mouse *m = spawn_wanderer(&show_world, 0.1f, 0.1f, k.z, k.heading);
        ASSERT_NE(m, nullptr);
        main_scene_frame(0.0f);
        Patch p =
            find(offscreen_read_rgb(), column_of(0.1, k.z), row_of(0.1, k.z), 60, mouse_shadow);
        double depth = 1.2 - k.z;
        double half_columns = k.along_x / (depth * 4.0 / 3.0) * width / 2;
        double half_rows = k.along_y / depth * height / 2;
        EXPECT_NEAR((p.right - p.left + 1) / 2.0, half_columns, 1.5) << k.heading << ", " << k.z;
        EXPECT_NEAR((p.bottom - p.top + 1) / 2.0, half_rows, 1.5) << k.heading << ", " << k.z;
        EXPECT_NEAR((p.left + p.right) / 2.0, column_of(0.1, k.z), 1.5);
    }
}

TEST_F(SceneTest, WalkPhaseTurnsWithTheAskedSpeedAndDrive)
{
    struct Case {
        float speed, drive;
        Vec3 asked;
        float phase;  // after 0.01 s from 1
    };
    const float turned = 1.0f + 5.890486f;  // 0.01 s x 187.5 x 2 x 0.5 x pi
    const Case cases[] = {
        {1.0f, 1.0f, {0.3f, 0.4f, 0.0f}, turned},
        {2.0f, 0.5f, {0.0f, 0.0f, 0.5f}, turned},  // all three axes count
        {1.0f, 0.0f, {0.3f, 0.4f, 0.0f}, 1.0f},    // no drive: the key stands still
        {1.0f, 1.0f, {0.0f, 0.0f, 0.0f}, 1.0f},    // asked to stand
    };
    glMatrixMode(GL_MODELVIEW);
    for (const Case &k : cases) {
        Mouse m{};
        m.speed = k.speed;
        m.drive = k.drive;
        m.desired_velocity = k.asked;
        m.walk_phase = 1.0f;
        world_draw_mouse(&m, 0.01f);
        EXPECT_FLOAT_EQ(m.walk_phase, k.phase) << k.speed << ", " << k.drive;
    }
}

TEST_F(SceneTest, DrawingTheWorldLeavesTheMatrixStackAsItFoundIt)
{
    ball_create(&show_world, BALL_TENNIS, 2);
    spawn_follower(&show_world, 0.2f, 0.3f, 0.0f, 45.0f, nullptr);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.1f, 0.2f, -1.0f);
    GLfloat before[16], after[16];
    GLint depth_before, depth_after;
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_before);
    world_draw(&show_world, 0.01f);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_after);
    EXPECT_EQ(depth_after, depth_before);
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(after[i], before[i]) << i;
    glLoadIdentity();
}

}  // namespace
