// The renderer, text and title scene, drawn into an offscreen context and
// checked by their pixels and the OpenGL state they leave.
#include "models/models.h"
#include "models/title_local.h"
#include "offscreen.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int size = 64;

// A cube of side 2 around the origin with the outward faces wound
// counter-clockwise, as one object in one group.
std::string cube_obj(const char *object, const char *material)
{
    return std::string("v -1 -1 -1\nv 1 -1 -1\nv -1 1 -1\nv 1 1 -1\n"
                       "v -1 -1 1\nv 1 -1 1\nv -1 1 1\nv 1 1 1\n"
                       "vn -1 0 0\nvn 1 0 0\nvn 0 -1 0\nvn 0 1 0\nvn 0 0 -1\nvn 0 0 1\n") +
           "o " + object + "\ng " + object + "\nusemtl " + material + "\n" +
           "f 1//1 5//1 7//1 3//1\nf 2//2 4//2 8//2 6//2\nf 1//3 2//3 6//3 5//3\n"
           "f 3//4 7//4 8//4 4//4\nf 1//5 3//5 4//5 2//5\nf 5//6 6//6 8//6 7//6\n";
}

const char *colours_mtl = "newmtl red\nKd 1 0 0\nnewmtl green\nKd 0 1 0\nKa 0.1 0.2 0.3\n"
                          "Ks 0.4 0.5 0.6\nnewmtl blue\nKd 0 0 1\n";

void parse(Model *m, const std::string &obj)
{
    std::string source = "mtllib colours.mtl\n" + obj;
    std::vector<char> text(source.begin(), source.end());
    text.push_back('\0');
    std::vector<char> mtl(colours_mtl, colours_mtl + strlen(colours_mtl) + 1);
    ASSERT_EQ(model_parse_obj(m, text.data(), mtl.data(), nullptr), 0) << model_last_error();
}

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(offscreen_open(size, size), 0) << offscreen_error();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-3, 3, -3, 3, -10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_DEPTH_TEST);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        clear();
    }
    void TearDown() override
    {
        model_free(&model);
        offscreen_close();
    }
    static void clear()
    {
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    // A view of the cube that shows three faces and a hexagonal outline.
    static void turn()
    {
        glLoadIdentity();
        glRotatef(30, 1, 0, 0);
        glRotatef(40, 0, 1, 0);
    }
    static int count(const std::vector<uint8_t> &rgb, uint8_t r, uint8_t g, uint8_t b)
    {
        int n = 0;
        for (size_t i = 0; i + 2 < rgb.size(); i += 3)
            n += rgb[i] == r && rgb[i + 1] == g && rgb[i + 2] == b;
        return n;
    }
    Model model{};
};

TEST_F(RenderTest, FirstOutlinedDrawCompilesAndFillsTheSecondAddsTheOutline)
{
    parse(&model, cube_obj("box", "red"));
    turn();
    model_draw(&model, DRAW_OUTLINED);
    std::vector<uint8_t> first = offscreen_read_rgb();
    EXPECT_GT(count(first, 255, 0, 0), 400);
    EXPECT_EQ(count(first, 0, 0, 0), 0);
    EXPECT_NE(model.objects->groups->display_list, -1);

    clear();
    model_draw(&model, DRAW_OUTLINED);
    std::vector<uint8_t> second = offscreen_read_rgb();
    EXPECT_GT(count(second, 0, 0, 0), 60);  // a 4-pixel silhouette around the fill
    // Only around the silhouette: every black pixel lies within the line's
    // width of the background of the first picture.
    for (int y = 0; y < size; y++) {
        for (int x = 0; x < size; x++) {
            const uint8_t *p = &second[3 * (y * size + x)];
            if (p[0] != 0 || p[1] != 0 || p[2] != 0)
                continue;
            bool near_background = false;
            for (int dy = -3; dy <= 3; dy++)
                for (int dx = -3; dx <= 3; dx++) {
                    int yy = y + dy, xx = x + dx;
                    near_background |= yy < 0 || yy >= size || xx < 0 || xx >= size ||
                                       first[3 * (yy * size + xx) + 1] == 255;
                }
            EXPECT_TRUE(near_background) << x << ", " << y;
        }
    }
}

TEST_F(RenderTest, StateEachModeLeavesBehind)
{
    parse(&model, cube_obj("box", "red") + cube_obj("other", "blue"));
    glEnable(GL_LIGHTING);
    glLineWidth(3.0f);
    model_draw(&model, DRAW_OUTLINED);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLint value[2];
    glGetIntegerv(GL_CULL_FACE_MODE, value);
    EXPECT_EQ(value[0], GL_BACK);
    glGetIntegerv(GL_POLYGON_MODE, value);
    EXPECT_EQ(value[0], GL_FILL);  // front
    EXPECT_EQ(value[1], GL_LINE);  // back
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_LINE));
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
    GLfloat f[4];
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, f);
    EXPECT_EQ(f[0], 0.0f);
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, f);
    EXPECT_EQ(f[0], 0.0f);
    glGetFloatv(GL_LINE_WIDTH, f);
    EXPECT_EQ(f[0], 1.0f);
    glGetFloatv(GL_CURRENT_COLOR, f);  // the diffuse of the last group drawn, "box"'s
    const float *last = model_find_object(&model, "box")->groups->material->diffuse;
    EXPECT_EQ(f[0], last[0]);
    EXPECT_EQ(f[2], last[2]);

    model_draw(&model, DRAW_WIRE);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    glGetFloatv(GL_LINE_WIDTH, f);
    EXPECT_EQ(f[0], 1.0f);
    model_draw(&model, DRAW_SOLID);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(RenderTest, PivotObjectsAloneDrawNothingAndChangeNothing)
{
    parse(&model, "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvn 0 0 1\no pivot_a\ng g\nusemtl red\n"
                  "f 1//1 2//1 3//1\nf 1//1 2//1 3//1 4//1\n");
    glColor3f(0.25f, 0.5f, 0.75f);
    glLineWidth(3.0f);
    for (int mode : {DRAW_OUTLINED, DRAW_SOLID, DRAW_WIRE}) {
        model_draw(&model, mode);
        EXPECT_EQ(count(offscreen_read_rgb(), 255, 255, 255), size * size);
        EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
        GLfloat f[4];
        glGetFloatv(GL_LINE_WIDTH, f);
        EXPECT_EQ(f[0], 3.0f);
        glGetFloatv(GL_CURRENT_COLOR, f);
        EXPECT_EQ(f[1], 0.5f);
        EXPECT_EQ(model.objects->groups->display_list, -1);
    }
}

// A model with n light objects, each aimed by its face's one corner, and a
// mesh.
std::string lights_obj(int n)
{
    std::string text = "v 0.5 0.25 1\nv -1 -1 -1\nvn 0 0 1\n";
    for (int i = 0; i < n; i++)
        text += "o point" + std::to_string(i) + "\ng lamp\nusemtl green\nf 1//1\n";
    return text + "o box\ng box\nusemtl red\nf 2//1 2//1 2//1\n";
}

TEST_F(RenderTest, LightsArePlacedInWireAndOutlinedButNotInSolid)
{
    parse(&model, lights_obj(1));
    for (int i = 0; i < 8; i++)
        glEnable(GL_LIGHT0 + i);
    model_draw(&model, DRAW_WIRE);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    for (int i = 1; i < 8; i++)
        EXPECT_FALSE(glIsEnabled(GL_LIGHT0 + i)) << i;
    GLfloat v[4];
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, v);
    EXPECT_EQ(v[1], 1.0f);
    EXPECT_EQ(v[3], 1.0f);
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, v);
    EXPECT_FLOAT_EQ(v[2], 0.3f);
    glGetLightfv(GL_LIGHT0, GL_SPECULAR, v);
    EXPECT_FLOAT_EQ(v[0], 0.4f);
    glGetLightfv(GL_LIGHT0, GL_POSITION, v);  // eye space; the modelview is the identity
    EXPECT_EQ(v[0], 0.5f);
    EXPECT_EQ(v[1], 0.25f);
    EXPECT_EQ(v[2], 1.0f);
    EXPECT_EQ(v[3], 0.0f);
    glGetLightfv(GL_LIGHT0, GL_SPOT_CUTOFF, v);
    EXPECT_EQ(v[0], 180.0f);

    for (int i = 0; i < 2; i++) {  // each model draw starts again at GL_LIGHT0
        model_draw(&model, DRAW_OUTLINED);
        EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
        EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
    }

    model_draw(&model, DRAW_SOLID);
    for (int i = 0; i < 8; i++)
        EXPECT_FALSE(glIsEnabled(GL_LIGHT0 + i)) << i;
}

TEST_F(RenderTest, ANinthLightIsNotPlaced)
{
    parse(&model, lights_obj(9));
    model_draw(&model, DRAW_WIRE);
    for (int i = 0; i < 8; i++)
        EXPECT_TRUE(glIsEnabled(GL_LIGHT0 + i)) << i;
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(RenderTest, LinkedObjectAtAngleZeroDrawsWhereAnUnlinkedOneDoes)
{
    Model linked{};
    parse(&model, cube_obj("box", "red"));
    parse(&linked, cube_obj("box", "red") +
                       "v 0.5 0.25 0\nv 0.5 2 0.125\nv 0.5 2 -0.125\nv 0.25 2 0\nv 0.75 2 0\n"
                       "v 0.75 2.25 0\nv 0.25 2.25 0\no pivot_box\ng m\nusemtl red\n"
                       "f 9//1 10//1 11//1\nf 12//1 13//1 14//1 15//1\n");
    ASSERT_NE(model_find_object(&linked, "box")->pivot, nullptr);
    auto picture = [&](Model *m) {
        clear();
        turn();
        model_draw(m, DRAW_OUTLINED);
        model_draw(m, DRAW_OUTLINED);
        return offscreen_read_rgb();
    };
    EXPECT_EQ(picture(&linked), picture(&model));
    model_find_object(&linked, "box")->angle = 30.0f;
    EXPECT_NE(picture(&linked), picture(&model));
    model_free(&linked);
}

TEST_F(RenderTest, GroupsWithoutAMaterialAreSkipped)
{
    parse(&model, cube_obj("box", "red") + cube_obj("bare", "blue"));
    model_find_object(&model, "bare")->groups->material = nullptr;
    for (int mode : {DRAW_OUTLINED, DRAW_SOLID, DRAW_WIRE})
        model_draw(&model, mode);
    EXPECT_EQ(model_find_object(&model, "bare")->groups->display_list, -1);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(RenderTest, DrawMouseSetsTheBodyColourAndTheKeyAndTailAngles)
{
    model_free(&mouse_model);
    parse(&mouse_model, cube_obj("body", "red") + "g eyes\nusemtl blue\nf 1//1 2//1 3//1\n" +
                            cube_obj("key", "green") + cube_obj("tail", "green"));
    // A second material named like the body's, used by another object only.
    const float blue_before = model_find_object(&mouse_model, "body")->groups->material->diffuse[2];
    Material *ruumis = model_find_object(&mouse_model, "body")->groups->next->material;
    snprintf(ruumis->name, sizeof ruumis->name, "ruumis");
    draw_mouse(1.0f, 0.7f, 0.5f, 10.0);
    EXPECT_EQ(ruumis->diffuse[0], 1.0f);
    EXPECT_EQ(ruumis->diffuse[1], 0.7f);
    EXPECT_EQ(ruumis->diffuse[2], 0.5f);
    EXPECT_EQ(ruumis->diffuse[3], 1.0f);
    EXPECT_EQ(model_find_object(&mouse_model, "body")->groups->material->diffuse[2], blue_before);
    EXPECT_EQ(model_find_object(&mouse_model, "key")->angle, 10.0f);
    EXPECT_EQ(model_find_object(&mouse_model, "tail")->angle, -15.0f);
    model_free(&mouse_model);
    mouse_model = Model{};

    // Without body, key or tail the rest is still drawn.
    parse(&mouse_model, cube_obj("head", "red"));
    clear();
    draw_mouse(0.0f, 0.0f, 1.0f, 5.0);
    draw_mouse(0.0f, 0.0f, 1.0f, 5.0);
    EXPECT_GT(count(offscreen_read_rgb(), 255, 0, 0), 100);
    model_free(&mouse_model);
    mouse_model = Model{};
}

TEST_F(RenderTest, BallKindsOutsideTheTableDrawNothing)
{
    for (Model *slot :
         {&beach_ball_model, &football_model, &tennis_ball_model, &bowling_ball_model})
        parse(slot, cube_obj("ball", "red"));
    draw_ball(4);
    draw_ball(-1);
    EXPECT_EQ(count(offscreen_read_rgb(), 255, 255, 255), size * size);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    for (int kind = 0; kind < 4; kind++) {
        clear();
        draw_ball(kind);
        EXPECT_GT(count(offscreen_read_rgb(), 255, 0, 0), 100) << kind;
    }
}

// Where the red fill of a row of glyphs begins and ends, in scene units
// (the view is 6 units across).
void red_extent(const std::vector<uint8_t> &rgb, double *left, double *right)
{
    int lo = size, hi = -1;
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++)
            if (rgb[3 * (y * size + x)] == 255 && rgb[3 * (y * size + x) + 1] == 0) {
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
    *left = lo * 6.0 / size - 3.0;
    *right = (hi + 1) * 6.0 / size - 3.0;
}

TEST_F(RenderTest, TextAdvancesAndCentres)
{
    model_free(&font_model);
    // Glyphs "b" and "y": unit squares at the origin.
    parse(&font_model, "v 0 0 0\nv 0.5 0 0\nv 0.5 0.5 0\nv 0 0.5 0\nvn 0 0 1\n"
                       "o b\ng g\nusemtl red\nf 1//1 2//1 3//1 4//1\n"
                       "o y\ng g\nusemtl red\nf 1//1 2//1 3//1 4//1\n");
    glScalef(0.5f, 0.5f, 0.5f);  // 12 units across
    double left, right;
    draw_text("by", 0);
    red_extent(offscreen_read_rgb(), &left, &right);
    EXPECT_NEAR(left * 2, 0.0, 0.2);
    EXPECT_NEAR(right * 2, 1.6, 0.2);  // the second glyph starts 1.1 along

    clear();
    draw_text("b?b y", 1);  // length 5: starts at -2.75; "?" is not in the font
    red_extent(offscreen_read_rgb(), &left, &right);
    EXPECT_NEAR(left * 2, -2.75, 0.2);
    EXPECT_NEAR(right * 2, -2.75 + 4 * 1.1 + 0.5, 0.2);

    clear();
    draw_glyph(' ');
    draw_glyph('?');
    EXPECT_EQ(count(offscreen_read_rgb(), 255, 255, 255), size * size);
    model_free(&font_model);
    font_model = Model{};
}

TEST(TitleLayout, BallsAtTheStart)
{
    struct {
        int i;
        double x, y;
    } cases[] = {{0, -5.0, -4.0}, {1, -2.0, 1.0}, {2, 1.0, 4.0}};
    for (auto &c : cases) {
        TitlePlacement p = title_ball_placement(0.0, 0, c.i);
        EXPECT_DOUBLE_EQ(p.x, c.x) << c.i;
        EXPECT_DOUBLE_EQ(p.y, c.y) << c.i;
        EXPECT_EQ(p.z, 1.5);
        EXPECT_EQ(p.turn, 0.0);
    }
    // Bit 0x04 reverses the travel and the spin.
    TitlePlacement forward = title_ball_placement(1000.0, 0, 1);
    TitlePlacement back = title_ball_placement(1000.0, 0x04, 1);
    EXPECT_DOUBLE_EQ(forward.x, -back.x);
    EXPECT_DOUBLE_EQ(forward.turn, -200.0);
    EXPECT_DOUBLE_EQ(back.turn, 200.0);
    EXPECT_DOUBLE_EQ(title_ball_placement(3000.0, 0, 0).y, title_ball_placement(0.0, 0, 0).y);
}

TEST(TitleLayout, BallModes)
{
    EXPECT_EQ(title_ball_mode(0x00), DRAW_WIRE);
    EXPECT_EQ(title_ball_mode(0x01), DRAW_SOLID);
    EXPECT_EQ(title_ball_mode(0x02), DRAW_OUTLINED);
    EXPECT_EQ(title_ball_mode(0x07), DRAW_OUTLINED);
}

TEST(TitleLayout, CreditSlotsAndTheirSlide)
{
    struct {
        double x;
        const char *word;
    } words[] = {{0, nullptr},     {5999.9, nullptr}, {6000, "tobuna"},     {11999, "tobuna"},
                 {12000, "by"},    {18000, "kov"},    {24000, "trolvenki"}, {29999, "trolvenki"},
                 {30000, nullptr}, {100000, nullptr}};
    for (auto &w : words) {
        const char *word = title_word(w.x);
        if (w.word)
            EXPECT_STREQ(word, w.word) << w.x;
        else
            EXPECT_EQ(word, nullptr) << w.x;
    }
    EXPECT_NEAR(title_word_x(6000), 14.0, 1e-9);
    EXPECT_NEAR(title_word_x(9000), 1.0, 1e-9);
    EXPECT_NEAR(title_word_x(11999), -12.0, 0.01);
    EXPECT_NEAR(title_word_x(7200), 4.0, 1e-9);
    EXPECT_NEAR(title_word_x(8400), 6.0, 1e-9);
    EXPECT_NEAR(title_word_x(9600), -4.0, 1e-9);
    EXPECT_DOUBLE_EQ(title_word_nod(0.0), 10.0);
}

TEST(TitleLayout, MiceSpacedAroundTheirLoopAndTheirColours)
{
    const double offsets[7] = {0, 30, 18, 6, 36, 24, 12};
    for (int j = 0; j < 7; j++) {
        TitlePlacement p = title_mouse_placement(0.0, 0, j);
        EXPECT_DOUBLE_EQ(p.x, 21.0 - offsets[j]) << j;
        EXPECT_EQ(p.y, -1.0);
        EXPECT_EQ(p.z, -3.0 - j);
        EXPECT_EQ(p.turn, 270.0);
        TitlePlacement q = title_mouse_placement(0.0, 0x40, j);
        EXPECT_DOUBLE_EQ(q.x, offsets[j] - 21.0);
        EXPECT_EQ(q.turn, 90.0);
    }
    double rgb[3];
    title_mouse_colour(0x20, 0, rgb);
    EXPECT_EQ(rgb[0], 0.5);
    EXPECT_EQ(rgb[1], 0.7);
    EXPECT_EQ(rgb[2], 1.0);
    title_mouse_colour(0x20, 6, rgb);
    EXPECT_NEAR(rgb[0], 0.7, 1e-15);
    title_mouse_colour(0x00, 6, rgb);
    EXPECT_EQ(rgb[0], 1.0);
    EXPECT_NEAR(rgb[2], 0.7, 1e-15);
}

TEST(TitleFrame, LettersInTheMiddleOnWhite)
{
    ASSERT_EQ(chdir(TOBUNA_SOURCE_DIR), 0);
    ASSERT_EQ(load_models(), 0);
    load_title_assets(0);
    const int w = 160, h = 120;
    ASSERT_EQ(offscreen_open(w, h), 0) << offscreen_error();
    draw_title_scene(9000.0, 0);
    draw_title_scene(9000.0, 0);
    std::vector<uint8_t> rgb = offscreen_read_rgb();
    auto pixel = [&](int x, int y) { return &rgb[3 * (y * w + x)]; };
    EXPECT_EQ(pixel(2, h - 3)[0], 255);  // the background, below everything
    EXPECT_EQ(pixel(2, h - 3)[1], 255);
    EXPECT_EQ(pixel(2, h - 3)[2], 255);
    int black = 0;
    for (int y = h / 3; y < 2 * h / 3; y++)
        for (int x = w / 4; x < 3 * w / 4; x++)
            black += pixel(x, y)[0] == 0 && pixel(x, y)[1] == 0 && pixel(x, y)[2] == 0;
    EXPECT_GT(black, 50);  // the outlines of the letters
    offscreen_close();
}

}  // namespace
