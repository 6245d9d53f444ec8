// The program's model slots and the start-up loads that fill them.
#include "models/models.h"

Model mouse_model;
Model football_model;
Model bowling_ball_model;
Model beach_ball_model;
Model tennis_ball_model;
Model cube_model;
Model title_ball_model;
Model font_model;

int load_models()
{
    // A missing ball or cube leaves its slot empty; only the mouse counts.
    model_load_dump(&football_model, "data/jalkapallo2.dump");
    model_load_dump(&beach_ball_model, "data/rantapallo.dump");
    model_load_dump(&bowling_ball_model, "data/keilapallo.dump");
    model_load_dump(&tennis_ball_model, "data/tennari.dump");
    model_load_dump(&cube_model, "data/kube.dump");
    return model_load_dump(&mouse_model, "data/hiiri.dump");
}

void load_title_assets(int show_flags)
{
    if ((show_flags & TITLE_BALL_KIND_BITS) == 0)
        model_load_dump(&title_ball_model, "data/jalkapallo2.dump");
    else
        model_load_dump(&title_ball_model, "data/rantapallo.dump");
    load_font("data/fontti.dump");
}

int load_font(const char *path)
{
    return model_load_dump(&font_model, path);
}

void unload_models()
{
    Model *const slots[] = {&mouse_model,      &football_model,    &bowling_ball_model,
                            &beach_ball_model, &tennis_ball_model, &cube_model,
                            &title_ball_model, &font_model};
    for (Model *model : slots) {
        model_free(model);
        *model = Model{};
    }
}
