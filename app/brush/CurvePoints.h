#pragma once

// One input curve of one setting: up to 8 control points, 0 or 2..8 in use.
struct CurvePoints
{
    static constexpr int kMaxPoints = 8;

    float xvalues[kMaxPoints] = {};
    float yvalues[kMaxPoints] = {};
    int n = 0;
};
