// Building the show's models in memory and writing them as Wavefront OBJ +
// MTL text, which tobuna-model converts into dump files.
//
// Everything is computed in double in a fixed order and written with a fixed
// number of decimals, so the same program writes the same bytes every run.
#pragma once

#include <string>
#include <vector>

struct Vec3 {
    double x, y, z;
};

inline Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, double s)
{
    return {a.x * s, a.y * s, a.z * s};
}
double vec_dot(Vec3 a, Vec3 b);
Vec3 vec_cross(Vec3 a, Vec3 b);
double vec_length(Vec3 a);
// a scaled to length 1; the zero vector stays zero.
Vec3 vec_normalize(Vec3 a);
// Turned by degrees about the unit axis (right-handed).
Vec3 vec_rotate(Vec3 a, Vec3 axis, double degrees);
// Two unit vectors that make a right-handed frame (u, v, w) with the unit w.
void vec_frame(Vec3 w, Vec3 *u, Vec3 *v);

struct MeshFace {
    std::vector<int> vertices;  // 0-based, counter-clockwise seen from outside
    std::vector<int> normals;   // 0-based, one per corner
};

struct MeshGroup {
    std::string name;
    std::string material;
    std::vector<MeshFace> faces;
};

struct MeshObject {
    std::string name;
    std::vector<MeshGroup> groups;
};

struct MeshMaterial {
    std::string name;
    double diffuse[3];
    double specular;   // grey level of the highlight
    double shininess;  // specular exponent
};

// A model in the making: the current object and group are the last ones
// begun.
struct Mesh {
    std::string name;  // file name without extension
    std::vector<Vec3> vertices;
    std::vector<Vec3> normals;
    std::vector<MeshObject> objects;
    std::vector<MeshMaterial> materials;
};

void mesh_material(Mesh *mesh, const char *name, double r, double g, double b, double specular,
                   double shininess);
// Begins an object; faces go into its groups.
void mesh_object(Mesh *mesh, const char *name);
// Begins a group of the current object, drawn with the named material.
void mesh_group(Mesh *mesh, const char *name, const char *material);
int mesh_vertex(Mesh *mesh, Vec3 p);
// A unit normal; equal normals share one index.
int mesh_normal(Mesh *mesh, Vec3 n);
// A face of the current group with a normal index per corner.
void mesh_face(Mesh *mesh, const std::vector<int> &vertices, const std::vector<int> &normals);
// A face of the current group whose corners all take its own normal.
void mesh_flat_face(Mesh *mesh, const std::vector<int> &vertices);
// The unit normal of a polygon (Newell's method), counter-clockwise front.
Vec3 mesh_face_normal(const Mesh *mesh, const std::vector<int> &vertices);

// Faces of the current group whose corners take the mean of the normals of
// the faces around each vertex: a smooth surface under lighting.
void mesh_smooth_faces(Mesh *mesh, const std::vector<std::vector<int>> &faces);
// Faces whose corners take the direction from centre to each vertex, for
// surfaces of spheres.
void mesh_radial_faces(Mesh *mesh, const std::vector<std::vector<int>> &faces, Vec3 centre);

// A closed prism: the planar convex polygon base swept by offset, with flat
// normals. The base may wind either way.
void mesh_prism(Mesh *mesh, std::vector<Vec3> base, Vec3 offset);
// A regular n-gon of radius r about centre, in the plane across the unit
// axis, counter-clockwise seen from the tip of the axis; the first corner
// lies along u (a unit vector across the axis).
std::vector<Vec3> mesh_ngon(Vec3 centre, Vec3 axis, Vec3 u, double r, int n);

// Writes DIR/NAME.obj and DIR/NAME.mtl: 0, or -1 when a file cannot be
// written (a message on standard error).
int mesh_write(const Mesh *mesh, const char *dir);

// The models, each built into an empty mesh.
void build_mouse(Mesh *mesh);
void build_football(Mesh *mesh);
void build_beach_ball(Mesh *mesh);
void build_bowling_ball(Mesh *mesh);
void build_tennis_ball(Mesh *mesh);
void build_cube(Mesh *mesh);
void build_font(Mesh *mesh);
