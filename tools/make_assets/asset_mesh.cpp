// The mesh records, the shared shape helpers and the OBJ/MTL writer.
#include "asset_mesh.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

double vec_dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec3 vec_cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double vec_length(Vec3 a)
{
    return std::sqrt(vec_dot(a, a));
}

Vec3 vec_normalize(Vec3 a)
{
    double l = vec_length(a);
    return l > 0.0 ? a * (1.0 / l) : a;
}

Vec3 vec_rotate(Vec3 a, Vec3 axis, double degrees)
{
    // Rodrigues: a cos + (k x a) sin + k (k . a)(1 - cos).
    double t = degrees * M_PI / 180.0;
    double c = std::cos(t), s = std::sin(t);
    return a * c + vec_cross(axis, a) * s + axis * (vec_dot(axis, a) * (1.0 - c));
}

void vec_frame(Vec3 w, Vec3 *u, Vec3 *v)
{
    Vec3 helper = std::fabs(w.y) < 0.9 ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    *u = vec_normalize(vec_cross(helper, w));
    *v = vec_cross(w, *u);
}

void mesh_material(Mesh *mesh, const char *name, double r, double g, double b, double specular,
                   double shininess)
{
    mesh->materials.push_back({name, {r, g, b}, specular, shininess});
}

void mesh_object(Mesh *mesh, const char *name)
{
    mesh->objects.push_back({name, {}});
}

void mesh_group(Mesh *mesh, const char *name, const char *material)
{
    mesh->objects.back().groups.push_back({name, material, {}});
}

int mesh_vertex(Mesh *mesh, Vec3 p)
{
    mesh->vertices.push_back(p);
    return (int)mesh->vertices.size() - 1;
}

int mesh_normal(Mesh *mesh, Vec3 n)
{
    n = vec_normalize(n);
    // Normals are written with six decimals; those that print alike share.
    for (size_t i = 0; i < mesh->normals.size(); i++) {
        Vec3 m = mesh->normals[i];
        if (std::lround(m.x * 1e6) == std::lround(n.x * 1e6) &&
            std::lround(m.y * 1e6) == std::lround(n.y * 1e6) &&
            std::lround(m.z * 1e6) == std::lround(n.z * 1e6))
            return (int)i;
    }
    mesh->normals.push_back(n);
    return (int)mesh->normals.size() - 1;
}

void mesh_face(Mesh *mesh, const std::vector<int> &vertices, const std::vector<int> &normals)
{
    mesh->objects.back().groups.back().faces.push_back({vertices, normals});
}

Vec3 mesh_face_normal(const Mesh *mesh, const std::vector<int> &vertices)
{
    Vec3 n{0, 0, 0};
    size_t count = vertices.size();
    for (size_t i = 0; i < count; i++) {
        Vec3 a = mesh->vertices[vertices[i]];
        Vec3 b = mesh->vertices[vertices[(i + 1) % count]];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return vec_normalize(n);
}

void mesh_flat_face(Mesh *mesh, const std::vector<int> &vertices)
{
    int n = mesh_normal(mesh, mesh_face_normal(mesh, vertices));
    mesh_face(mesh, vertices, std::vector<int>(vertices.size(), n));
}

void mesh_smooth_faces(Mesh *mesh, const std::vector<std::vector<int>> &faces)
{
    std::map<int, Vec3> sums;
    for (const std::vector<int> &f : faces) {
        Vec3 n = mesh_face_normal(mesh, f);
        for (int v : f)
            sums[v] = sums[v] + n;
    }
    for (const std::vector<int> &f : faces) {
        std::vector<int> normals;
        normals.reserve(f.size());
        for (int v : f)
            normals.push_back(mesh_normal(mesh, sums[v]));
        mesh_face(mesh, f, normals);
    }
}

void mesh_radial_faces(Mesh *mesh, const std::vector<std::vector<int>> &faces, Vec3 centre)
{
    for (const std::vector<int> &f : faces) {
        std::vector<int> normals;
        normals.reserve(f.size());
        for (int v : f)
            normals.push_back(mesh_normal(mesh, mesh->vertices[v] - centre));
        mesh_face(mesh, f, normals);
    }
}

void mesh_prism(Mesh *mesh, std::vector<Vec3> base, Vec3 offset)
{
    // Wind the base counter-clockwise about the offset: seen from outside,
    // the bottom then faces away from the offset and the sides outward.
    Vec3 n{0, 0, 0};
    for (size_t i = 0; i < base.size(); i++)
        n = n + vec_cross(base[i], base[(i + 1) % base.size()]);
    if (vec_dot(n, offset) < 0.0)
        base = std::vector<Vec3>(base.rbegin(), base.rend());
    size_t count = base.size();
    std::vector<int> bottom, top;
    for (Vec3 p : base) {
        bottom.push_back(mesh_vertex(mesh, p));
        top.push_back(mesh_vertex(mesh, p + offset));
    }
    mesh_flat_face(mesh, top);
    mesh_flat_face(mesh, std::vector<int>(bottom.rbegin(), bottom.rend()));
    for (size_t i = 0; i < count; i++) {
        size_t j = (i + 1) % count;
        mesh_flat_face(mesh, {bottom[i], bottom[j], top[j], top[i]});
    }
}

std::vector<Vec3> mesh_ngon(Vec3 centre, Vec3 axis, Vec3 u, double r, int n)
{
    Vec3 v = vec_cross(axis, u);
    std::vector<Vec3> points;
    for (int i = 0; i < n; i++) {
        double t = 2.0 * M_PI * i / n;
        points.push_back(centre + u * (r * std::cos(t)) + v * (r * std::sin(t)));
    }
    return points;
}

namespace {

struct FileCloser {
    void operator()(FILE *file) const
    {
        fclose(file);
    }
};
using File = std::unique_ptr<FILE, FileCloser>;

// Closes the file and reports whether everything reached it.
int finish(File file, const std::string &path)
{
    bool failed = ferror(file.get()) != 0;
    failed |= fclose(file.release()) != 0;
    if (failed) {
        fprintf(stderr, "%s: cannot write\n", path.c_str());
        return -1;
    }
    return 0;
}

// Six decimals, and no negative zero, so the text is the same on every host.
double tidy(double value)
{
    return std::fabs(value) < 5e-7 ? 0.0 : value;
}

// Opens the file for writing and puts the heading line; none (with a
// message) when it cannot be opened.
File begin_file(const Mesh *mesh, const std::string &path)
{
    File file(fopen(path.c_str(), "wb"));
    if (!file)
        fprintf(stderr, "%s: cannot open for writing\n", path.c_str());
    else
        fprintf(file.get(), "# %s: written by tobuna-make-assets\n", mesh->name.c_str());
    return file;
}

int write_mtl(const Mesh *mesh, const std::string &path)
{
    File file = begin_file(mesh, path);
    if (!file)
        return -1;
    FILE *f = file.get();
    for (const MeshMaterial &m : mesh->materials) {
        const double *d = m.diffuse;
        fprintf(f, "newmtl %s\n", m.name.c_str());
        fprintf(f, "Ka %.4f %.4f %.4f\n", 0.5 * d[0], 0.5 * d[1], 0.5 * d[2]);
        fprintf(f, "Kd %.4f %.4f %.4f\n", d[0], d[1], d[2]);
        fprintf(f, "Ks %.4f %.4f %.4f\n", m.specular, m.specular, m.specular);
        fprintf(f, "Ns %.1f\n", m.shininess);
        fprintf(f, "d 1\n");
    }
    return finish(std::move(file), path);
}

}  // namespace

int mesh_write(const Mesh *mesh, const char *dir)
{
    std::string base = std::string(dir) + "/" + mesh->name;
    if (write_mtl(mesh, base + ".mtl") != 0)
        return -1;
    std::string path = base + ".obj";
    File file = begin_file(mesh, path);
    if (!file)
        return -1;
    FILE *f = file.get();
    fprintf(f, "mtllib %s.mtl\n", mesh->name.c_str());
    for (Vec3 v : mesh->vertices)
        fprintf(f, "v %.6f %.6f %.6f\n", tidy(v.x), tidy(v.y), tidy(v.z));
    for (Vec3 n : mesh->normals)
        fprintf(f, "vn %.6f %.6f %.6f\n", tidy(n.x), tidy(n.y), tidy(n.z));
    for (const MeshObject &o : mesh->objects) {
        fprintf(f, "o %s\n", o.name.c_str());
        for (const MeshGroup &g : o.groups) {
            fprintf(f, "g %s\nusemtl %s\n", g.name.c_str(), g.material.c_str());
            for (const MeshFace &face : g.faces) {
                fputc('f', f);
                for (size_t i = 0; i < face.vertices.size(); i++)
                    fprintf(f, " %d//%d", face.vertices[i] + 1, face.normals[i] + 1);
                fputc('\n', f);
            }
        }
    }
    return finish(std::move(file), path);
}
