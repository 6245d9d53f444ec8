// The models in data/ as the renderer needs them: every face a planar convex
// polygon that agrees with its normals, every drawn object a closed surface
// wound outward, and what the show looks for in each model.
#include "models/models.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <numeric>
#include <string>
#include <vector>

namespace {

struct V3 {
    double x, y, z;
};
V3 operator-(V3 a, V3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 operator+(V3 a, V3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
double dot(V3 a, V3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
V3 cross(V3 a, V3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(V3 a)
{
    return std::sqrt(dot(a, a));
}

// A model loaded from data/, released at the end of the test.
struct DataModel {
    Model m{};
    explicit DataModel(const std::string &name)
    {
        std::string path = std::string(TOBUNA_SOURCE_DIR) + "/data/" + name;
        loaded = model_load_dump(&m, path.c_str()) == 0;
    }
    ~DataModel()
    {
        model_free(&m);
    }
    bool loaded;
};

const char *const files[] = {"hiiri.dump",      "jalkapallo2.dump", "rantapallo.dump",
                             "keilapallo.dump", "tennari.dump",     "kube.dump",
                             "fontti.dump"};
const char *const balls[] = {"jalkapallo2.dump", "rantapallo.dump", "keilapallo.dump",
                             "tennari.dump"};

V3 vertex(const Model &m, int i)
{
    return {m.vertices[3 * i], m.vertices[3 * i + 1], m.vertices[3 * i + 2]};
}
V3 normal(const Model &m, int i)
{
    return {m.normals[3 * i], m.normals[3 * i + 1], m.normals[3 * i + 2]};
}
V3 corner(const Model &m, const ModelFace *f, int i)
{
    return vertex(m, f->vertex_indices[i]);
}

// Newell's normal: twice the area along the counter-clockwise front.
V3 area_vector(const Model &m, const ModelFace *f)
{
    V3 n{0, 0, 0};
    for (int i = 0; i < f->corner_count; i++)
        n = n + cross(corner(m, f, i), corner(m, f, (i + 1) % f->corner_count));
    return n;
}

int face_count_group(const ModelGroup *g)
{
    int count = 0;
    for (const ModelFace *f = g->faces; f; f = f->next)
        count++;
    return count;
}

int face_count(const ModelObject *o)
{
    int count = 0;
    for (const ModelGroup *g = o->groups; g; g = g->next)
        count += face_count_group(g);
    return count;
}

// Smallest and largest vertex coordinates used by the object's faces.
void object_bounds(const Model &m, const ModelObject *o, V3 *low, V3 *high)
{
    *low = {1e9, 1e9, 1e9};
    *high = {-1e9, -1e9, -1e9};
    for (const ModelGroup *g = o->groups; g; g = g->next)
        for (const ModelFace *f = g->faces; f; f = f->next)
            for (int i = 0; i < f->corner_count; i++) {
                V3 p = corner(m, f, i);
                *low = {std::min(low->x, p.x), std::min(low->y, p.y), std::min(low->z, p.z)};
                *high = {std::max(high->x, p.x), std::max(high->y, p.y), std::max(high->z, p.z)};
            }
}

TEST(DataModels, EveryFaceIsPlanarConvexAndAgreesWithItsNormals)
{
    for (const char *file : files) {
        DataModel d(file);
        ASSERT_TRUE(d.loaded) << file << ": " << model_last_error();
        int faces = 0;
        for (const ModelObject *o = d.m.objects; o; o = o->next)
            for (const ModelGroup *g = o->groups; g; g = g->next)
                for (const ModelFace *f = g->faces; f; f = f->next, faces++) {
                    SCOPED_TRACE(std::string(file) + " object " + o->name + " group " + g->name);
                    ASSERT_GE(f->corner_count, 3);
                    V3 area = area_vector(d.m, f);
                    ASSERT_GT(length(area), 1e-6) << "a face without area";
                    V3 n = {area.x / length(area), area.y / length(area), area.z / length(area)};
                    V3 centre{0, 0, 0};
                    for (int i = 0; i < f->corner_count; i++)
                        centre = centre + corner(d.m, f, i);
                    centre = {centre.x / f->corner_count, centre.y / f->corner_count,
                              centre.z / f->corner_count};
                    for (int i = 0; i < f->corner_count; i++) {
                        V3 p = corner(d.m, f, i);
                        // Stored coordinates are rounded to about 1e-4.
                        EXPECT_LT(std::fabs(dot(p - centre, n)), 1e-3)
                            << "corner " << i << " off the face's plane";
                        V3 in = p - corner(d.m, f, (i + f->corner_count - 1) % f->corner_count);
                        V3 out = corner(d.m, f, (i + 1) % f->corner_count) - p;
                        EXPECT_GT(dot(cross(in, out), n) / (length(in) * length(out)), -1e-3)
                            << "the face turns back at corner " << i << ": not convex";
                        EXPECT_GT(dot(normal(d.m, f->normal_indices[i]), n), 0.0)
                            << "corner " << i << "'s normal faces away from the face";
                    }
                }
        EXPECT_GT(faces, 0) << file;
    }
}

// Every edge of a closed surface whose faces all wind one way is used once
// in each direction; each connected piece then encloses positive volume
// when its faces wind counter-clockwise seen from outside.
TEST(DataModels, EveryDrawnObjectIsClosedAndWindsOutward)
{
    for (const char *file : files) {
        DataModel d(file);
        ASSERT_TRUE(d.loaded) << file;
        for (const ModelObject *o = d.m.objects; o; o = o->next) {
            if (o->kind != OBJECT_MESH)
                continue;
            SCOPED_TRACE(std::string(file) + " object " + o->name);
            std::map<std::pair<int, int>, int> edges;
            std::vector<int> piece(d.m.vertex_count);
            std::iota(piece.begin(), piece.end(), 0);
            auto root = [&](int v) {
                while (piece[v] != v)
                    v = piece[v] = piece[piece[v]];
                return v;
            };
            for (const ModelGroup *g = o->groups; g; g = g->next)
                for (const ModelFace *f = g->faces; f; f = f->next)
                    for (int i = 0; i < f->corner_count; i++) {
                        int a = f->vertex_indices[i],
                            b = f->vertex_indices[(i + 1) % f->corner_count];
                        edges[{a, b}]++;
                        piece[root(a)] = root(b);
                    }
            int open = 0;
            for (const auto &[edge, count] : edges)
                open += count != 1 || !edges.count({edge.second, edge.first});
            EXPECT_EQ(open, 0) << "edges not matched by exactly one edge the other way";

            std::map<int, double> volume;  // six times, by piece
            for (const ModelGroup *g = o->groups; g; g = g->next)
                for (const ModelFace *f = g->faces; f; f = f->next)
                    for (int i = 1; i + 1 < f->corner_count; i++)
                        volume[root(f->vertex_indices[0])] +=
                            dot(corner(d.m, f, 0), cross(corner(d.m, f, i), corner(d.m, f, i + 1)));
            for (const auto &[p, v] : volume)
                EXPECT_GT(v, 1e-7) << "a piece winds inward (or is flat); vertex " << p;
        }
    }
}

TEST(DataModels, FacesStayWithinTheirBudgets)
{
    // The outline pass costs about a microsecond a face on a software
    // renderer, and a scene holds some twenty mice and a few balls.
    const struct {
        const char *file;
        int most;
    } budgets[] = {
        {"hiiri.dump", 270},      {"jalkapallo2.dump", 140}, {"rantapallo.dump", 120},
        {"keilapallo.dump", 130}, {"tennari.dump", 220},     {"kube.dump", 6},
    };
    for (const auto &b : budgets) {
        DataModel d(b.file);
        ASSERT_TRUE(d.loaded) << b.file;
        int faces = 0;
        for (const ModelObject *o = d.m.objects; o; o = o->next)
            if (o->kind == OBJECT_MESH)
                faces += face_count(o);
        EXPECT_LE(faces, b.most) << b.file;
    }
    DataModel font("fontti.dump");
    ASSERT_TRUE(font.loaded);
    for (const ModelObject *o = font.m.objects; o; o = o->next)
        EXPECT_LE(face_count(o), 110) << "glyph " << o->name;
}

TEST(MouseModel, HasItsPartsKeyAndTailTurningAboutTheirPivots)
{
    DataModel d("hiiri.dump");
    ASSERT_TRUE(d.loaded);
    ModelObject *body = model_find_object(&d.m, "body");
    ModelObject *key = model_find_object(&d.m, "key");
    ModelObject *tail = model_find_object(&d.m, "tail");
    ASSERT_TRUE(body && key && tail);
    EXPECT_EQ(d.m.has_lights, 0);

    // The largest group of the body takes the body colour.
    const ModelGroup *largest = body->groups;
    for (const ModelGroup *g = body->groups; g; g = g->next)
        if (face_count_group(g) > face_count_group(largest))
            largest = g;
    EXPECT_STREQ(largest->material->name, "ruumis");

    // Feet on the floor, about 2.7 long along z and 2 wide.
    V3 low, high;
    object_bounds(d.m, body, &low, &high);
    EXPECT_NEAR(low.y, 0.0, 0.005);
    EXPECT_NEAR(high.z - low.z, 2.7, 0.15);
    EXPECT_NEAR(high.x - low.x, 2.0, 0.15);
    EXPECT_NEAR(low.x + high.x, 0.0, 0.01);
    EXPECT_GT(high.z, 1.2) << "the nose points toward +z";

    // The key turns about an upward axis out of the top of the back.
    ASSERT_NE(key->pivot, nullptr);
    EXPECT_STREQ(key->pivot->name, "pivot_key");
    V3 axis = {key->pivot->axis[0], key->pivot->axis[1], key->pivot->axis[2]};
    V3 point = {key->pivot->pivot_point[0], key->pivot->pivot_point[1], key->pivot->pivot_point[2]};
    EXPECT_GT(axis.y / length(axis), 0.99);
    EXPECT_LT(point.z, 0.0) << "on the back half";
    EXPECT_GT(point.y, 1.0) << "on top";
    object_bounds(d.m, key, &low, &high);
    EXPECT_GT(high.y, point.y + 0.4) << "the key stands up out of the back";

    // The tail leaves the rump backward and stays close about its axis, so
    // that its turn shows as a wiggle.
    ASSERT_NE(tail->pivot, nullptr);
    EXPECT_STREQ(tail->pivot->name, "pivot_tail");
    V3 ta = {tail->pivot->axis[0], tail->pivot->axis[1], tail->pivot->axis[2]};
    V3 tp = {tail->pivot->pivot_point[0], tail->pivot->pivot_point[1], tail->pivot->pivot_point[2]};
    EXPECT_LT(ta.z / length(ta), -0.95);
    double farthest = 0.0, reach = 0.0;
    for (const ModelGroup *g = tail->groups; g; g = g->next)
        for (const ModelFace *f = g->faces; f; f = f->next)
            for (int i = 0; i < f->corner_count; i++) {
                V3 r = corner(d.m, f, i) - tp;
                double along = dot(r, ta) / length(ta);
                farthest = std::max(farthest, length(cross(r, ta)) / length(ta));
                reach = std::max(reach, along);
            }
    EXPECT_LT(farthest, 0.3);
    EXPECT_GT(reach, 1.0);
}

TEST(BallModels, AreUnitSpheresWithoutLights)
{
    for (const char *file : balls) {
        DataModel d(file);
        ASSERT_TRUE(d.loaded) << file;
        EXPECT_EQ(d.m.has_lights, 0) << file;
        // Nothing stands out past the radius (the scene lifts the ball by
        // it); the shell lies on it. The holes and the seam reach inside.
        for (int i = 0; i < d.m.vertex_count; i++)
            EXPECT_LE(length(vertex(d.m, i)), 1.02) << file << " vertex " << i;
        int shell = 0;
        for (const ModelObject *o = d.m.objects; o; o = o->next)
            for (const ModelGroup *g = o->groups; g; g = g->next) {
                if (strcmp(g->name, "reiat") == 0 || strcmp(g->name, "sauma") == 0)
                    continue;
                for (const ModelFace *f = g->faces; f; f = f->next, shell++)
                    for (int i = 0; i < f->corner_count; i++)
                        EXPECT_NEAR(length(corner(d.m, f, i)), 1.0, 0.02)
                            << file << " group " << g->name;
            }
        EXPECT_GT(shell, 60) << file;
    }
}

// Each ball shows its kind by its colours: the faces of each material, by
// corner count, and the colour of the material.
TEST(BallModels, ShowTheirKindsColours)
{
    auto materials = [](const Model &m) {
        std::map<std::string, const Material *> by_name;
        for (const Material *mat = m.materials; mat; mat = mat->next)
            by_name[mat->name] = mat;
        return by_name;
    };
    auto faces_of = [](const Model &m, const char *material, int corners) {
        int count = 0;
        for (const ModelObject *o = m.objects; o; o = o->next)
            for (const ModelGroup *g = o->groups; g; g = g->next)
                if (strcmp(g->material->name, material) == 0)
                    for (const ModelFace *f = g->faces; f; f = f->next)
                        count += corners == 0 || f->corner_count == corners;
        return count;
    };
    auto grey = [](const Material *mat) {
        return (mat->diffuse[0] + mat->diffuse[1] + mat->diffuse[2]) / 3.0;
    };

    DataModel football("jalkapallo2.dump");
    ASSERT_TRUE(football.loaded);
    EXPECT_EQ(faces_of(football.m, "musta", 5), 12) << "twelve black pentagons";
    EXPECT_EQ(faces_of(football.m, "valkoinen", 3), 120)
        << "twenty white hexagons of six triangles";
    EXPECT_LT(grey(materials(football.m)["musta"]), 0.2);
    EXPECT_GT(grey(materials(football.m)["valkoinen"]), 0.9);

    DataModel beach("rantapallo.dump");
    ASSERT_TRUE(beach.loaded);
    EXPECT_GE(materials(beach.m).size(), 5u) << "gores of several colours";
    EXPECT_EQ(faces_of(beach.m, "valkoinen", 18), 2) << "a white cap on each pole";

    DataModel bowling("keilapallo.dump");
    ASSERT_TRUE(bowling.loaded);
    EXPECT_LT(grey(materials(bowling.m)["keila"]), 0.35) << "dark";
    EXPECT_GE(materials(bowling.m)["keila"]->shininess, 50.0f) << "glossy";
    EXPECT_EQ(faces_of(bowling.m, "reika", 6), 6) << "three holes, each a hexagon in and out";

    DataModel tennis("tennari.dump");
    ASSERT_TRUE(tennis.loaded);
    const Material *felt = materials(tennis.m)["huopa"];
    ASSERT_NE(felt, nullptr);
    EXPECT_GT(felt->diffuse[1], 0.8f) << "yellow-green";
    EXPECT_LT(felt->diffuse[2], 0.3f);
    EXPECT_GT(faces_of(tennis.m, "sauma", 0), 0);
    EXPECT_GT(grey(materials(tennis.m)["sauma"]), 0.9) << "a white seam";
}

TEST(CubeModel, SpansMinusOneToOneOnEveryAxis)
{
    DataModel d("kube.dump");
    ASSERT_TRUE(d.loaded);
    ASSERT_NE(d.m.objects, nullptr);
    V3 low, high;
    object_bounds(d.m, d.m.objects, &low, &high);
    EXPECT_EQ(low.x, -1.0);
    EXPECT_EQ(low.y, -1.0);
    EXPECT_EQ(low.z, -1.0);
    EXPECT_EQ(high.x, 1.0);
    EXPECT_EQ(high.y, 1.0);
    EXPECT_EQ(high.z, 1.0);
    EXPECT_EQ(face_count(d.m.objects), 6);
}

TEST(FontModel, HasEveryCharacterInItsCell)
{
    DataModel d("fontti.dump");
    ASSERT_TRUE(d.loaded);
    const std::string characters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,!?-':;";
    for (char c : characters) {
        const char name[2] = {c, 0};
        ModelObject *o = model_find_object(&d.m, name);
        ASSERT_NE(o, nullptr) << "no glyph for " << c;
        EXPECT_EQ(o->kind, OBJECT_MESH) << c;
        V3 low, high;
        object_bounds(d.m, o, &low, &high);
        EXPECT_GE(low.x, 0.045) << c;
        EXPECT_LE(high.x, 1.055) << c;
        EXPECT_GE(low.y, -0.45) << c;
        EXPECT_LE(high.y, 1.5) << c;
        EXPECT_NEAR(low.z, -0.15, 0.001) << c;
        EXPECT_NEAR(high.z, 0.15, 0.001) << c;
    }
    // Baseline, x-height, cap height and descender, from letters that sit
    // on them.
    const struct {
        char c;
        double bottom, top;
    } metrics[] = {
        {'H', 0.0, 1.4},  {'E', 0.0, 1.4},  {'x', 0.0, 1.0},  {'z', 0.0, 1.0},
        {'l', 0.0, 1.45}, {'p', -0.4, 1.0}, {'-', 0.5, 0.74},
    };
    for (const auto &m : metrics) {
        const char name[2] = {m.c, 0};
        V3 low, high;
        object_bounds(d.m, model_find_object(&d.m, name), &low, &high);
        EXPECT_NEAR(low.y, m.bottom, 0.005) << m.c;
        EXPECT_NEAR(high.y, m.top, 0.005) << m.c;
    }
}

}  // namespace
