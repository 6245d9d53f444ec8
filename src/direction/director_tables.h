// The director's arrangement tables, shared with the song tool so that a
// composer hears each row as the show plays it.
#pragma once

constexpr int ARRANGED_VOICES = 13;    // columns of voice_on_table: voices 1..13
constexpr int ARRANGEMENT_ROWS = 18;   // rows of voice_on_table
constexpr int TRANSPOSED_VOICES = 10;  // entries of transposed_voices

// Arrangement rows of the title act's 64-step periods, in order.
extern const int title_rows[4];
// Arrangement rows of the wandering act's periods, in order.
extern const int wander_rows[12];
// Arrangement rows of the chasing act's periods, in order.
extern const int chase_rows[10];
// Per row, per voice 1..13: 1.0 the voice plays, 0.0 it is muted.
extern const float voice_on_table[ARRANGEMENT_ROWS][ARRANGED_VOICES];
// Voices sent the song transposition; 7, 10, 11 and 13 never are.
extern const int transposed_voices[TRANSPOSED_VOICES];
