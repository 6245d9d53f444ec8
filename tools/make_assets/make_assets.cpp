// tobuna-make-assets: writes the show's models as Wavefront OBJ + MTL files
// into a folder, from which tobuna-model convert makes the dump files of
// data/ (scripts/make-assets.sh runs both).
#include "asset_mesh.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc != 2 || argv[1][0] == '-') {
        fprintf(stderr, "usage: tobuna-make-assets OUT-DIR\n"
                        "writes hiiri, jalkapallo2, rantapallo, keilapallo, tennari, kube and\n"
                        "fontti as NAME.obj and NAME.mtl into OUT-DIR\n");
        return argc == 2 && strcmp(argv[1], "--help") == 0 ? 0 : 2;
    }
    void (*builders[])(Mesh *) = {build_mouse,        build_football,    build_beach_ball,
                                  build_bowling_ball, build_tennis_ball, build_cube,
                                  build_font};
    for (auto build : builders) {
        Mesh mesh;
        build(&mesh);
        if (mesh_write(&mesh, argv[1]) != 0)
            return 1;
    }
    return 0;
}
