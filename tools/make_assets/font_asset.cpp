// The font: one object per character, named by it, each an extruded letter
// in its 1.1-unit cell (x 0.05 to 1.05), baseline y = 0, capitals 1.4 high,
// small letters 1.0, ascenders 1.45, descenders to -0.4, 0.3 deep with the
// front at z = +0.15.
//
// A letter is a few overlapping solids, each a flat shape cut into convex
// pieces that meet edge to edge: a stroke (a band along a path, a
// quadrilateral per step), a ring (a closed stroke) or one convex polygon.
// Where two solids overlap, their shared front plane hides the seam.
#include "asset_mesh.h"

#include <cmath>
#include <map>
#include <string>

namespace {

struct P2 {
    double x, y;
};

// A flat shape: points and the convex pieces (indices into points) that
// cover it, all wound alike.
struct Solid2 {
    std::vector<P2> points;
    std::vector<std::vector<int>> pieces;
};
using Glyph = std::vector<Solid2>;

constexpr double STROKE = 0.12;  // half the width of a stroke
constexpr double DEPTH = 0.15;   // half the extrusion

using Path = std::vector<P2>;

// Points along an ellipse from a0 to a1 degrees in `steps` steps.
Path arc(double cx, double cy, double rx, double ry, double a0, double a1, int steps)
{
    Path p;
    for (int i = 0; i <= steps; i++) {
        double a = (a0 + (a1 - a0) * i / steps) * M_PI / 180.0;
        p.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
    }
    return p;
}

// Joins two paths; a point where they meet is kept once.
Path operator+(Path a, const Path &b)
{
    for (const P2 &p : b)
        if (a.empty() || std::fabs(a.back().x - p.x) > 1e-9 || std::fabs(a.back().y - p.y) > 1e-9)
            a.push_back(p);
    return a;
}

// A band of half width h along the path, with square ends and mitred
// joints; closed joins the last point back to the first.
Solid2 stroke(const Path &path, double h = STROKE, bool closed = false)
{
    Solid2 s;
    size_t n = path.size();
    auto direction = [&](size_t from, size_t to) {
        double dx = path[to].x - path[from].x, dy = path[to].y - path[from].y;
        double l = std::sqrt(dx * dx + dy * dy);
        return P2{dx / l, dy / l};
    };
    for (size_t i = 0; i < n; i++) {
        P2 in, out;
        if (closed) {
            in = direction((i + n - 1) % n, i);
            out = direction(i, (i + 1) % n);
        } else {
            in = direction(i == 0 ? 0 : i - 1, i == 0 ? 1 : i);
            out = direction(i + 1 == n ? i - 1 : i, i + 1 == n ? i : i + 1);
        }
        // The left normals of the two steps, and the mitre between them.
        P2 nin = {-in.y, in.x}, nout = {-out.y, out.x};
        P2 m = {nin.x + nout.x, nin.y + nout.y};
        double ml = std::sqrt(m.x * m.x + m.y * m.y);
        m = {m.x / ml, m.y / ml};
        double reach = h / (m.x * nin.x + m.y * nin.y);
        s.points.push_back({path[i].x + m.x * reach, path[i].y + m.y * reach});  // left: 2i
        s.points.push_back({path[i].x - m.x * reach, path[i].y - m.y * reach});  // right: 2i + 1
    }
    size_t steps = closed ? n : n - 1;
    for (size_t i = 0; i < steps; i++) {
        int a = (int)(2 * i), b = (int)(2 * ((i + 1) % n));
        s.pieces.push_back({a + 1, b + 1, b, a});
    }
    return s;
}

Solid2 line(double x0, double y0, double x1, double y1, double h = STROKE)
{
    return stroke({{x0, y0}, {x1, y1}}, h);
}

Solid2 ring(double cx, double cy, double rx, double ry, int steps, double h = STROKE)
{
    Path p = arc(cx, cy, rx, ry, 0.0, 360.0, steps);
    p.pop_back();
    return stroke(p, h, true);
}

// One convex polygon.
Solid2 poly(const Path &corners)
{
    Solid2 s;
    s.points = corners;
    std::vector<int> piece;
    for (size_t i = 0; i < corners.size(); i++)
        piece.push_back((int)i);
    s.pieces.push_back(piece);
    return s;
}

// An octagonal dot with flat top and bottom.
Solid2 dot(double cx, double cy, double r = 0.13)
{
    Path p = arc(cx, cy, r, r, 22.5, 382.5, 8);
    p.pop_back();
    return poly(p);
}

Path mirrored(Path p)
{
    for (P2 &q : p)
        q.x = 1.1 - q.x;
    return p;
}

// The same glyph turned half a turn about the middle of the cell.
Glyph turned(Glyph g)
{
    for (Solid2 &s : g)
        for (P2 &p : s.points)
            p = {1.1 - p.x, 1.4 - p.y};
    return g;
}

Glyph comma()
{
    return {dot(0.55, 0.13), poly({{0.43, 0.12}, {0.68, 0.12}, {0.46, -0.3}, {0.34, -0.3}})};
}

Glyph six()
{
    return {ring(0.55, 0.45, 0.33, 0.33, 14),
            stroke(Path{{0.22, 0.45}} + arc(0.62, 0.68, 0.4, 0.6, 180, 68, 7))};
}

Glyph glyph(char c)
{
    switch (c) {
    case 'a':
        return {ring(0.5, 0.5, 0.28, 0.38, 14), line(0.84, 0, 0.84, 1.0)};
    case 'b':
        return {line(0.22, 0, 0.22, 1.45), ring(0.58, 0.5, 0.3, 0.38, 14)};
    case 'c':
        return {stroke(arc(0.56, 0.5, 0.32, 0.38, 42, 318, 12))};
    case 'd':
        return {line(0.88, 0, 0.88, 1.45), ring(0.52, 0.5, 0.3, 0.38, 14)};
    case 'e':
        return {line(0.24, 0.5, 0.88, 0.5, 0.1), stroke(arc(0.56, 0.5, 0.32, 0.38, 0, 320, 13))};
    case 'f':
        return {stroke(Path{{0.42, 0}} + arc(0.7, 1.1, 0.28, 0.23, 180, 50, 6)),
                line(0.16, 0.88, 0.82, 0.88)};
    case 'g':
        return {ring(0.5, 0.5, 0.28, 0.38, 14),
                stroke(Path{{0.84, 1.0}} + arc(0.55, -0.1, 0.29, 0.18, 0, -165, 6))};
    case 'h':
        return {line(0.22, 0, 0.22, 1.45),
                stroke(arc(0.55, 0.6, 0.33, 0.28, 180, 0, 8) + Path{{0.88, 0}})};
    case 'i':
        return {line(0.55, 0, 0.55, 1.0), dot(0.55, 1.3)};
    case 'j':
        return {stroke(Path{{0.62, 1.0}} + arc(0.38, -0.12, 0.24, 0.16, 0, -160, 6)),
                dot(0.62, 1.3)};
    case 'k':
        return {line(0.22, 0, 0.22, 1.45),
                poly({{0.3, 0.3}, {0.96, 1.0}, {0.66, 1.0}, {0.3, 0.62}}),
                poly({{0.74, 0}, {1.0, 0}, {0.68, 0.74}, {0.5, 0.52}})};
    case 'l':
        return {line(0.55, 0, 0.55, 1.45)};
    case 'm':
        return {line(0.16, 0, 0.16, 1.0, 0.1),
                stroke(arc(0.355, 0.64, 0.195, 0.26, 180, 0, 6) + Path{{0.55, 0}}, 0.1),
                stroke(arc(0.745, 0.64, 0.195, 0.26, 180, 0, 6) + Path{{0.94, 0}}, 0.1)};
    case 'n':
        return {line(0.22, 0, 0.22, 1.0),
                stroke(arc(0.55, 0.6, 0.33, 0.28, 180, 0, 8) + Path{{0.88, 0}})};
    case 'o':
        return {ring(0.55, 0.5, 0.32, 0.38, 14)};
    case 'p':
        return {line(0.22, -0.4, 0.22, 1.0), ring(0.58, 0.5, 0.3, 0.38, 14)};
    case 'q':
        return {line(0.88, -0.4, 0.88, 1.0), ring(0.52, 0.5, 0.3, 0.38, 14)};
    case 'r':
        return {line(0.26, 0, 0.26, 1.0), stroke(arc(0.62, 0.56, 0.36, 0.32, 180, 70, 5))};
    case 's':
        return {stroke(arc(0.55, 0.69, 0.27, 0.19, 25, 270, 7) +
                       arc(0.55, 0.31, 0.29, 0.19, 90, -155, 7))};
    case 't':
        return {stroke(Path{{0.42, 1.3}} + arc(0.67, 0.32, 0.25, 0.2, 180, 300, 4)),
                line(0.18, 0.88, 0.86, 0.88)};
    case 'u':
        return {stroke(Path{{0.22, 1.0}} + arc(0.55, 0.4, 0.33, 0.28, 180, 360, 8)),
                line(0.88, 0, 0.88, 1.0)};
    case 'v':
        return {poly({{0.1, 1.0}, {0.36, 1.0}, {0.66, 0}, {0.44, 0}}),
                poly(mirrored({{0.1, 1.0}, {0.36, 1.0}, {0.66, 0}, {0.44, 0}}))};
    case 'w':
        return {poly({{0.05, 1.0}, {0.27, 1.0}, {0.41, 0}, {0.21, 0}}),
                poly({{0.21, 0}, {0.41, 0}, {0.65, 0.78}, {0.45, 0.78}}),
                poly(mirrored({{0.21, 0}, {0.41, 0}, {0.65, 0.78}, {0.45, 0.78}})),
                poly(mirrored({{0.05, 1.0}, {0.27, 1.0}, {0.41, 0}, {0.21, 0}}))};
    case 'x':
        return {poly({{0.1, 1.0}, {0.36, 1.0}, {1.0, 0}, {0.74, 0}}),
                poly(mirrored({{0.1, 1.0}, {0.36, 1.0}, {1.0, 0}, {0.74, 0}}))};
    case 'y':
        return {poly({{0.76, 1.0}, {1.0, 1.0}, {0.38, -0.4}, {0.12, -0.4}}),
                poly({{0.1, 1.0}, {0.34, 1.0}, {0.58, 0.1}, {0.38, 0.1}})};
    case 'z':
        return {line(0.2, 0.88, 0.88, 0.88), line(0.22, 0.12, 0.9, 0.12),
                poly({{0.62, 0.88}, {0.88, 0.88}, {0.48, 0.12}, {0.22, 0.12}})};

    case 'A':
        return {poly({{0.06, 0}, {0.3, 0}, {0.66, 1.4}, {0.44, 1.4}}),
                poly(mirrored({{0.06, 0}, {0.3, 0}, {0.66, 1.4}, {0.44, 1.4}})),
                line(0.28, 0.46, 0.82, 0.46, 0.1)};
    case 'B':
        return {line(0.2, 0, 0.2, 1.4),
                stroke(Path{{0.2, 1.28}, {0.58, 1.28}} + arc(0.58, 1.01, 0.26, 0.27, 90, -90, 6) +
                       Path{{0.2, 0.74}}),
                stroke(Path{{0.2, 0.74}, {0.62, 0.74}} + arc(0.62, 0.43, 0.29, 0.31, 90, -90, 6) +
                       Path{{0.2, 0.12}})};
    case 'C':
        return {stroke(arc(0.58, 0.7, 0.4, 0.58, 45, 315, 12))};
    case 'D':
        return {line(0.2, 0, 0.2, 1.4),
                stroke(Path{{0.2, 1.28}, {0.48, 1.28}} + arc(0.48, 0.7, 0.42, 0.58, 90, -90, 10) +
                       Path{{0.2, 0.12}})};
    case 'E':
        return {line(0.2, 0, 0.2, 1.4), line(0.2, 1.28, 0.9, 1.28), line(0.2, 0.72, 0.82, 0.72),
                line(0.2, 0.12, 0.92, 0.12)};
    case 'F':
        return {line(0.2, 0, 0.2, 1.4), line(0.2, 1.28, 0.92, 1.28), line(0.2, 0.72, 0.82, 0.72)};
    case 'G':
        return {stroke(arc(0.56, 0.7, 0.36, 0.58, 48, 360, 12)), line(0.62, 0.66, 0.92, 0.66)};
    case 'H':
        return {line(0.2, 0, 0.2, 1.4), line(0.9, 0, 0.9, 1.4), line(0.2, 0.72, 0.9, 0.72)};
    case 'I':
        return {line(0.55, 0, 0.55, 1.4), line(0.3, 1.28, 0.8, 1.28), line(0.3, 0.12, 0.8, 0.12)};
    case 'J':
        return {stroke(Path{{0.84, 1.4}} + arc(0.53, 0.42, 0.31, 0.3, 0, -180, 8))};
    case 'K':
        return {line(0.2, 0, 0.2, 1.4),
                poly({{0.28, 0.44}, {1.02, 1.4}, {0.72, 1.4}, {0.28, 0.86}}),
                poly({{0.78, 0}, {1.04, 0}, {0.62, 0.98}, {0.44, 0.74}})};
    case 'L':
        return {line(0.2, 0, 0.2, 1.4), line(0.2, 0.12, 0.9, 0.12)};
    case 'M':
        return {line(0.16, 0, 0.16, 1.4, 0.11), line(0.94, 0, 0.94, 1.4, 0.11),
                poly({{0.06, 1.4}, {0.3, 1.4}, {0.66, 0.34}, {0.44, 0.34}}),
                poly(mirrored({{0.06, 1.4}, {0.3, 1.4}, {0.66, 0.34}, {0.44, 0.34}}))};
    case 'N':
        return {line(0.18, 0, 0.18, 1.4, 0.11), line(0.92, 0, 0.92, 1.4, 0.11),
                poly({{0.07, 1.4}, {0.33, 1.4}, {1.03, 0}, {0.77, 0}})};
    case 'O':
        return {ring(0.55, 0.7, 0.37, 0.58, 16)};
    case 'P':
        return {line(0.2, 0, 0.2, 1.4),
                stroke(Path{{0.2, 1.28}, {0.56, 1.28}} + arc(0.56, 0.95, 0.35, 0.33, 90, -90, 7) +
                       Path{{0.2, 0.62}})};
    case 'Q':
        return {ring(0.55, 0.7, 0.37, 0.58, 16),
                poly({{0.6, 0.36}, {0.8, 0.48}, {1.04, 0.02}, {0.84, -0.06}})};
    case 'R':
        return {line(0.2, 0, 0.2, 1.4),
                stroke(Path{{0.2, 1.28}, {0.56, 1.28}} + arc(0.56, 0.95, 0.35, 0.33, 90, -90, 7) +
                       Path{{0.2, 0.62}}),
                poly({{0.48, 0.62}, {0.74, 0.62}, {1.04, 0}, {0.78, 0}})};
    case 'S':
        return {stroke(arc(0.55, 0.99, 0.33, 0.29, 28, 270, 8) +
                       arc(0.55, 0.41, 0.35, 0.29, 90, -152, 8))};
    case 'T':
        return {line(0.08, 1.28, 1.02, 1.28), line(0.55, 0, 0.55, 1.28)};
    case 'U':
        return {
            stroke(Path{{0.2, 1.4}} + arc(0.55, 0.45, 0.35, 0.33, 180, 360, 8) + Path{{0.9, 1.4}})};
    case 'V':
        return {poly({{0.06, 1.4}, {0.3, 1.4}, {0.66, 0}, {0.44, 0}}),
                poly(mirrored({{0.06, 1.4}, {0.3, 1.4}, {0.66, 0}, {0.44, 0}}))};
    case 'W':
        return {poly({{0.05, 1.4}, {0.25, 1.4}, {0.40, 0}, {0.22, 0}}),
                poly({{0.22, 0}, {0.40, 0}, {0.64, 1.0}, {0.46, 1.0}}),
                poly(mirrored({{0.22, 0}, {0.40, 0}, {0.64, 1.0}, {0.46, 1.0}})),
                poly(mirrored({{0.05, 1.4}, {0.25, 1.4}, {0.40, 0}, {0.22, 0}}))};
    case 'X':
        return {poly({{0.06, 1.4}, {0.32, 1.4}, {1.04, 0}, {0.78, 0}}),
                poly(mirrored({{0.06, 1.4}, {0.32, 1.4}, {1.04, 0}, {0.78, 0}}))};
    case 'Y':
        return {poly({{0.06, 1.4}, {0.32, 1.4}, {0.67, 0.6}, {0.43, 0.6}}),
                poly(mirrored({{0.06, 1.4}, {0.32, 1.4}, {0.67, 0.6}, {0.43, 0.6}})),
                line(0.55, 0, 0.55, 0.7)};
    case 'Z':
        return {line(0.14, 1.28, 0.94, 1.28), line(0.14, 0.12, 0.96, 0.12),
                poly({{0.66, 1.28}, {0.94, 1.28}, {0.42, 0.12}, {0.14, 0.12}})};

    case '0':
        return {ring(0.55, 0.7, 0.31, 0.58, 16)};
    case '1':
        return {line(0.6, 0, 0.6, 1.4), line(0.62, 1.32, 0.3, 1.06), line(0.3, 0.12, 0.9, 0.12)};
    case '2':
        return {stroke(arc(0.55, 1.0, 0.33, 0.28, 165, -28, 8) + Path{{0.22, 0.14}}),
                line(0.2, 0.12, 0.92, 0.12)};
    case '3':
        return {stroke(arc(0.52, 1.04, 0.3, 0.24, 150, -95, 8)),
                stroke(arc(0.52, 0.45, 0.34, 0.33, 95, -150, 9))};
    case '4':
        return {line(0.72, 0, 0.72, 1.4), line(0.1, 0.45, 0.98, 0.45),
                poly({{0.58, 1.4}, {0.84, 1.4}, {0.34, 0.33}, {0.08, 0.33}})};
    case '5':
        return {line(0.3, 1.28, 0.9, 1.28), line(0.3, 1.4, 0.28, 0.74),
                stroke(Path{{0.28, 0.8}, {0.5, 0.8}} + arc(0.5, 0.46, 0.38, 0.34, 90, -150, 9))};
    case '6':
        return six();
    case '7':
        return {line(0.14, 1.28, 0.94, 1.28),
                poly({{0.68, 1.28}, {0.96, 1.28}, {0.5, 0}, {0.24, 0}})};
    case '8':
        return {ring(0.55, 1.04, 0.27, 0.24, 12), ring(0.55, 0.4, 0.32, 0.28, 12)};
    case '9':
        return turned(six());

    case '.':
        return {dot(0.55, 0.13)};
    case ',':
        return comma();
    case '!':
        return {poly({{0.43, 1.4}, {0.67, 1.4}, {0.62, 0.42}, {0.48, 0.42}}), dot(0.55, 0.13)};
    case '?':
        return {stroke(arc(0.55, 1.04, 0.3, 0.24, 160, -40, 8) + Path{{0.55, 0.62}, {0.55, 0.42}}),
                dot(0.55, 0.13)};
    case '-':
        return {line(0.25, 0.62, 0.85, 0.62)};
    case '\'':
        return {poly({{0.45, 1.4}, {0.65, 1.4}, {0.6, 1.0}, {0.5, 1.0}})};
    case ':':
        return {dot(0.55, 0.13), dot(0.55, 0.87)};
    case ';': {
        Glyph g = comma();
        g.push_back(dot(0.55, 0.87));
        return g;
    }
    }
    return {};
}

double signed_area(const Solid2 &s, const std::vector<int> &piece)
{
    double area = 0.0;
    for (size_t i = 0; i < piece.size(); i++) {
        P2 a = s.points[piece[i]], b = s.points[piece[(i + 1) % piece.size()]];
        area += a.x * b.y - b.x * a.y;
    }
    return 0.5 * area;
}

// Extrudes one flat shape: its pieces in front and behind, and a wall
// along every edge that only one piece has.
void extrude(Mesh *mesh, Solid2 s)
{
    // Wind every piece counter-clockwise seen from +z (a mirrored shape
    // comes wound the other way, all its pieces alike).
    if (signed_area(s, s.pieces[0]) < 0.0)
        for (std::vector<int> &piece : s.pieces)
            piece = std::vector<int>(piece.rbegin(), piece.rend());
    std::vector<int> front, back;
    for (P2 p : s.points) {
        front.push_back(mesh_vertex(mesh, {p.x, p.y, DEPTH}));
        back.push_back(mesh_vertex(mesh, {p.x, p.y, -DEPTH}));
    }
    std::map<std::pair<int, int>, int> edges;
    for (const std::vector<int> &piece : s.pieces)
        for (size_t i = 0; i < piece.size(); i++)
            edges[{piece[i], piece[(i + 1) % piece.size()]}]++;
    for (const std::vector<int> &piece : s.pieces) {
        std::vector<int> f, b;
        for (int i : piece)
            f.push_back(front[i]);
        for (auto i = piece.rbegin(); i != piece.rend(); ++i)
            b.push_back(back[*i]);
        mesh_flat_face(mesh, f);
        mesh_flat_face(mesh, b);
    }
    for (const std::vector<int> &piece : s.pieces) {
        for (size_t i = 0; i < piece.size(); i++) {
            int a = piece[i], b = piece[(i + 1) % piece.size()];
            if (edges.count({b, a}))
                continue;
            mesh_flat_face(mesh, {back[a], back[b], front[b], front[a]});
        }
    }
}

}  // namespace

void build_font(Mesh *mesh)
{
    mesh->name = "fontti";
    mesh_material(mesh, "kirjain", 1.0, 0.82, 0.25, 0.5, 40.0);
    const std::string characters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,!?-':;";
    for (char c : characters) {
        const char name[2] = {c, 0};
        mesh_object(mesh, name);
        mesh_group(mesh, name, "kirjain");
        for (const Solid2 &s : glyph(c))
            extrude(mesh, s);
    }
}
