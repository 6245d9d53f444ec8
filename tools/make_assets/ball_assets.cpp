// The four balls, each a sphere of radius 1 about the origin, and the cube
// of the fence rails.
#include "asset_mesh.h"

#include <array>
#include <cmath>
#include <map>

namespace {

// Faces gathered by material, emitted as one group each in name order.
using FacesByMaterial = std::map<std::string, std::vector<std::vector<int>>>;

void emit_radial(Mesh *mesh, const FacesByMaterial &faces)
{
    for (const auto &[material, list] : faces) {
        mesh_group(mesh, material.c_str(), material.c_str());
        mesh_radial_faces(mesh, list, {0, 0, 0});
    }
}

// A latitude-longitude sphere about z: `bands` bands from pole to pole, the
// two polar ones each closed by one flat polygon, `sectors` sectors around.
// The vertex rows come back in ring[k][i] (ring k = 1 .. bands - 1).
// material(band, sector) names each face's material; band 0 and bands - 1
// are the caps (sector 0).
template <typename Pick>
void build_sphere(Mesh *mesh, int bands, int sectors, Pick material, FacesByMaterial *faces)
{
    std::vector<std::vector<int>> ring(bands);
    for (int k = 1; k < bands; k++) {
        double theta = M_PI * k / bands;
        for (int i = 0; i < sectors; i++) {
            double phi = 2.0 * M_PI * i / sectors;
            ring[k].push_back(
                mesh_vertex(mesh, {std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi),
                                   std::cos(theta)}));
        }
    }
    (*faces)[material(0, 0)].push_back(ring[1]);
    for (int k = 1; k + 1 < bands; k++) {
        for (int i = 0; i < sectors; i++) {
            int j = (i + 1) % sectors;
            (*faces)[material(k, i)].push_back(
                {ring[k][i], ring[k + 1][i], ring[k + 1][j], ring[k][j]});
        }
    }
    const std::vector<int> &last = ring[bands - 1];
    (*faces)[material(bands - 1, 0)].push_back(std::vector<int>(last.rbegin(), last.rend()));
}

}  // namespace

// A truncated icosahedron (twelve black pentagons, twenty white hexagons) on
// the unit sphere; each hexagon is a fan of six triangles about a corner on
// the sphere, so the ball looks round.
void build_football(Mesh *mesh)
{
    mesh->name = "jalkapallo2";
    mesh_material(mesh, "musta", 0.1, 0.1, 0.12, 0.4, 30.0);
    mesh_material(mesh, "valkoinen", 0.97, 0.97, 0.95, 0.4, 30.0);
    mesh_object(mesh, mesh->name.c_str());

    const double phi = (1.0 + std::sqrt(5.0)) / 2.0;
    std::vector<Vec3> ico;
    for (double a : {-1.0, 1.0})
        for (double b : {-phi, phi}) {
            ico.push_back({0, a, b});
            ico.push_back({a, b, 0});
            ico.push_back({b, 0, a});
        }
    int n = (int)ico.size();
    auto adjacent = [&](int a, int b) {
        return std::fabs(vec_length(ico[a] - ico[b]) - 2.0) < 1e-9;
    };
    // The twenty triangles, counter-clockwise seen from outside.
    std::vector<std::array<int, 3>> triangles;
    for (int a = 0; a < n; a++)
        for (int b = a + 1; b < n; b++)
            for (int c = b + 1; c < n; c++) {
                if (!adjacent(a, b) || !adjacent(b, c) || !adjacent(a, c))
                    continue;
                Vec3 normal = vec_cross(ico[b] - ico[a], ico[c] - ico[a]);
                if (vec_dot(normal, ico[a]) > 0)
                    triangles.push_back({a, b, c});
                else
                    triangles.push_back({a, c, b});
            }
    // The corner a third of the way from icosahedron vertex a to b.
    std::map<std::pair<int, int>, int> corner;
    auto cut = [&](int a, int b) {
        auto key = std::make_pair(a, b);
        auto found = corner.find(key);
        if (found != corner.end())
            return found->second;
        Vec3 p = vec_normalize(ico[a] + (ico[b] - ico[a]) * (1.0 / 3.0));
        return corner[key] = mesh_vertex(mesh, p);
    };
    FacesByMaterial faces;
    for (const auto &t : triangles) {
        std::vector<int> hexagon = {cut(t[0], t[1]), cut(t[1], t[0]), cut(t[1], t[2]),
                                    cut(t[2], t[1]), cut(t[2], t[0]), cut(t[0], t[2])};
        int middle = mesh_vertex(mesh, vec_normalize(ico[t[0]] + ico[t[1]] + ico[t[2]]));
        for (int i = 0; i < 6; i++)
            faces["valkoinen"].push_back({hexagon[i], hexagon[(i + 1) % 6], middle});
    }
    for (int a = 0; a < n; a++) {
        // The neighbours of a in turn: in a triangle (a, b, c) counter-
        // clockwise from outside, c follows b around a.
        std::map<int, int> following;
        for (const auto &t : triangles)
            for (int i = 0; i < 3; i++)
                if (t[i] == a)
                    following[t[(i + 1) % 3]] = t[(i + 2) % 3];
        std::vector<int> pentagon;
        int b = following.begin()->first;
        for (int i = 0; i < 5; i++) {
            pentagon.push_back(cut(a, b));
            b = following[b];
        }
        faces["musta"].push_back(pentagon);
    }
    emit_radial(mesh, faces);
}

// Six coloured gores from pole to pole, white caps on the poles.
void build_beach_ball(Mesh *mesh)
{
    mesh->name = "rantapallo";
    const char *gores[] = {"punainen", "keltainen", "sininen", "valkoinen", "vihrea", "oranssi"};
    mesh_material(mesh, "punainen", 0.92, 0.12, 0.12, 0.6, 60.0);
    mesh_material(mesh, "valkoinen", 0.97, 0.97, 0.97, 0.6, 60.0);
    mesh_material(mesh, "sininen", 0.12, 0.3, 0.9, 0.6, 60.0);
    mesh_material(mesh, "keltainen", 1.0, 0.85, 0.1, 0.6, 60.0);
    mesh_material(mesh, "vihrea", 0.1, 0.7, 0.25, 0.6, 60.0);
    mesh_material(mesh, "oranssi", 1.0, 0.5, 0.1, 0.6, 60.0);
    mesh_object(mesh, mesh->name.c_str());
    const int bands = 8, sectors = 18;
    FacesByMaterial faces;
    build_sphere(
        mesh, bands, sectors,
        [&](int band, int sector) {
            if (band == 0 || band == bands - 1)
                return std::string("valkoinen");
            return std::string(gores[sector / (sectors / 6)]);
        },
        &faces);
    emit_radial(mesh, faces);
}

// Dark and glossy, three finger holes: dark plugs whose faces lie just
// above the sphere.
void build_bowling_ball(Mesh *mesh)
{
    mesh->name = "keilapallo";
    mesh_material(mesh, "keila", 0.16, 0.12, 0.42, 1.0, 100.0);
    mesh_material(mesh, "reika", 0.02, 0.02, 0.03, 0.0, 1.0);
    mesh_object(mesh, mesh->name.c_str());
    FacesByMaterial faces;
    build_sphere(
        mesh, 8, 16, [](int, int) { return std::string("keila"); }, &faces);
    emit_radial(mesh, faces);

    mesh_group(mesh, "reiat", "reika");
    Vec3 centre = vec_normalize({0.35, -0.45, 0.82}), u, v;
    vec_frame(centre, &u, &v);
    const double holes[3][3] = {{-0.18, 0.15, 0.115}, {0.18, 0.15, 0.115}, {0.0, -0.23, 0.13}};
    for (const double *h : holes) {
        Vec3 d = vec_normalize(centre + u * h[0] + v * h[1]), hu, hv;
        vec_frame(d, &hu, &hv);
        mesh_prism(mesh, mesh_ngon(d * 1.004, d, hu, h[2], 6), d * -0.3);
    }
}

// Yellow-green felt with the white seam of a tennis ball: a three-sided rod
// following the classic seam curve, its top just above the sphere.
void build_tennis_ball(Mesh *mesh)
{
    mesh->name = "tennari";
    mesh_material(mesh, "huopa", 0.78, 0.9, 0.18, 0.1, 5.0);
    mesh_material(mesh, "sauma", 0.98, 0.98, 0.95, 0.1, 5.0);
    mesh_object(mesh, mesh->name.c_str());
    FacesByMaterial faces;
    build_sphere(
        mesh, 7, 14, [](int, int) { return std::string("huopa"); }, &faces);
    emit_radial(mesh, faces);

    // The curve a cos t + b cos 3t, a sin t - b sin 3t, 2 sqrt(ab) sin 2t
    // lies on the unit sphere whenever a + b = 1.
    const double a = 0.72, b = 0.28, c = 2.0 * std::sqrt(a * b);
    const int samples = 24;
    mesh_group(mesh, "sauma", "sauma");
    std::vector<std::array<int, 3>> rings;
    for (int k = 0; k < samples; k++) {
        double t = 2.0 * M_PI * k / samples;
        Vec3 s = {a * std::cos(t) + b * std::cos(3 * t), a * std::sin(t) - b * std::sin(3 * t),
                  c * std::sin(2 * t)};
        Vec3 ds = {-a * std::sin(t) - 3 * b * std::sin(3 * t),
                   a * std::cos(t) - 3 * b * std::cos(3 * t), 2 * c * std::cos(2 * t)};
        Vec3 tangent = vec_normalize(ds - s * vec_dot(ds, s));
        Vec3 side = vec_cross(s, tangent);
        // Counter-clockwise about the tangent: left top, right top, inside.
        rings.push_back({mesh_vertex(mesh, s * 1.016 + side * 0.07),
                         mesh_vertex(mesh, s * 1.016 - side * 0.07), mesh_vertex(mesh, s * 0.9)});
    }
    for (int k = 0; k < samples; k++) {
        const auto &p = rings[k];
        const auto &q = rings[(k + 1) % samples];
        for (int i = 0; i < 3; i++) {
            int j = (i + 1) % 3;
            mesh_flat_face(mesh, {p[i], p[j], q[j]});
            mesh_flat_face(mesh, {p[i], q[j], q[i]});
        }
    }
}

void build_cube(Mesh *mesh)
{
    mesh->name = "kube";
    mesh_material(mesh, "puu", 0.86, 0.66, 0.4, 0.2, 10.0);
    mesh_object(mesh, "kube");
    mesh_group(mesh, "kube", "puu");
    mesh_prism(mesh, {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}}, {0, 0, 2});
}
