#include "models/models.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Parses OBJ text (and optional MTL text) from copies that the parse may cut.
int parse_obj(Model *m, std::string obj, const char *mtl = nullptr)
{
    std::vector<char> text(obj.begin(), obj.end());
    text.push_back('\0');
    std::vector<char> mtl_text;
    if (mtl) {
        mtl_text.assign(mtl, mtl + strlen(mtl));
        mtl_text.push_back('\0');
    }
    return model_parse_obj(m, text.data(), mtl ? mtl_text.data() : nullptr, nullptr);
}

const char *square_vertices =
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
    "vn 0 0 1\nvn 0 0 -1\nvn 1 0 0\nvn 0 1 0\nvn -1 0 0\nvn 0 -1 0\nvn 0 0 1\nvn 0 0 1\n"
    "vn 0 0 1\nvn 0 0 1\n";

const char *one_material = "newmtl m\nKd 1 0 0\n";

std::vector<int> indices(const int *p, int n)
{
    return std::vector<int>(p, p + n);
}

TEST(ObjFaces, CornerForms)
{
    struct {
        const char *line;
        std::vector<int> vertices, normals;  // normal -1: the added face normal
    } cases[] = {
        {"f 1//1 2//2 3//3", {0, 1, 2}, {0, 1, 2}},
        {"f 5/2/7 6/3/8 7/4/9 8/5/10", {4, 5, 6, 7}, {6, 7, 8, 9}},
        {"f 1 2 3", {0, 1, 2}, {-1, -1, -1}},
        {"f 1/1 2/2 3/3", {0, 1, 2}, {-1, -1, -1}},
        {"f 1/1/ 2/2/ 3/3/", {0, 1, 2}, {-1, -1, -1}},
        {"f -8//-10 -7//-9 -6//-1", {0, 1, 2}, {0, 1, 9}},  // relative to what was read
        {"f\t1//1  2//2 \t3//3  ", {0, 1, 2}, {0, 1, 2}},   // tabs, runs and trailing blanks
        {"f 1//1 2//2 3//3 # a comment", {0, 1, 2}, {0, 1, 2}},
    };
    for (auto &c : cases) {
        Model m{};
        std::string text =
            std::string(square_vertices) + "mtllib x.mtl\no a\ng g\nusemtl m\n" + c.line + "\n";
        ASSERT_EQ(parse_obj(&m, text, one_material), 0) << c.line << ": " << model_last_error();
        const ModelFace *f = m.objects->groups->faces;
        ASSERT_EQ(f->corner_count, (int)c.vertices.size()) << c.line;
        EXPECT_EQ(indices(f->vertex_indices, f->corner_count), c.vertices) << c.line;
        std::vector<int> normals = c.normals;
        for (int &n : normals)
            if (n < 0)
                n = 10;  // appended after the ten normals of the text
        EXPECT_EQ(indices(f->normal_indices, f->corner_count), normals) << c.line;
        EXPECT_EQ(m.normal_count, c.normals[0] < 0 ? 11 : 10) << c.line;
        model_free(&m);
    }
}

TEST(ObjFaces, AddedFaceNormalIsTheUnitNormalOfTheWinding)
{
    Model m{};
    ASSERT_EQ(parse_obj(&m, "v 0 0 0\nv 2 0 0\nv 0 2 0\nf 1 2 3\nf 1 3 2\n"), 0);
    ASSERT_EQ(m.normal_count, 2);
    // Faces come out newest first; each has its own normal.
    const ModelFace *back = m.objects->groups->faces;
    const ModelFace *front = back->next;
    const float *n_front = m.normals + 3 * front->normal_indices[0];
    const float *n_back = m.normals + 3 * back->normal_indices[0];
    EXPECT_EQ(n_front[2], 1.0f);
    EXPECT_EQ(n_back[2], -1.0f);
    EXPECT_EQ(n_front[0], 0.0f);
    model_free(&m);
}

TEST(ObjFaces, EveryFaceWithoutNormalsGetsItsOwn)
{
    // Many faces across objects and groups, by turns without normals, with
    // them, and with some corners lacking one; the added normals follow the
    // text's one normal in the pool, one per face that lacks any.
    std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 -1\n";
    const char *faces[] = {"f 1 2 3\n", "f 1//1 2//1 3//1\n", "f 1//1 3 2\n"};
    for (int i = 0; i < 30000; i++) {
        if (i % 1000 == 0)
            text += (i % 2000 == 0 ? "o obj" : "g group") + std::to_string(i) + "\n";
        text += faces[i % 3];
    }
    Model m{};
    ASSERT_EQ(parse_obj(&m, text), 0) << model_last_error();
    EXPECT_EQ(m.normal_count, 1 + 20000);
    std::vector<int> uses(m.normal_count, 0);
    int face_count = 0;
    for (ModelObject *o = m.objects; o; o = o->next) {
        for (ModelGroup *g = o->groups; g; g = g->next) {
            for (ModelFace *f = g->faces; f; f = f->next, face_count++) {
                int added = f->normal_indices[f->corner_count - 1];
                ASSERT_GE(added, 0);
                ASSERT_LT(added, m.normal_count);
                if (added == 0)
                    continue;  // the text's normal throughout
                uses[added]++;
                // The face's own normal: 1 2 3 winds to +z, 1 3 2 to -z.
                float z = f->vertex_indices[1] == 1 ? 1.0f : -1.0f;
                EXPECT_EQ(m.normals[3 * added + 2], z);
                EXPECT_EQ(f->normal_indices[0], f->vertex_indices[1] == 1 ? added : 0);
            }
        }
    }
    EXPECT_EQ(face_count, 30000);
    for (int n = 1; n < m.normal_count; n++)
        ASSERT_EQ(uses[n], 1) << n;
    EXPECT_EQ(model_check_storable(&m), 0) << model_last_error();
    model_free(&m);
}

// A text of the usual nesting with lines separated by sep.
std::string nested(const char *sep)
{
    const char *lines[] = {"# a comment",
                           "mtllib m.mtl",
                           "v 0 0 0",
                           "v 1 0 0",
                           "v 0 1 0",
                           "#v 5 5 5",
                           "   ",
                           "vn 0 0 1",
                           "o tri",
                           "g front",
                           "usemtl m",
                           "f 1//1 2//1 3//1",
                           "g back",
                           "usemtl m",
                           "f 3//1 2//1 1//1",
                           "o pivot_tri",
                           "g marker",
                           "usemtl m",
                           "f 1//1 2//1 3//1"};
    std::string text;
    for (const char *line : lines)
        text += std::string(line) + sep;
    return text;
}

TEST(ObjText, LineSeparatorsCommentsAndBlankLines)
{
    for (const char *sep : {"\n", "\r\n", "\r", "\n\n"}) {
        Model m{};
        ASSERT_EQ(parse_obj(&m, nested(sep), one_material), 0) << model_last_error();
        EXPECT_EQ(m.vertex_count, 3);  // the commented vertex is not counted
        EXPECT_EQ(m.normal_count, 1);
        EXPECT_EQ(m.vertices[3], 1.0f);
        ModelObject *tri = model_find_object(&m, "tri");
        ASSERT_NE(tri, nullptr);
        EXPECT_STREQ(m.objects->name, "pivot_tri");  // reverse text order
        EXPECT_STREQ(tri->groups->name, "back");
        EXPECT_STREQ(tri->groups->next->name, "front");
        EXPECT_EQ(tri->groups->material, m.materials);
        EXPECT_EQ(tri->groups->display_list, -1);
        EXPECT_EQ(tri->pivot, m.objects);  // linked as after a dump read
        model_free(&m);
    }
}

TEST(ObjText, ErrorsNameTheLine)
{
    struct {
        const char *text;
        const char *message;
    } cases[] = {
        {"v 0 0 0\nv 1 0 0\nf 1 2 3\n",
         "OBJ text:3: vertex index in \"3\" is outside the vertices"},
        {"v 0 0 0\nf 1 -2 1\n", "OBJ text:2: vertex index in \"-2\""},
        {"v 0 0 0\nvn 0 0 1\nf 1//2 1//1 1//1\n", "OBJ text:3: normal index in \"1//2\""},
        {"v 0 0 0\nf 0 1 1\n", "OBJ text:2: bad face corner \"0\""},
        {"v 0 0 0\nf 1 x 1\n", "OBJ text:2: bad face corner \"x\""},
        {"v 1 2\n", "OBJ text:1: v needs more numbers"},
        {"\r\n\r\nvn 1 two 3\n", "OBJ text:3: \"two\" is not a number"},
        {"o\n", "OBJ text:1: o needs a name"},
        {"o a\ng b\nusemtl nothing\n",
         "OBJ text:3: material \"nothing\" is not in the material libraries"},
        {"f\n", "OBJ text:1: face without corners"},
        {"mtllib /nonexistent/lib.mtl\n",
         "OBJ text:1: cannot open material library \"/nonexistent/lib.mtl\""},
        {"mtllib\n", "OBJ text:1: mtllib needs a file name"},
    };
    for (auto &c : cases) {
        Model m{};
        EXPECT_EQ(parse_obj(&m, c.text), -1) << c.text;
        EXPECT_EQ(m.objects, nullptr);
        EXPECT_NE(std::string(model_last_error()).find(c.message), std::string::npos)
            << c.text << "-> " << model_last_error();
    }
    Model m{};
    EXPECT_EQ(parse_obj(&m, "o " + std::string(1000, 'n') + "\n"), -1);
    EXPECT_NE(std::string(model_last_error()).find("name of 1000 bytes or more"),
              std::string::npos);
    EXPECT_EQ(parse_obj(&m, "o " + std::string(999, 'n') + "\n"), 0);
    model_free(&m);
}

TEST(ObjText, ExporterOutputWithoutGroupsOrObjects)
{
    // What a modelling program writes: no g lines, materials switched
    // between faces, and faces without any object or material.
    const char *exported =
        "mtllib scene.mtl\no Cube\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\ns off\n"
        "usemtl Red\nf 1//1 2//1 3//1\nusemtl Blue\nf 3//1 2//1 1//1\nf 1//1 3//1 2//1\n";
    const char *mtl = "newmtl Red\nKd 1 0 0\nnewmtl Blue\nKd 0 0 1\n";
    Model m{};
    ASSERT_EQ(parse_obj(&m, exported, mtl), 0) << model_last_error();
    ModelObject *cube = model_find_object(&m, "Cube");
    ASSERT_NE(cube, nullptr);
    ASSERT_NE(cube->groups, nullptr);
    EXPECT_STREQ(cube->groups->name, "Blue");
    EXPECT_STREQ(cube->groups->material->name, "Blue");
    EXPECT_EQ(cube->groups->faces->next->next, nullptr);  // two faces
    EXPECT_STREQ(cube->groups->next->name, "Red");
    model_free(&m);

    ASSERT_EQ(parse_obj(&m, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"), 0);
    EXPECT_STREQ(m.objects->name, "default");
    ASSERT_NE(m.objects->groups, nullptr);
    ASSERT_NE(m.objects->groups->material, nullptr);
    EXPECT_STREQ(m.objects->groups->material->name, "default_white");
    EXPECT_EQ(m.objects->groups->material->diffuse[0], 1.0f);
    EXPECT_EQ(model_check_storable(&m), 0) << model_last_error();
    model_free(&m);

    ASSERT_EQ(parse_obj(&m, "g\n"), 0);  // a bare g
    EXPECT_STREQ(m.objects->groups->name, "default");
    model_free(&m);
}

TEST(ObjText, GivenMaterialTextServesEveryLibraryLine)
{
    Model m{};
    ASSERT_EQ(parse_obj(&m, "mtllib a.mtl\nmtllib /\nmtllib b.mtl c.mtl\no x\ng g\nusemtl m\n",
                        one_material),
              0)
        << model_last_error();
    EXPECT_STREQ(m.materials->name, "m");
    EXPECT_EQ(m.materials->next, nullptr);  // parsed once, no file opened
    model_free(&m);
}

TEST(ObjText, EmptyTextIsAnEmptyModel)
{
    Model m{};
    ASSERT_EQ(parse_obj(&m, ""), 0);
    EXPECT_EQ(m.objects, nullptr);
    EXPECT_EQ(m.vertex_count, 0);
    model_free(&m);
}

TEST(Mtl, KeywordsAndDefaults)
{
    Model m{};
    char text[] =
        "Kd 9 9 9\nnewmtl red\nKd 1 0 0\r\n\r\nnewmtl full\nKa 0.1 0.2 0.3\nKd 0.4 0.5 0.6\n"
        "Ks 0.7 0.8 0.9\nNs 12\nd 0.5\nillum 2\nnewmtl grey\nKd 0.5\n";
    EXPECT_EQ(model_parse_mtl(&m, text), 0);
    Material *grey = m.materials, *full = grey->next, *red = full->next;
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(red->next, nullptr);  // the stray Kd went nowhere
    const float red_diffuse[4] = {1, 0, 0, 1};
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(red->diffuse[i], red_diffuse[i]);
    // What the entry does not give: OpenGL's default material.
    EXPECT_EQ(red->ambient[0], 0.2f);
    EXPECT_EQ(red->ambient[3], 1.0f);
    EXPECT_EQ(red->specular[0], 0.0f);
    EXPECT_EQ(red->specular[3], 1.0f);
    EXPECT_EQ(red->shininess, 0.0f);
    EXPECT_EQ(red->dissolve, 1.0f);
    EXPECT_EQ(full->ambient[2], 0.3f);
    EXPECT_EQ(full->diffuse[1], 0.5f);
    EXPECT_EQ(full->specular[0], 0.7f);
    EXPECT_EQ(full->shininess, 12.0f);
    EXPECT_EQ(full->dissolve, 0.5f);
    EXPECT_EQ(grey->diffuse[2], 0.5f);  // one value is a grey
    model_free(&m);
}

TEST(ObjFile, MaterialLibraryFoundBesideTheObjFile)
{
    auto dir = std::filesystem::temp_directory_path() / ("tobuna-obj-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "thing.obj")
        << "mtllib thing.mtl\nv 0 0 0\no a\ng g\nusemtl paint\nf 1 1 1\n";
    std::ofstream(dir / "thing.mtl") << "newmtl paint\nKd 0 1 0\n";
    Model m{};
    ASSERT_EQ(model_load_obj(&m, (dir / "thing.obj").c_str()), 0) << model_last_error();
    EXPECT_EQ(m.objects->groups->material->diffuse[1], 1.0f);
    model_free(&m);

    std::filesystem::remove(dir / "thing.mtl");
    EXPECT_EQ(model_load_obj(&m, (dir / "thing.obj").c_str()), -1);
    std::string expected = (dir / "thing.obj").string() + ":1: cannot open material library";
    EXPECT_NE(std::string(model_last_error()).find(expected), std::string::npos)
        << model_last_error();
    EXPECT_EQ(model_load_obj(&m, (dir / "missing.obj").c_str()), -1);
    std::filesystem::remove_all(dir);
}

TEST(ObjFile, ANulByteIsAnErrorNamingItsOffset)
{
    using namespace std::string_literals;
    auto dir = std::filesystem::temp_directory_path() / ("tobuna-nul-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::string obj = (dir / "thing.obj").string(), mtl = (dir / "thing.mtl").string();
    struct {
        std::string obj_text, mtl_text, message;
    } cases[] = {
        // The text after the NUL would have been left out.
        {"v 0 0 0\r\nv 1 0 0\n\0f 1 2 1\n"s, "", obj + ":3: NUL byte at offset 17"},
        {"\0"s, "", obj + ":1: NUL byte at offset 0"},
        {"mtllib thing.mtl\nv 0 0 0\no a\ng g\nusemtl paint\nf 1 1 1\n",
         "newmtl paint\nKd 0 1\0 0\n"s, mtl + ":2: NUL byte at offset 19"},
    };
    for (auto &c : cases) {
        std::ofstream(obj, std::ios::binary) << c.obj_text;
        std::ofstream(mtl, std::ios::binary) << c.mtl_text;
        Model m{};
        EXPECT_EQ(model_load_obj(&m, obj.c_str()), -1);
        EXPECT_EQ(m.objects, nullptr);
        EXPECT_EQ(model_last_error(), c.message);
    }
    // Any binary file is refused at its first NUL byte.
    Model m{};
    EXPECT_EQ(model_load_obj(&m, "/bin/sh"), -1);
    EXPECT_NE(std::string(model_last_error()).find("/bin/sh:1: NUL byte at offset"),
              std::string::npos)
        << model_last_error();
    std::filesystem::remove_all(dir);
}

TEST(ObjFile, OnlyARegularFileIsRead)
{
    auto dir = std::filesystem::temp_directory_path() / ("tobuna-fifo-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::string fifo = (dir / "thing.obj").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Model m{};
    EXPECT_EQ(model_load_obj(&m, fifo.c_str()), -1);  // refused, not waited on
    EXPECT_EQ(model_last_error(), fifo + ": not a regular file");
    EXPECT_EQ(model_load_obj(&m, dir.c_str()), -1);
    EXPECT_EQ(model_last_error(), dir.string() + ": not a regular file");
    std::filesystem::remove_all(dir);
}

TEST(ObjRoundTrip, ObjToDumpAndBack)
{
    Model obj{};
    ASSERT_EQ(parse_obj(&obj, nested("\n") + "o point\ng lamp\nusemtl m\nf 2//1\n", one_material),
              0);
    std::string path = (std::filesystem::temp_directory_path() /
                        ("tobuna-rt-" + std::to_string(getpid()) + ".dump"))
                           .string();
    ASSERT_EQ(model_save_dump(&obj, path.c_str()), 0) << model_last_error();
    Model dump{};
    ASSERT_EQ(model_load_dump(&dump, path.c_str()), 0) << model_last_error();
    std::filesystem::remove(path);

    // Lists come back in text order: the reverse of the imported model's.
    EXPECT_STREQ(dump.objects->name, "tri");
    EXPECT_STREQ(dump.objects->groups->name, "front");
    EXPECT_EQ(dump.has_lights, 1);
    EXPECT_EQ(dump.objects->pivot, model_find_object(&dump, "pivot_tri"));
    std::vector<std::string> obj_names, dump_names;
    for (ModelObject *o = obj.objects; o; o = o->next)
        obj_names.insert(obj_names.begin(), o->name);
    for (ModelObject *o = dump.objects; o; o = o->next)
        dump_names.push_back(o->name);
    EXPECT_EQ(obj_names, dump_names);
    EXPECT_STREQ(dump.materials->name, "m");
    EXPECT_EQ(dump.materials->diffuse[0], 1.0f);
    const ModelFace *f = dump.objects->groups->faces;
    EXPECT_EQ(indices(f->vertex_indices, 3), (std::vector<int>{0, 1, 2}));
    ASSERT_EQ(dump.vertex_count, obj.vertex_count);
    for (int i = 0; i < 3 * obj.vertex_count; i++)
        EXPECT_LT(std::fabs(dump.vertices[i] - obj.vertices[i]), 1.0f / 16383.0f);
    model_free(&obj);
    model_free(&dump);
}

}  // namespace
