#include "dump_image.h"
#include "models/models.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

int parse(Model *model, const std::vector<uint8_t> &bytes)
{
    // An exact-size copy, so that a read past the end is a read past the
    // allocation for the memory checkers.
    uint8_t *copy = static_cast<uint8_t *>(malloc(bytes.size() ? bytes.size() : 1));
    if (!bytes.empty())
        memcpy(copy, bytes.data(), bytes.size());
    int result = model_parse_dump(model, copy, bytes.size());
    free(copy);
    return result;
}

bool is_empty(const Model &m)
{
    return !m.vertices && !m.normals && !m.objects && !m.materials && m.vertex_count == 0 &&
           m.normal_count == 0 && m.has_lights == 0;
}

// A small valid model: two materials, a mesh "key" of two groups, its pivot
// marker, and a light.
DumpImage valid_image()
{
    DumpImage d;
    d.header(10, {0, 0, 0, 10, 0, 1, 10, 0, -1, 0, 10, 1, 0, 10, -1, 2, 10, -1, 2, 10, 1},
             {0, 0, 10});
    d.material("ruumis").material("black", 0.0f);
    d.object("pivot_key").group("marker", "black", {{0, 1, 2}, {3, 4, 5, 6}});
    d.object("key").group("a", "ruumis", {{0, 1, 2}}).group("b", "black", {{0, 2, 1}, {3, 4, 5}});
    d.object("pointLamp").group("lamp", "ruumis", {{3}});
    d.end();
    return d;
}

TEST(DumpRead, LittleEndianUintsAndFloats)
{
    const uint8_t bytes[] = {0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0x00, 0x00, 0x80, 0x3f, 0xAA};
    DumpCursor c{bytes, bytes + sizeof bytes, 0};
    EXPECT_EQ(dump_read_uint(&c, 2), 0x1234u);
    EXPECT_EQ(dump_read_uint(&c, 4), 0x12345678u);
    EXPECT_EQ(dump_read_float(&c), 1.0f);
    EXPECT_FALSE(c.failed);
    EXPECT_EQ(dump_read_uint(&c, 2), 0u);  // one byte left: fails
    EXPECT_TRUE(c.failed);
    EXPECT_EQ(dump_read_uint(&c, 1), 0u);  // and stays failed
}

TEST(DumpParse, ScaleDividesEveryCoordinate)
{
    Model m{};
    ASSERT_EQ(parse(&m, DumpImage().header(324, {324, -324, 162}, {0, 0, -324}).end().bytes), 0);
    ASSERT_EQ(m.vertex_count, 1);
    EXPECT_EQ(m.vertices[0], 1.0f);
    EXPECT_EQ(m.vertices[1], -1.0f);
    EXPECT_EQ(m.vertices[2], 0.5f);
    ASSERT_EQ(m.normal_count, 1);
    EXPECT_EQ(m.normals[2], -1.0f);
    model_free(&m);
}

TEST(DumpParse, HeaderAndEndRecordAloneIsAnEmptyModel)
{
    Model m{};
    ASSERT_EQ(parse(&m, DumpImage().header(1, {}, {}).end().bytes), 0);
    EXPECT_TRUE(is_empty(m));
}

TEST(DumpParse, UnknownBytesBetweenRecordsAreSkipped)
{
    DumpImage d;
    d.header(1, {0, 0, 0}, {0, 0, 1}).material("m").u8(0).u8('z').u8(0xFF);
    d.object("a").u8(0).group("g", "m", {{0, 0, 0}}).u8('x').end().u8('o');  // past "q": ignored
    Model m{};
    ASSERT_EQ(parse(&m, d.bytes), 0);
    ASSERT_NE(m.objects, nullptr);
    EXPECT_STREQ(m.objects->name, "a");
    EXPECT_EQ(m.objects->next, nullptr);
    ASSERT_NE(m.objects->groups, nullptr);
    EXPECT_EQ(m.objects->groups->material, m.materials);
    model_free(&m);
}

TEST(DumpParse, ListsComeOutInReverseOrder)
{
    DumpImage d;
    d.header(1, {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 1});
    d.material("first").material("second");
    d.object("a").group("g1", "first", {{0, 1, 2}, {2, 1, 0, 1}}).group("g2", "second", {});
    d.object("b").end();
    Model m{};
    ASSERT_EQ(parse(&m, d.bytes), 0);
    EXPECT_STREQ(m.materials->name, "second");
    EXPECT_STREQ(m.materials->next->name, "first");
    EXPECT_STREQ(m.objects->name, "b");
    ModelObject *a = m.objects->next;
    EXPECT_STREQ(a->name, "a");
    EXPECT_STREQ(a->groups->name, "g2");
    ModelGroup *g1 = a->groups->next;
    EXPECT_STREQ(g1->name, "g1");
    EXPECT_EQ(g1->display_list, -1);
    ASSERT_EQ(g1->faces->corner_count, 4);  // the second face of the file
    EXPECT_EQ(g1->faces->vertex_indices[0], 2);
    EXPECT_EQ(g1->faces->next->corner_count, 3);
    model_free(&m);
}

TEST(DumpParse, DuplicateNames)
{
    DumpImage d;
    d.header(1, {0, 0, 0}, {0, 0, 1}).material("m", 0.25f).material("m", 0.75f);
    d.object("twin").group("g", "m", {}).object("twin").end();
    Model m{};
    ASSERT_EQ(parse(&m, d.bytes), 0);
    ModelObject *older = m.objects->next;
    EXPECT_EQ(older->groups->material->diffuse[0], 0.25f);  // the material read first
    EXPECT_EQ(model_find_object(&m, "twin"), m.objects);    // the object read last
    EXPECT_EQ(model_find_object(&m, "twi"), nullptr);
    EXPECT_EQ(model_find_object(&m, "Twin"), nullptr);
    model_free(&m);
}

TEST(DumpParse, MaterialValuesInRecordOrder)
{
    DumpImage d;
    d.header(1, {}, {}).u8('m').name("mat");
    for (int i = 1; i <= 11; i++)
        d.f32((float)i);
    Model m{};
    ASSERT_EQ(parse(&m, d.end().bytes), 0);
    const Material *mat = m.materials;
    const float expected[3][4] = {{1, 2, 3, 1}, {4, 5, 6, 1}, {7, 8, 9, 1}};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(mat->ambient[i], expected[0][i]);
        EXPECT_EQ(mat->diffuse[i], expected[1][i]);
        EXPECT_EQ(mat->specular[i], expected[2][i]);
    }
    EXPECT_EQ(mat->dissolve, 10.0f);
    EXPECT_EQ(mat->shininess, 11.0f);
    model_free(&m);
}

TEST(ObjectKinds, DecidedByName)
{
    struct {
        const char *name;
        int kind;
    } cases[] = {
        {"point", OBJECT_LIGHT},     {"pointLamp", OBJECT_LIGHT}, {"poin", OBJECT_MESH},
        {"pivot_key", OBJECT_PIVOT}, {"pivot_", OBJECT_PIVOT},    {"pivot", OBJECT_MESH},
        {"Pivot_key", OBJECT_MESH},  {"body", OBJECT_MESH},       {"", OBJECT_MESH},
    };
    for (const auto &c : cases)
        EXPECT_EQ(model_object_kind(c.name), c.kind) << c.name;

    Model m{};
    ASSERT_EQ(parse(&m, valid_image().bytes), 0);
    EXPECT_EQ(m.has_lights, 1);
    EXPECT_EQ(model_find_object(&m, "pointLamp")->kind, OBJECT_LIGHT);
    EXPECT_EQ(model_find_object(&m, "pivot_key")->kind, OBJECT_PIVOT);
    model_free(&m);

    ASSERT_EQ(parse(&m, DumpImage().header(1, {}, {}).object("pivot").end().bytes), 0);
    EXPECT_EQ(m.objects->kind, OBJECT_MESH);
    EXPECT_EQ(m.has_lights, 0);
    model_free(&m);
}

TEST(Pivots, TipOppositeTheShortestEdgeAndAxisToThePolygonCentre)
{
    Model m{};
    ASSERT_EQ(parse(&m, valid_image().bytes), 0);
    ModelObject *pivot = model_find_object(&m, "pivot_key");
    ModelObject *key = model_find_object(&m, "key");
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(pivot->pivot_point[i], 0.0f);
    EXPECT_FLOAT_EQ(pivot->axis[0], 0.1f);
    EXPECT_FLOAT_EQ(pivot->axis[1], 1.0f);
    EXPECT_FLOAT_EQ(pivot->axis[2], 0.0f);
    EXPECT_EQ(key->pivot, pivot);
    EXPECT_EQ(key->angle, 0.0f);
    EXPECT_EQ(model_find_object(&m, "pointLamp")->pivot, nullptr);
    model_free(&m);
}

// A pivot marker over the given vertices, computed after parsing.
ModelObject *parse_marker(Model *m, std::initializer_list<int> vertices,
                          std::initializer_list<std::initializer_list<int>> faces)
{
    DumpImage d;
    d.header(1, vertices, {0, 0, 1}).material("m").object("pivot_x").group("g", "m", faces).end();
    EXPECT_EQ(parse(m, d.bytes), 0);
    return m->objects;
}

TEST(Pivots, TipAxisAndIgnoredFaces)
{
    Model m{};
    // Equal edges (all of squared length 2): the first corner is the tip.
    ModelObject *p = parse_marker(&m, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {{0, 1, 2}});
    EXPECT_EQ(p->pivot_point[0], 1.0f);
    EXPECT_EQ(p->pivot_point[1], 0.0f);
    EXPECT_EQ(p->axis[0], -1.0f);  // no polygon: the axis is minus the tip
    EXPECT_EQ(p->axis[1], 0.0f);
    EXPECT_EQ(p->axis[2], 0.0f);
    model_free(&m);

    // Each corner in turn opposite the shortest edge.
    p = parse_marker(&m, {0, 0, 0, 10, 0, 0, 10, 1, 0}, {{0, 1, 2}});  // B-C shortest: tip A
    EXPECT_EQ(p->pivot_point[0], 0.0f);
    model_free(&m);
    p = parse_marker(&m, {10, 1, 0, 0, 0, 0, 10, 0, 0}, {{0, 1, 2}});  // C-A shortest: tip B
    EXPECT_EQ(p->pivot_point[0], 0.0f);
    model_free(&m);
    p = parse_marker(&m, {10, 0, 0, 10, 1, 0, 0, 0, 0}, {{0, 1, 2}});  // A-B shortest: tip C
    EXPECT_EQ(p->pivot_point[0], 0.0f);
    model_free(&m);

    // No triangle: the point stays at the origin and the axis is the centroid.
    p = parse_marker(&m, {0, 0, 0, 4, 0, 0, 4, 4, 0, 0, 4, 0}, {{0, 1, 2, 3}});
    EXPECT_EQ(p->pivot_point[0], 0.0f);
    EXPECT_EQ(p->axis[0], 2.0f);
    EXPECT_EQ(p->axis[1], 2.0f);
    model_free(&m);

    // Later triangles are ignored; faces of one or two corners too.
    p = parse_marker(&m, {0, 0, 0, 10, 0, 0, 10, 1, 0, 20, 20, 20},
                     {{3, 3, 3}, {0, 3}, {0, 1, 2}, {3}});
    // list order: {3}, {0,1,2}, {0,3}, {3,3,3}: the first triangle is {0,1,2}
    EXPECT_EQ(p->pivot_point[0], 0.0f);
    EXPECT_EQ(p->pivot_point[1], 0.0f);
    model_free(&m);
}

TEST(Pivots, LinkByUnderscoreAndNameAnywhereInThePivotName)
{
    DumpImage d;
    d.header(1, {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, {0, 0, 1}).material("m");
    d.object("pivot_tail").group("g", "m", {{0, 1, 2}});
    d.object("pivot_ta").group("g", "m", {{0, 1, 2}});
    d.object("ta").object("tail").object("ail").object("key");
    Model m{};
    ASSERT_EQ(parse(&m, d.end().bytes), 0);
    ModelObject *newer_pivot = model_find_object(&m, "pivot_ta");
    EXPECT_EQ(model_find_object(&m, "tail")->pivot, model_find_object(&m, "pivot_tail"));
    EXPECT_EQ(model_find_object(&m, "ta")->pivot, newer_pivot);  // first pivot in list order
    EXPECT_EQ(model_find_object(&m, "ail")->pivot, nullptr);     // no "_ail" in either
    EXPECT_EQ(model_find_object(&m, "key")->pivot, nullptr);
    EXPECT_EQ(newer_pivot->pivot, nullptr);  // pivots are not linked
    model_free(&m);
}

TEST(DumpParse, RecordsEndingWithoutEndRecordLoadAsAnEarlyEnd)
{
    std::vector<uint8_t> bytes = valid_image().bytes;
    bytes.pop_back();  // the "q"
    Model m{};
    ASSERT_EQ(parse(&m, bytes), 0);
    EXPECT_NE(model_find_object(&m, "key"), nullptr);
    model_free(&m);
}

TEST(DumpParse, BrokenImagesFailWithAReasonAndLeaveTheModelEmpty)
{
    std::string long_name(1000, 'x');
    struct {
        const char *what;
        DumpImage image;
        const char *reason;
    } cases[] = {
        {"nothing", DumpImage(), "byte 0: header cut short"},
        {"scale 0", DumpImage().header(0, {}, {}).end(), "scale is 0"},
        {"vertices cut short", DumpImage().u16(1).u32(2).u16(0),
         "byte 2: 2 vertices do not fit in the 2 bytes left"},
        {"one vertex cut short", DumpImage().u16(1).u32(1).u16(0),
         "byte 2: 1 vertex does not fit in the 2 bytes left"},
        {"huge normal count", DumpImage().u16(1).u32(0).u32(0xFFFFFFFF),
         "byte 6: 4294967295 normals do not fit in the 0 bytes left"},
        {"group before object", DumpImage().header(1, {}, {}).material("m").group("g", "m", {}),
         "byte 57: group before any object"},
        {"unknown material",
         DumpImage().header(1, {}, {}).material("m").object("o").group("g", "n", {}),
         "group names a material not defined before it"},
        {"material after group",
         DumpImage().header(1, {}, {}).object("o").group("g", "m", {}).material("m"),
         "group names a material not defined before it"},
        {"vertex index at pool end",
         DumpImage()
             .header(1, {0, 0, 0}, {0, 0, 1})
             .material("m")
             .object("o")
             .group("g", "m", {{0, 1, 0}}),
         "vertex index 1 beyond the 1 vertices"},
        {"normal index at pool end",
         DumpImage().header(1, {0, 0, 0}, {}).material("m").object("o").group("g", "m", {{0}}),
         "normal index 0 beyond the 0 normals"},
        {"name of 1000 bytes", DumpImage().header(1, {}, {}).object(long_name).end(),
         "object name of 1000 bytes or more"},
        {"name cut short", DumpImage().header(1, {}, {}).u8('o').u8('a'), "object name cut short"},
        {"material values cut short", DumpImage().header(1, {}, {}).u8('m').name("m").f32(1),
         "material values cut short"},
        {"face count cut short",
         DumpImage().header(1, {}, {}).material("m").object("o").u8('g').name("g").name("m").u8(1),
         "face count cut short"},
        {"too many faces",
         DumpImage()
             .header(1, {}, {})
             .material("m")
             .object("o")
             .u8('g')
             .name("g")
             .name("m")
             .u16(9)
             .u8(0),
         "faces do not fit"},
        {"face cut short",
         DumpImage()
             .header(1, {0, 0, 0}, {0, 0, 1})
             .material("m")
             .object("o")
             .u8('g')
             .name("g")
             .name("m")
             .u16(1)
             .u8(2)
             .u16(0),
         "face cut short"},
        {"pivot without group", DumpImage().header(1, {}, {}).object("pivot_key").end(),
         "pivot object \"pivot_key\" has no group"},
        {"light without face",
         DumpImage().header(1, {}, {}).material("m").object("point").group("g", "m", {}).end(),
         "light object \"point\" has no face"},
        {"light with an empty face",
         DumpImage().header(1, {}, {}).material("m").object("point").group("g", "m", {{}}).end(),
         "light object \"point\" has no face"},
    };
    for (auto &c : cases) {
        Model m{};
        EXPECT_EQ(parse(&m, c.image.bytes), -1) << c.what;
        EXPECT_TRUE(is_empty(m)) << c.what;
        EXPECT_NE(std::string(model_last_error()).find(c.reason), std::string::npos)
            << c.what << ": " << model_last_error();
    }
}

TEST(DumpParse, EveryPrefixAndEveryCorruptedByteLoadsOrFailsCleanly)
{
    const std::vector<uint8_t> valid = valid_image().bytes;
    for (size_t n = 0; n <= valid.size(); n++) {
        Model m{};
        std::vector<uint8_t> prefix(valid.begin(), valid.begin() + (long)n);
        int result = parse(&m, prefix);
        ASSERT_TRUE(result == 0 || (result == -1 && is_empty(m))) << "prefix " << n;
        model_free(&m);
    }
    for (size_t i = 0; i < valid.size(); i++) {
        for (uint8_t value : {0x00, 0x01, 0x67, 0x6D, 0x6F, 0x71, 0x7F, 0x80, 0xFF}) {
            std::vector<uint8_t> bytes = valid;
            bytes[i] = value;
            Model m{};
            int result = parse(&m, bytes);
            ASSERT_TRUE(result == 0 || (result == -1 && is_empty(m))) << "byte " << i;
            model_free(&m);
        }
    }
}

// Bytes the C heap counts as handed out (chunks its per-thread caches hold
// count too, so only a steady state can be compared). Under AddressSanitizer
// the C heap is not used and this stays still; its leak check does the work.
size_t heap_in_use()
{
    return mallinfo2().uordblks;
}

TEST(ModelFree, ReleasesEverythingTheModelOwns)
{
    model_free(nullptr);  // no model: nothing
    Model empty{};
    model_free(&empty);

    // A model of every kind of record, read from an image and from a file
    // (the shipped mouse), loaded and freed again and again: once the heap's
    // caches are warm, its use stays where it was. A record left behind by
    // each free would add up to kilobytes.
    const std::vector<uint8_t> image = valid_image().bytes;
    const std::string mouse = TOBUNA_SOURCE_DIR "/data/hiiri.dump";
    for (int from_file = 0; from_file < 2; from_file++) {
        size_t warm = 0;
        int failures = 0;
        bool cleared = false;
        for (int round = 0; round < 500; round++) {
            if (round == 50)
                warm = heap_in_use();
            Model m{};
            int result = from_file ? model_load_dump(&m, mouse.c_str())
                                   : model_parse_dump(&m, image.data(), image.size());
            failures += result != 0 || !m.objects;
            model_free(&m);
            cleared = cleared || !m.objects;  // fields are not cleared
        }
        size_t after = heap_in_use();
        EXPECT_EQ(failures, 0) << model_last_error();
        EXPECT_FALSE(cleared);
        EXPECT_EQ(after, warm) << from_file;
    }
}

// Runs a test body in a fresh working directory holding data/ with the
// given files copied from the repository's data.
class DataDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        old_cwd = std::filesystem::current_path();
        dir = std::filesystem::temp_directory_path() /
              ("tobuna-data-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir / "data");
        std::filesystem::current_path(dir);
        for (Model *slot : {&mouse_model, &football_model, &bowling_ball_model, &beach_ball_model,
                            &tennis_ball_model, &cube_model, &title_ball_model, &font_model}) {
            model_free(slot);
            *slot = Model{};
        }
    }
    void TearDown() override
    {
        std::filesystem::current_path(old_cwd);
        std::filesystem::remove_all(dir);
    }
    void copy_data(std::initializer_list<const char *> names)
    {
        for (const char *name : names)
            std::filesystem::copy_file(std::filesystem::path(TOBUNA_SOURCE_DIR) / "data" / name,
                                       dir / "data" / name);
    }
    std::filesystem::path old_cwd, dir;
};

TEST_F(DataDirTest, LoadModelsReportsOnlyTheMouse)
{
    copy_data({"hiiri.dump", "jalkapallo2.dump", "rantapallo.dump", "keilapallo.dump",
               "tennari.dump"});  // no kube.dump
    EXPECT_EQ(load_models(), 0);
    EXPECT_TRUE(is_empty(cube_model));
    EXPECT_NE(mouse_model.objects, nullptr);
    EXPECT_NE(tennis_ball_model.objects, nullptr);
}

TEST_F(DataDirTest, LoadModelsFailsWithoutTheMouse)
{
    copy_data({"kube.dump"});
    EXPECT_EQ(load_models(), -1);
    EXPECT_TRUE(is_empty(mouse_model));
    EXPECT_NE(cube_model.objects, nullptr);
}

TEST_F(DataDirTest, TitleBallChosenByFlagBits)
{
    copy_data({"jalkapallo2.dump", "rantapallo.dump", "fontti.dump"});
    load_title_assets(0x7FFFFFE7);  // bits 3 and 4 clear: the football
    Model football{};
    ASSERT_EQ(model_load_dump(&football, "data/jalkapallo2.dump"), 0);
    EXPECT_STREQ(title_ball_model.objects->name, football.objects->name);
    EXPECT_NE(font_model.objects, nullptr);
    model_free(&football);
}

TEST_F(DataDirTest, BeachBallWhenEitherFlagBitIsSet)
{
    copy_data({"rantapallo.dump"});
    for (int flags : {0x08, 0x10}) {
        model_free(&title_ball_model);
        title_ball_model = Model{};
        load_title_assets(flags);
        ASSERT_NE(title_ball_model.objects, nullptr) << flags;
        EXPECT_STREQ(title_ball_model.objects->name, "rantapallo");
    }
    EXPECT_TRUE(is_empty(font_model));  // no font file: the slot stays empty
    EXPECT_EQ(load_font("data/fontti.dump"), -1);
}

TEST_F(DataDirTest, MissingFileLeavesTheModelUntouched)
{
    Model m{};
    m.vertex_count = 7;
    EXPECT_EQ(model_load_dump(&m, "data/none.dump"), -1);
    EXPECT_EQ(m.vertex_count, 7);
    EXPECT_EQ(model_load_dump(&m, "data"), -1);  // a directory
    EXPECT_STREQ(model_last_error(), "not a regular file");
    EXPECT_EQ(m.vertex_count, 7);
}

TEST(DataFiles, EveryDumpInDataLoadsAndHasWhatTheShowLooksFor)
{
    int files = 0;
    for (const auto &entry :
         std::filesystem::directory_iterator(std::filesystem::path(TOBUNA_SOURCE_DIR) / "data")) {
        if (entry.path().extension() != ".dump")
            continue;
        files++;
        Model m{};
        ASSERT_EQ(model_load_dump(&m, entry.path().c_str()), 0)
            << entry.path() << ": " << model_last_error();
        EXPECT_NE(m.objects, nullptr) << entry.path();
        EXPECT_EQ(model_check_storable(&m), 0) << entry.path() << ": " << model_last_error();
        model_free(&m);
    }
    EXPECT_EQ(files, 7);

    Model mouse{};
    ASSERT_EQ(model_load_dump(&mouse, TOBUNA_SOURCE_DIR "/data/hiiri.dump"), 0);
    for (const char *name : {"body", "key", "tail"})
        EXPECT_NE(model_find_object(&mouse, name), nullptr) << name;
    bool ruumis = false;
    for (ModelGroup *g = model_find_object(&mouse, "body")->groups; g; g = g->next)
        ruumis |= strcmp(g->material->name, "ruumis") == 0;
    EXPECT_TRUE(ruumis);
    model_free(&mouse);

    Model font{};
    ASSERT_EQ(model_load_dump(&font, TOBUNA_SOURCE_DIR "/data/fontti.dump"), 0);
    for (const char *word : {"tobuna", "by", "kov", "trolvenki"})
        for (const char *c = word; *c; c++)
            EXPECT_NE(model_find_object(&font, std::string(1, *c).c_str()), nullptr) << *c;
    model_free(&font);
}

}  // namespace
