// How a simulator value becomes the value an output shows, by the output's
// ranges: unchanged without ranges; a stepper turn or an on/off window with
// one range value; a piecewise-linear table with two or more.
#pragma once

#include <vector>

// v mapped by the value points r1 and target points r2 of an output whose
// key ends in kind.
//  - r1 empty: v.
//  - one value t, a stepper (G or g): the turn t is r2[1] steps; v beyond a
//    turn wraps, and a negative v turns the other way.
//  - one value t, any other kind, u = r2[0]: 1 when t <= v <= u, else 0;
//    1 whenever t > u.
//  - two or more ascending values: linear between the neighbouring points;
//    below the first the first target, above the last the last target.
float MapOutputValue(float v, const std::vector<float>& r1, const std::vector<float>& r2,
                     char kind);
