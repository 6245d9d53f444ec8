// The wind-up mouse: y up, nose toward +z, wheels on the floor at y = 0.
//
// The body is a loft of one profile at several stations along z, each
// a scaled copy of the same profile (the same scale across and up), so that
// the band between two stations is made of planar trapezoids. The key turns
// about the y axis out of the back; the tail is a widening helix about a
// line that runs out behind, and spins about that line.
#include "asset_mesh.h"

#include <cmath>

namespace {

// Half the profile, from the middle of the flat bottom up the right
// side to the top; the left side mirrors it. Width 2 and height 1.32 at
// scale 1.
const double profile[][2] = {
    {0.45, 0.0}, {0.88, 0.22}, {1.0, 0.58}, {0.82, 1.02}, {0.4, 1.3},
};
constexpr int PROFILE_HALF = sizeof profile / sizeof profile[0];
constexpr int PROFILE_POINTS = 2 * PROFILE_HALF;  // counter-clockwise seen from +z

struct Station {
    double z;       // along the body
    double scale;   // of the profile
    double bottom;  // y of the flat bottom
};

// Rear to front; the nose tip lies ahead of the last one.
const Station stations[] = {
    {-1.30, 0.34, 0.36}, {-1.14, 0.62, 0.25}, {-0.80, 0.76, 0.21}, {-0.28, 0.80, 0.21},
    {0.28, 0.72, 0.23},  {0.80, 0.50, 0.30},  {1.14, 0.26, 0.40},
};
constexpr int STATION_COUNT = sizeof stations / sizeof stations[0];
const Vec3 nose_tip = {0.0, 0.54, 1.40};

Vec3 profile_point(int i)
{
    // Counter-clockwise seen from +z: right half bottom to top, then the
    // left half top to bottom.
    if (i < PROFILE_HALF)
        return {profile[i][0], profile[i][1], 0.0};
    const double *p = profile[PROFILE_POINTS - 1 - i];
    return {-p[0], p[1], 0.0};
}

void build_body(Mesh *mesh)
{
    mesh_group(mesh, "body", "ruumis");
    std::vector<std::vector<int>> rings;
    for (const Station &s : stations) {
        std::vector<int> ring;
        for (int i = 0; i < PROFILE_POINTS; i++) {
            Vec3 p = profile_point(i);
            ring.push_back(mesh_vertex(mesh, {p.x * s.scale, s.bottom + p.y * s.scale, s.z}));
        }
        rings.push_back(ring);
    }
    int tip = mesh_vertex(mesh, nose_tip);

    std::vector<std::vector<int>> faces;
    // The rear cap faces -z: the ring reversed.
    faces.push_back(std::vector<int>(rings[0].rbegin(), rings[0].rend()));
    for (int k = 0; k + 1 < STATION_COUNT; k++) {
        for (int i = 0; i < PROFILE_POINTS; i++) {
            int j = (i + 1) % PROFILE_POINTS;
            faces.push_back({rings[k][i], rings[k][j], rings[k + 1][j], rings[k + 1][i]});
        }
    }
    const std::vector<int> &front = rings[STATION_COUNT - 1];
    for (int i = 0; i < PROFILE_POINTS; i++)
        faces.push_back({front[i], front[(i + 1) % PROFILE_POINTS], tip});
    mesh_smooth_faces(mesh, faces);
}

// An ear: a flat disc facing forward and a little outward, with a thinner
// pink disc on its front.
void build_ear(Mesh *mesh, double side)
{
    Vec3 facing = vec_normalize({0.45 * side, 0.2, 1.0});
    Vec3 across = vec_normalize(vec_cross({0, 1, 0}, facing));
    Vec3 centre = {0.56 * side, 1.38, 0.40};
    double thickness = 0.08;
    mesh_group(mesh, side > 0 ? "ear_left" : "ear_right", "korva");
    mesh_prism(mesh, mesh_ngon(centre - facing * (0.5 * thickness), facing, across, 0.40, 8),
               facing * thickness);
    mesh_group(mesh, side > 0 ? "ear_left_inner" : "ear_right_inner", "korva_sisa");
    mesh_prism(mesh, mesh_ngon(centre + facing * (0.5 * thickness - 0.01), facing, across, 0.27, 8),
               facing * 0.04);
}

// A bead eye: a short hexagonal rod pushed out through the face.
void build_eye(Mesh *mesh, double side)
{
    Vec3 facing = vec_normalize({0.55 * side, 0.45, 0.75});
    Vec3 across = vec_normalize(vec_cross({0, 1, 0}, facing));
    Vec3 inside = {0.20 * side, 0.74, 0.82};
    mesh_prism(mesh, mesh_ngon(inside, facing, across, 0.09, 6), facing * 0.24);
}

// A wheel on the floor, its axle along x, half under the body.
void build_wheel(Mesh *mesh, double side)
{
    Vec3 axle = {side, 0.0, 0.0};
    Vec3 centre = {0.40 * side, 0.20, -0.15};
    mesh_prism(mesh, mesh_ngon(centre, axle, {0, 1, 0}, 0.2, 8), axle * 0.14);
}

// A whisker: a thin three-sided rod from the snout out to the side.
void build_whisker(Mesh *mesh, Vec3 from, Vec3 to)
{
    Vec3 along = to - from;
    Vec3 w = vec_normalize(along), u, v;
    vec_frame(w, &u, &v);
    mesh_prism(mesh, mesh_ngon(from, w, u, 0.018, 3), along);
}

// A pivot marker: a triangle whose tip (opposite its one short edge) is the
// pivot point, and a square whose centre is the far end of the axis.
void build_pivot(Mesh *mesh, const char *name, Vec3 point, Vec3 far_end)
{
    Vec3 w = vec_normalize(far_end - point), u, v;
    vec_frame(w, &u, &v);
    mesh_object(mesh, name);
    mesh_group(mesh, name, "metalli");
    Vec3 mid = point + w * 0.3;
    int a = mesh_vertex(mesh, point);
    int b = mesh_vertex(mesh, mid + u * 0.02);
    int c = mesh_vertex(mesh, mid - u * 0.02);
    mesh_flat_face(mesh, {a, b, c});
    std::vector<int> square;
    for (Vec3 p : mesh_ngon(far_end, w, u, 0.03, 4))
        square.push_back(mesh_vertex(mesh, p));
    mesh_flat_face(mesh, square);
}

// The key: a shaft up out of the back and a bow of two discs in the x-y
// plane, so that its turn about y shows.
const Vec3 key_base = {0.0, 1.26, -0.45};  // where the shaft leaves the back
void build_key(Mesh *mesh)
{
    mesh_object(mesh, "key");
    mesh_group(mesh, "key", "metalli");
    Vec3 up = {0, 1, 0};
    mesh_prism(mesh, mesh_ngon(key_base - up * 0.2, up, {1, 0, 0}, 0.06, 6), up * 0.5);
    Vec3 z = {0, 0, 1};
    for (double side : {-1.0, 1.0}) {
        Vec3 centre = key_base + Vec3{0.2 * side, 0.48, -0.03};
        mesh_prism(mesh, mesh_ngon(centre, z, {1, 0, 0}, 0.21, 8), z * 0.06);
    }
    build_pivot(mesh, "pivot_key", key_base, key_base + up * 0.7);
}

// The tail: a square rod swept along a helix whose radius grows
// from the root to the tip. Each ring is the same square, only moved, so
// every side of the rod is a parallelogram.
void build_tail(Mesh *mesh)
{
    const Vec3 root = {0.0, 0.56, -1.18};  // inside the rump
    const Vec3 along = vec_normalize({0.0, -0.1, -1.0});
    const double length = 1.45;
    const int segments = 14;
    const double turns = 2.0;
    Vec3 u, v;
    vec_frame(along, &u, &v);

    mesh_object(mesh, "tail");
    mesh_group(mesh, "tail", "hanta");
    std::vector<Vec3> square = mesh_ngon({0, 0, 0}, along, vec_normalize(u + v), 0.05, 4);
    std::vector<std::vector<int>> rings;
    for (int k = 0; k <= segments; k++) {
        double t = (double)k / segments;
        double angle = 2.0 * M_PI * turns * t;
        double radius = 0.03 + 0.15 * t;
        Vec3 centre = root + along * (length * t) + u * (radius * std::cos(angle)) +
                      v * (radius * std::sin(angle));
        std::vector<int> ring;
        ring.reserve(square.size());
        for (Vec3 p : square)
            ring.push_back(mesh_vertex(mesh, centre + p));
        rings.push_back(ring);
    }
    // The square winds counter-clockwise about along; the rod runs along, so
    // the root cap faces back against it.
    mesh_flat_face(mesh, std::vector<int>(rings[0].rbegin(), rings[0].rend()));
    mesh_flat_face(mesh, rings[segments]);
    for (int k = 0; k < segments; k++) {
        for (int i = 0; i < 4; i++) {
            int j = (i + 1) % 4;
            mesh_flat_face(mesh, {rings[k][i], rings[k][j], rings[k + 1][j], rings[k + 1][i]});
        }
    }
    build_pivot(mesh, "pivot_tail", root, root + along * length);
}

}  // namespace

void build_mouse(Mesh *mesh)
{
    mesh->name = "hiiri";
    mesh_material(mesh, "ruumis", 0.8, 0.8, 0.8, 0.2, 20.0);
    mesh_material(mesh, "korva", 1.0, 0.78, 0.84, 0.1, 10.0);
    mesh_material(mesh, "korva_sisa", 0.95, 0.45, 0.6, 0.1, 10.0);
    mesh_material(mesh, "silma", 0.05, 0.05, 0.08, 0.9, 80.0);
    mesh_material(mesh, "nena", 0.9, 0.25, 0.4, 0.5, 40.0);
    mesh_material(mesh, "viikset", 0.1, 0.1, 0.1, 0.0, 1.0);
    mesh_material(mesh, "pyora", 0.3, 0.3, 0.34, 0.3, 20.0);
    mesh_material(mesh, "metalli", 0.82, 0.84, 0.9, 0.9, 90.0);
    mesh_material(mesh, "hanta", 0.95, 0.5, 0.6, 0.2, 20.0);

    mesh_object(mesh, "body");
    build_body(mesh);
    for (double side : {1.0, -1.0})
        build_ear(mesh, side);
    mesh_group(mesh, "eyes", "silma");
    for (double side : {1.0, -1.0})
        build_eye(mesh, side);
    mesh_group(mesh, "nose", "nena");
    Vec3 w = vec_normalize({0.0, 0.1, 1.0}), u, v;
    vec_frame(w, &u, &v);
    mesh_prism(mesh, mesh_ngon(nose_tip - w * 0.1, w, u, 0.09, 6), w * 0.14);
    mesh_group(mesh, "whiskers", "viikset");
    for (double side : {1.0, -1.0}) {
        build_whisker(mesh, {0.08 * side, 0.58, 1.22}, {0.85 * side, 0.72, 1.02});
        build_whisker(mesh, {0.08 * side, 0.52, 1.22}, {0.85 * side, 0.42, 1.06});
    }
    mesh_group(mesh, "wheels", "pyora");
    for (double side : {1.0, -1.0})
        build_wheel(mesh, side);

    build_key(mesh);
    build_tail(mesh);
}
