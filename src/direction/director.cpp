// The beat director: the song position read once a frame becomes acts,
// arrangement rows, transpositions and the scene events of every 4th, 16th,
// 32nd, 64th, 128th and 256th step.
//
// Each trigger fires when the position reaches its value and is then held by
// a latch until the position has moved on to its release value, so that the
// many frames that see one step fire it once.
#include "direction/direction_local.h"
#include "direction/director_tables.h"
#include "shell/shell.h"
#include "synth/synth.h"
#include "world/world.h"

#include <SDL/SDL.h>

static constexpr Director director_start = {
    ACT_TITLE, 4,  1,         0,  // act, act_periods_left, act_just_started, song_transpose
    0,         -1, -1,            // title_period, wander_period, chase_period
    0,         0,  {0, 0, 0}, {0, 0, 0, 0, 0, 0},
    0,  // position
};

Director director = director_start;

void director_reset()
{
    director = director_start;
}

// The scene events in the order they are dispatched: code and period.
static constexpr int event_codes[6] = {EVENT_STEP4,  EVENT_STEP16,  EVENT_STEP32,
                                       EVENT_STEP64, EVENT_STEP128, EVENT_STEP256};
static constexpr int event_periods[6] = {4, 16, 32, 64, 128, 256};
static constexpr int transpositions[4] = {0, 4, -4, -8};

// The arrangement row of the act, counting its periods: the counter moves
// one step before each 64-step boundary, so a new row sounds from there.
static int arrangement_row(Director *d, int p64)
{
    int act = d->act;
    int *period = act == ACT_TITLE    ? &d->title_period
                  : act == ACT_WANDER ? &d->wander_period
                                      : &d->chase_period;
    int &latch = d->period_latch[act];
    if (p64 == 63 && !latch) {
        latch = 1;
        (*period)++;
    }
    if (p64 == 0)
        latch = 0;
    unsigned n = (unsigned)*period;  // -1 before the act is first played
    if (act == ACT_TITLE)
        return title_rows[n % 4];
    if (act == ACT_WANDER)
        return wander_rows[n % 12];
    return chase_rows[n % 10];
}

void director_advance(Director *d, int32_t position, DirectorStep *out)
{
    uint32_t p = (uint32_t)position;  // never negative
    out->title_active = -1;
    out->event_count = 0;

    if (d->act == ACT_TITLE)
        out->title_active = 1;

    if (p % 128 == 127 && !d->transpose_latch) {
        d->song_transpose = transpositions[(int)(random_unit() * 4.0f)];
        d->transpose_latch = 1;
    }
    if (p % 128 == 0)
        d->transpose_latch = 0;
    if (d->act == ACT_TITLE)
        d->song_transpose = 0;  // the title is never transposed

    if (p % 64 == 63 && !d->act_latch) {
        if (--d->act_periods_left == 0) {
            d->act_just_started = 1;
            if (d->act == ACT_TITLE) {
                out->title_active = 0;
                d->act = ACT_WANDER;
            } else {
                d->act = (int)(2.0f * random_unit() + 1.0f);  // the same act may follow
            }
            d->act_periods_left = d->act == ACT_WANDER ? 2 : 4;
        }
        d->act_latch = 1;
    }
    if (p % 64 == 0)
        d->act_latch = 0;

    out->row = arrangement_row(d, (int)(p % 64));

    out->act = d->act;
    out->just_started = d->act_just_started;
    for (int i = 0; i < 6; i++) {
        uint32_t phase = p % (uint32_t)event_periods[i];
        if (phase == 0 && !d->event_latch[i]) {
            d->event_latch[i] = 1;
            out->event_codes[out->event_count++] = event_codes[i];
        }
        if (phase == 1 && d->event_latch[i])
            d->event_latch[i] = 0;
    }
    if (p % 64 == 0)
        d->act_just_started = 0;
}

void director_step()
{
    DirectorStep step;
    director.position = synth_song_position();
    director_advance(&director, director.position, &step);
    if (step.title_active >= 0)
        set_title_active(step.title_active);
    for (int i = 0; i < step.event_count; i++) {
        if (step.act == ACT_WANDER)
            wander_act_event(step.event_codes[i], step.just_started);
        else if (step.act == ACT_CHASE)
            chase_act_event(step.event_codes[i], step.just_started);
    }
    SDL_PauseAudio(0);  // the song plays from the first frame
    for (int v : transposed_voices)
        synth_set_transpose(v, director.song_transpose);
    for (int c = 0; c < ARRANGED_VOICES; c++)
        synth_set_mute(c + 1, (uint8_t)(int)(1.0f - voice_on_table[step.row][c]), 1);
}
