#include "dump_image.h"
#include "models/models.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

std::string temp_path(const char *name)
{
    return (std::filesystem::temp_directory_path() /
            ("tobuna-" + std::to_string(getpid()) + "-" + name))
        .string();
}

std::vector<uint8_t> read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Saves the model and returns the file's bytes.
std::vector<uint8_t> save(const Model &model)
{
    std::string path = temp_path("save.dump");
    EXPECT_EQ(model_save_dump(&model, path.c_str()), 0) << model_last_error();
    std::vector<uint8_t> bytes = read_file(path);
    std::filesystem::remove(path);
    return bytes;
}

// A model of loose vertices, no normals, no objects.
struct Points {
    std::vector<float> v;
    Model model()
    {
        return Model{v.data(), nullptr, (int)(v.size() / 3), 0, 0, nullptr, nullptr};
    }
};

TEST(DumpWrite, UintsLeastSignificantByteFirstAndOnlyTheLowBytes)
{
    std::string path = temp_path("uint.bin");
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    dump_write_uint(f, 0x12345678, 2);
    dump_write_uint(f, 0x12345678, 4);
    dump_write_float(f, -2.0f);
    fclose(f);
    std::vector<uint8_t> expected = {0x78, 0x56, 0x78, 0x56, 0x34, 0x12, 0x00, 0x00, 0x00, 0xC0};
    EXPECT_EQ(read_file(path), expected);
    std::filesystem::remove(path);
}

TEST(DumpWrite, EmptyModelIsElevenBytes)
{
    Model empty{};
    std::vector<uint8_t> expected = {0xFF, 0x7F, 0, 0, 0, 0, 0, 0, 0, 0, 0x71};
    EXPECT_EQ(save(empty), expected);
}

TEST(DumpWrite, UnitVertexGetsScale16383AndTruncatesTowardZero)
{
    Points p{{1.0f, -1.0f, 0.5f}};
    std::vector<uint8_t> bytes = save(p.model());
    std::vector<uint8_t> expected = {0xFF, 0x3F, 1,    0, 0, 0, 0xFF, 0x3F, 0x01,
                                     0xC0, 0xFF, 0x1F, 0, 0, 0, 0,    0x71};
    EXPECT_EQ(bytes, expected);
    Model back{};
    ASSERT_EQ(model_parse_dump(&back, bytes.data(), bytes.size()), 0);
    EXPECT_EQ(back.vertices[0], 1.0f);
    EXPECT_EQ(back.vertices[1], -1.0f);
    EXPECT_EQ(back.vertices[2], 8191.0f / 16383.0f);  // 0.49996948
    model_free(&back);

    Points half{{-0.5f, 1.0f, 0.0f}};
    bytes = save(half.model());
    EXPECT_EQ(bytes[6], 0x01);  // -8191, not -8192
    EXPECT_EQ(bytes[7], 0xE0);
}

TEST(DumpWrite, ScaleFromTheLargestMagnitude)
{
    struct {
        std::vector<float> v;
        unsigned scale;
    } cases[] = {
        {{100.0f, 0.0f, -3.0f}, 324},
        {{0.0f, -100.0f, 0.0f}, 324},  // the magnitude of a negative value
        {{32766.0f, 0.0f, 0.0f}, 1},
        {{0.0f, 0.0f, 0.0f}, 32767},
    };
    for (auto &c : cases) {
        Points p{c.v};
        std::vector<uint8_t> bytes = save(p.model());
        EXPECT_EQ(bytes[0] | bytes[1] << 8, (int)c.scale);
    }
}

// Reads a dump image, writes it, and returns the written bytes.
std::vector<uint8_t> rewrite(const std::vector<uint8_t> &bytes, Model *out = nullptr)
{
    Model m{};
    EXPECT_EQ(model_parse_dump(&m, bytes.data(), bytes.size()), 0) << model_last_error();
    std::vector<uint8_t> written = save(m);
    if (out)
        *out = m;
    else
        model_free(&m);
    return written;
}

TEST(DumpWrite, RoundTripReversesListsAndTwoRoundTripsGiveTheSameBytes)
{
    DumpImage d;
    d.header(16383, {16383, 0, -8191, 0, 16383, 100, -16383, -5, 0, 7, 7, 7},
             {0, 0, 16383, 0, 16383, 0});
    d.material("first", 0.25f).material("second", 0.75f);
    d.object("pivot_tail").group("marker", "second", {{0, 1, 2}, {0, 1, 2, 3}});
    d.object("tail")
        .group("a", "first", {{0, 1, 2}})
        .group("b", "second", {{3, 2, 1, 0}, {1, 2, 3}});
    d.end();
    Model once{};
    std::vector<uint8_t> written = rewrite(d.bytes, &once);
    EXPECT_EQ(rewrite(written), d.bytes);  // reversed twice, same scale

    Model twice{};
    ASSERT_EQ(model_parse_dump(&twice, written.data(), written.size()), 0);
    EXPECT_STREQ(once.objects->name, "tail");
    EXPECT_STREQ(twice.objects->name, "pivot_tail");
    EXPECT_STREQ(twice.materials->name, "first");
    EXPECT_STREQ(twice.objects->next->groups->name, "a");
    EXPECT_EQ(twice.objects->next->pivot, twice.objects);
    model_free(&once);
    model_free(&twice);
}

TEST(DumpWrite, CoordinatesComeBackWithinOneOverTheScale)
{
    Points p{{0.7f, -0.3f, 0.123456f, 0.0f, 0.69f, -0.7f}};
    Model m = p.model();
    std::vector<uint8_t> bytes = save(m);
    float scale = (float)(bytes[0] | bytes[1] << 8);
    Model back{};
    ASSERT_EQ(model_parse_dump(&back, bytes.data(), bytes.size()), 0);
    for (size_t i = 0; i < p.v.size(); i++)
        EXPECT_LT(std::fabs(back.vertices[i] - p.v[i]), 1.0f / scale) << i;
    model_free(&back);
}

TEST(DumpWrite, ModelsOutsideTheFormatAreRefusedAndNothingIsWritten)
{
    // Build each broken model from a valid one read from an image.
    DumpImage d;
    d.header(1, {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 1}).material("m");
    d.object("o").group("g", "m", {{0, 1, 2}}).end();
    struct {
        const char *what;
        void (*breakit)(Model *);
        const char *reason;
    } cases[] = {
        {"no material", [](Model *m) { m->objects->groups->material = nullptr; },
         "has no material"},
        {"vertex index", [](Model *m) { m->objects->groups->faces->vertex_indices[1] = 3; },
         "vertex index 3"},
        {"normal index", [](Model *m) { m->objects->groups->faces->normal_indices[0] = -1; },
         "normal index -1"},
        {"magnitude", [](Model *m) { m->vertices[4] = 32767.0f; }, "magnitude above 32766"},
        {"not a number", [](Model *m) { m->vertices[0] = NAN; }, "not a finite number"},
        {"diffuse not a number", [](Model *m) { m->materials->diffuse[0] = NAN; },
         "material \"m\" has a value that is not a finite number in its diffuse colour (Kd)"},
        {"ambient infinite", [](Model *m) { m->materials->ambient[3] = -INFINITY; },
         "its ambient colour (Ka)"},
        {"specular infinite", [](Model *m) { m->materials->specular[2] = INFINITY; },
         "its specular colour (Ks)"},
        {"dissolve", [](Model *m) { m->materials->dissolve = NAN; }, "its dissolve (d)"},
        {"shininess", [](Model *m) { m->materials->shininess = INFINITY; }, "its shininess (Ns)"},
        {"corners", [](Model *m) { m->objects->groups->faces->corner_count = 256; }, "256 corners"},
        {"pivot without group",
         [](Model *m) {
             m->objects->kind = OBJECT_PIVOT;
             m->objects->groups = nullptr;
         },
         "no group"},
        {"light without face",
         [](Model *m) {
             m->objects->kind = OBJECT_LIGHT;
             m->objects->groups->faces->corner_count = 0;
         },
         "no face"},
    };
    std::string path = temp_path("refused.dump");
    for (auto &c : cases) {
        Model m{};
        ASSERT_EQ(model_parse_dump(&m, d.bytes.data(), d.bytes.size()), 0);
        ModelGroup *group = m.objects->groups;
        ModelFace saved = *group->faces;
        c.breakit(&m);
        EXPECT_EQ(model_save_dump(&m, path.c_str()), -1) << c.what;
        EXPECT_FALSE(std::filesystem::exists(path)) << c.what;
        EXPECT_NE(std::string(model_last_error()).find(c.reason), std::string::npos)
            << c.what << ": " << model_last_error();
        m.objects->groups = group;
        *group->faces = saved;
        model_free(&m);
    }
}

TEST(DumpWrite, NoModelOrNoFile)
{
    EXPECT_EQ(model_save_dump(nullptr, temp_path("none.dump").c_str()), -1);
    Model empty{};
    EXPECT_EQ(model_save_dump(&empty, "/nonexistent-dir/x.dump"), -1);
}

}  // namespace
