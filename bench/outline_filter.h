// A switch that drops the outline pass of the outlined renderer, so that a
// benchmark can time the same frame with its fill pass alone.
//
// outline_filter.cpp defines glCallList in the benchmark program, which the
// renderer's calls reach before the OpenGL library's; it forwards every
// call, except, while the switch is on, those made with line polygon offset
// enabled: only the outline pass draws its display lists so.
#pragma once

// Non-zero: the outline pass's display lists are not drawn.
extern int outline_pass_dropped;
