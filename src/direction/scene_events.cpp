// The scene event handlers of the two acts: which mice enter and from
// where, when balls are thrown in and mice sent away, the background colour
// and floor slide, and what the camera follows.
//
// Random numbers are drawn in a fixed order, one statement at a time, so a
// seeded run replays exactly.
#include "direction/direction_local.h"
#include "world/world.h"

int act_mouse_count = 0;        // mice the act spawned or tried to, less those sent away
int act_ball_count = 0;         // balls of the wander act's volleys
int wander_variant = 0;         // 0 lines, 1 ball volleys
int chase_variant = 0;          // 0 runners, 1 runners on a sliding floor, 2 follower chain
Mouse *chain_leader = nullptr;  // whom the next follower follows

void scene_events_reset()
{
    act_mouse_count = 0;
    act_ball_count = 0;
    wander_variant = 0;
    chase_variant = 0;
    chain_leader = nullptr;
}

// Where the i-th mouse of a line starts, and its heading.
static bool line_place(int formation, int i, float *x, float *y, float *heading)
{
    double w = show_world.half_width, d = show_world.half_depth, step = i * 0.15;
    *x = *y = 0.0f;
    switch (formation) {
    case FORMATION_FROM_PLUS_X:
    case FORMATION_FROM_PLUS_X_AGAIN:
        *x = (float)(w + step);
        *heading = 180.0f;
        return true;
    case FORMATION_FROM_MINUS_Y:
        *y = (float)(-d - step);
        *heading = 90.0f;
        return true;
    case FORMATION_FROM_MINUS_X:
        *x = (float)(-w - step);
        *heading = 0.0f;
        return true;
    default:
        return false;
    }
}

void spawn_wanderer_line(int formation, int n)
{
    float x, y, heading;
    for (int i = 0; i < n && line_place(formation, i, &x, &y, &heading); i++)
        spawn_wanderer(&show_world, x, y, 0.0f, heading);
}

void spawn_runner_line(int formation, int n)
{
    float x, y, heading;
    for (int i = 0; i < n && line_place(formation, i, &x, &y, &heading); i++)
        spawn_runner(&show_world, x, y, 0.0f, heading);
}

static void set_background_target(float r, float g, float b)
{
    show_world.background_target[0] = r;
    show_world.background_target[1] = g;
    show_world.background_target[2] = b;
}

// A ball of a random kind at a random side, the kind drawn first.
static Ball *throw_random_ball()
{
    int kind = (int)(random_unit() * 4.0f);
    int side = (int)(random_unit() * 4.0f);
    return ball_create(&show_world, kind, side);
}

// The camera's height over what it follows: 0 to 0.4.
static void random_camera_height()
{
    camera_set_height((float)((double)random_unit() * 0.4));
}

static void follow_mouse(const Mouse *mouse)
{
    if (mouse)
        camera_set_followed(&mouse->position, &mouse->heading);
    else
        camera_set_mode(CAMERA_CENTRE);  // nothing to follow: the close view of the centre
}

static void follow_ball(const Ball *ball, bool with_heading)
{
    if (ball)
        camera_set_followed(&ball->position, with_heading ? &ball->heading : nullptr);
    else
        camera_set_mode(CAMERA_CENTRE);
}

void wander_act_event(int code, int just_started)
{
    switch (code) {
    case EVENT_STEP4:  // every 4 steps: only the act's beginning
        if (!just_started)
            return;
        inertia_target = 0.5f;
        set_background_target(0.3f, 0.2f, 0.1f);
        world_send_mice_away(&show_world);
        act_ball_count = 0;
        world_send_balls_off(&show_world);
        act_mouse_count = 0;
        camera_glide(100.0f);
        camera_set_mode(CAMERA_OVERVIEW);
        {
            float u1 = random_unit();
            float u2 = random_unit();
            wander_variant = (int)(u1 + u2);
        }
        return;
    case EVENT_STEP16:  // every 16 steps: a ball volley with one wanderer
        if (wander_variant != 1 || act_ball_count > 9)
            return;
        spawn_wanderer_line((int)(random_unit() * (float)FORMATIONS), 1);
        act_mouse_count++;
        for (int side = 0; side < 4; side++)
            ball_create(&show_world, (int)(random_unit() * 4.0f), side);
        act_ball_count += 4;
        return;
    case EVENT_STEP32: {  // every 32 steps: a line of wanderers
        if (wander_variant == 1)
            return;
        int n = (int)(random_unit() * 4.0f + 1.0f);
        int formation = (int)(random_unit() * (float)FORMATIONS);
        spawn_wanderer_line(formation, n);
        act_mouse_count += n;
        if (act_mouse_count <= 24)
            return;
        // Too many: keep 40 to 90 per cent, send the oldest of the rest away.
        int keep = (int)((double)act_mouse_count * ((double)random_unit() * 0.5 + 0.4));
        for (int i = 0; i < act_mouse_count - keep; i++)
            world_send_oldest_mouse_away(&show_world);
        act_mouse_count = keep;
        return;
    }
    case EVENT_STEP64:  // every 64 steps: a new tilt
        camera_set_tilt_target(-(random_unit() * 16.0f));
        return;
    case EVENT_STEP128:  // every 128 steps: a new camera
        if (just_started)
            return;
        camera_set_mode((int)(random_unit() * (float)CAMERA_MODES));
        camera_glide(10.0f);
        random_camera_height();
        if (wander_variant == 0)
            follow_mouse(show_world.mice);
        else
            follow_ball(show_world.balls, true);
        return;
    default:
        return;
    }
}

// The act's beginning: a new ball to chase, the former act sent away, a
// variant chosen.
static void chase_act_begin()
{
    world_send_balls_off(&show_world);
    Ball *ball = throw_random_ball();  // none only if memory ran out
    camera_glide(1.0f);
    camera_set_mode(CAMERA_FOLLOW);
    follow_ball(ball, false);
    world_send_mice_away(&show_world);
    act_mouse_count = 0;
    chase_variant = (int)(random_unit() * 3.0f);
    if (chase_variant == 1) {
        set_background_target(0.1f, 0.2f, 0.3f);
        inertia_target = 0.99f;  // the mice slide
    } else {
        set_background_target(0.3f, 0.2f, 0.1f);
        inertia_target = 0.5f;
    }
    if (chase_variant == 2)
        chain_leader = spawn_runner(&show_world, show_world.half_width, 0.0f, 0.0f, 180.0f);
}

void chase_act_event(int code, int just_started)
{
    switch (code) {
    case EVENT_STEP4:  // every 4 steps: the act's beginning, then one runner or follower
        if (just_started) {
            chase_act_begin();
            return;
        }
        if (act_mouse_count > 7)
            return;
        {
            int formation = (int)(random_unit() * (float)FORMATIONS);
            if (chase_variant == 2)
                chain_leader = spawn_follower(&show_world, 0.0f, -show_world.half_depth, 0.0f,
                                              90.0f, chain_leader);
            else
                spawn_runner_line(formation, 1);
        }
        act_mouse_count++;
        return;
    case EVENT_STEP64: {  // every 64 steps: wanderers from every side, a new camera
        if (just_started)
            return;
        for (int formation = 0; formation < FORMATIONS; formation++)
            spawn_wanderer_line(formation, 1);
        float u1 = random_unit();
        float u2 = random_unit();
        int mode = (int)(u1 + u2 + (float)CAMERA_TILTED);  // CAMERA_TILTED or CAMERA_TILTED_B
        camera_set_mode(mode);
        camera_glide(1.0f);
        random_camera_height();
        if (!show_world.mice || !show_world.balls) {
            camera_set_mode(CAMERA_CENTRE);
            return;
        }
        if (mode == CAMERA_TILTED)
            follow_mouse(world_oldest_mouse(&show_world));
        else
            follow_ball(show_world.balls, false);
        return;
    }
    case EVENT_STEP128:  // every 128 steps: another ball
        if (just_started)
            return;
        throw_random_ball();
        if (chase_variant != 2) {
            world_send_oldest_mouse_away(&show_world);
            world_send_oldest_mouse_away(&show_world);
            act_mouse_count -= 2;
        }
        return;
    default:
        return;
    }
}
