// The camera: a mode chooses where it wants to be, and every frame it eases
// a share of the way there. How large a share is itself eased by a glide:
// the follow factor falls linearly from 0.995 (very slow) to 0.5 over the
// glide's seconds, and stays at 0.5 after it.
//
// The easings act once per frame with fixed factors, whatever dt is; only
// the glide is timed in seconds. The transform drawn in a frame is the one
// eased in the frame before.
#include "direction/direction_local.h"

#include "world/world.h"

static constexpr float start_position[3] = {0.0f, 0.1f, -3.4f};   // high above the floor
static constexpr float overview_target[3] = {0.0f, 0.1f, -0.4f};  // mode 1
static constexpr float centre_target[3] = {0.0f, 0.0f, 0.2f};     // mode 0
static constexpr float start_glide = 10.0f;                       // seconds
static constexpr double glide_start_follow = 0.995;
static constexpr double glide_fall = 0.495;  // the follow factor falls to 0.5 over a glide
static constexpr float settled_follow = 0.5f;
static constexpr double angle_keep = 0.999;   // share of the old angle kept per frame
static constexpr float follow_tilt = -55.0f;  // degrees, modes 5 and 6

int camera_mode = CAMERA_OVERVIEW;
float camera_position[3] = {start_position[0], start_position[1], start_position[2]};
float camera_target[3] = {overview_target[0], overview_target[1], overview_target[2]};
float camera_angles[2];
float camera_angle_targets[2];
float camera_height;
float camera_follow = (float)glide_start_follow;
int glide_active = 1;
float glide_left = start_glide;
float glide_length = start_glide;
const Vec3 *follow_position;
const float *follow_heading;
const float no_heading = 0.0f;

void camera_reset()
{
    camera_mode = CAMERA_OVERVIEW;
    for (int i = 0; i < 3; i++) {
        camera_position[i] = start_position[i];
        camera_target[i] = overview_target[i];
    }
    camera_angles[0] = camera_angles[1] = 0.0f;
    camera_angle_targets[0] = camera_angle_targets[1] = 0.0f;
    camera_height = 0.0f;
    camera_follow = (float)glide_start_follow;
    glide_active = 1;
    glide_left = glide_length = start_glide;
    follow_position = nullptr;
    follow_heading = nullptr;
}

void camera_set_mode(int mode)
{
    camera_mode = mode;
}

void camera_set_height(float z)
{
    camera_height = z;
}

void camera_set_tilt_target(float degrees)
{
    camera_angle_targets[0] = degrees;
}

void camera_set_followed(const Vec3 *position, const float *heading)
{
    follow_position = position;
    follow_heading = heading ? heading : &no_heading;
}

void camera_glide(float seconds)
{
    glide_active = 1;
    glide_left = seconds;
    glide_length = seconds;
}

// The follow factor for this frame; counts the glide down by dt.
static void camera_glide_step(float dt)
{
    if (!glide_active) {
        camera_follow = settled_follow;
        return;
    }
    // A glide of no length (or not a number) would divide 0 by 0: it is
    // over at once.
    if (!(glide_length > 0.0f)) {
        glide_left = 0.0f;
        glide_active = 0;
        camera_follow = settled_follow;
        return;
    }
    float t = glide_length, r = glide_left;
    glide_left = r - dt;
    camera_follow = (float)(glide_start_follow - ((double)t - r) * glide_fall / t);
    if (!(glide_left > 0.0f)) {
        glide_left = 0.0f;
        glide_active = 0;
    }
}

// Where the mode wants the camera. Before anything is followed, modes 2 to
// 6 look at the centre and roll with no heading.
static void camera_aim()
{
    static const Vec3 centre = {0.0f, 0.0f, 0.0f};
    const Vec3 *p = follow_position ? follow_position : &centre;
    const float *heading = follow_heading ? follow_heading : &no_heading;
    switch (camera_mode) {
    case CAMERA_CENTRE:
        for (int i = 0; i < 3; i++)
            camera_target[i] = centre_target[i];
        break;
    case CAMERA_OVERVIEW:
        for (int i = 0; i < 3; i++)
            camera_target[i] = overview_target[i];
        break;
    case CAMERA_FOLLOW:
    case CAMERA_FOLLOW_B:
    case CAMERA_FOLLOW_C:
        camera_target[0] = -p->x;
        camera_target[1] = -p->y;
        camera_target[2] = camera_height;
        camera_angle_targets[1] = 0.0f;
        break;
    case CAMERA_TILTED:
    case CAMERA_TILTED_B:
        camera_target[0] = -p->x;
        camera_target[1] = -p->y;
        camera_target[2] = 0.0f;
        camera_angle_targets[0] = follow_tilt;
        camera_angle_targets[1] = -*heading;
        break;
    default:  // no such mode: the targets stay
        break;
    }
}

// Eases the angles and the position a share of the way to their targets.
static void camera_ease()
{
    for (int i = 0; i < 2; i++)
        camera_angles[i] =
            (float)(camera_angles[i] * angle_keep + camera_angle_targets[i] * (1 - angle_keep));
    for (int i = 0; i < 3; i++)
        camera_position[i] = (float)((1 - (double)camera_follow) * camera_target[i] +
                                     (double)(camera_follow * camera_position[i]));
}

void camera_update(float dt)
{
    camera_glide_step(dt);
    camera_aim();
    glRotatef(camera_angles[0], 1.0f, 0.0f, 0.0f);
    glRotatef(camera_angles[1], 0.0f, 0.0f, 1.0f);
    glTranslatef(camera_position[0], camera_position[1], camera_position[2]);
    camera_ease();
}

void camera_advance(float dt)
{
    camera_glide_step(dt);
    camera_aim();
    camera_ease();
}
