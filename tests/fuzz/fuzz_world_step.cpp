// Drives the World with a script of spawns, placements, send-offs and steps
// read from the input, and traps as soon as any position, velocity, push or
// heading of a mouse or ball is not finite.
//
// Each input is read in records of four bytes: an operation and three
// argument bytes. Coordinates are bytes scaled to -1.5..1.5; a placement
// beside an existing record uses one of a few offsets down to the smallest
// float, so that coincident and nearly coincident objects are common.
#include "world/world.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

const float offsets[8] = {0.0f, 1e-45f, 1e-38f, 1e-30f, 1e-7f, 1e-4f, 1e-3f, 0.05f};
const float dts[8] = {1.0f / 75.0f, 0.001f, 0.005f, 0.02f, 0.05f, 0.1f, 0.25f, 1.0f};

float coordinate(uint8_t b)
{
    return ((float)b - 127.5f) * (1.5f / 127.5f);
}

bool finite3(const Vec3 &v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void check(const std::vector<Mouse *> &mice, const std::vector<Ball *> &balls)
{
    for (const Mouse *m : mice)
        if (!finite3(m->position) || !finite3(m->velocity) || !finite3(m->desired_velocity) ||
            !finite3(m->push) || !std::isfinite(m->heading) || !std::isfinite(m->wander_heading))
            __builtin_trap();
    for (const Ball *b : balls)
        if (!finite3(b->position) || !finite3(b->push) || !std::isfinite(b->heading) ||
            !std::isfinite(b->roll))
            __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    srand(data[0]);
    World world{};
    world_reset(&world, 1.0f, 1.0f);
    inertia = inertia_target = 0.5f;
    std::vector<Mouse *> mice;
    std::vector<Ball *> balls;

    const uint8_t *p = data + 1, *end = data + size;
    for (int ops = 0; end - p >= 4 && ops < 400; p += 4, ops++) {
        uint8_t op = p[0] % 8, a = p[1], b = p[2], c = p[3];
        switch (op) {
        case 0:  // a mouse at (a, b) of behaviour c
        case 1:  // a mouse beside the newest mouse or ball
            if (mice.size() < 64) {
                float x = coordinate(a), y = coordinate(b);
                if (op == 1) {
                    const Vec3 *near = (c & 8) && world.balls ? &world.balls->position
                                       : world.mice           ? &world.mice->position
                                                              : nullptr;
                    if (near && std::fabs(near->x) < 2 && std::fabs(near->y) < 2) {
                        x = near->x + offsets[a % 8];
                        y = near->y + ((a & 8) ? offsets[b % 8] : 0.0f);
                    }
                }
                Mouse *m = mouse_create(&world, x, y, 0.0f, (float)c * (360.0f / 256.0f),
                                        0.25f + (float)(c % 9) * 0.25f);
                m->behaviour = BEHAVIOUR_WANDER + c % 3;
                if (m->behaviour == BEHAVIOUR_FOLLOW && !mice.empty())
                    m->leader = mice[b % mice.size()];
                mice.push_back(m);
            }
            break;
        case 2:  // a ball of kind a at side b, maybe moved to (c, a)
            if (balls.size() < 32) {
                Ball *ball = ball_create(&world, a % 4, b % 4);
                if (c & 1)
                    ball->position = {coordinate(c), coordinate(a), 0.0f};
                if ((c & 2) && world.mice)
                    ball->position = {world.mice->position.x + offsets[a % 8],
                                      world.mice->position.y, 0.0f};
                balls.push_back(ball);
            }
            break;
        case 3:
            world_send_oldest_mouse_away(&world);
            break;
        case 4:
            if (a & 1)
                world_send_mice_away(&world);
            else
                world_send_balls_off(&world);
            break;
        case 5:
            inertia_target = (a & 1) ? 0.99f : 0.5f;
            world.show_arena = b & 1;
            break;
        default:  // steps
            for (int i = 0; i <= c % 16; i++) {
                world_step(&world, dts[a % 8]);
                check(mice, balls);
            }
            break;
        }
    }
    world_step(&world, 1.0f / 75.0f);
    check(mice, balls);

    world_release_records(&world);
    return 0;
}
