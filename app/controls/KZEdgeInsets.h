#pragma once

// The cut values of a skin image: top, left, bottom and right, in points.
// They are cut positions in the image's own space (origin at the bottom
// left, y upwards), not distances from the edges: left and right are the x
// of the two vertical cuts, top and bottom the y of the two horizontal ones.
// All four 0: not cut. All four -1: cut automatically at the middle.
struct KZEdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;

    static KZEdgeInsets automatic() { return {-1, -1, -1, -1}; }
    bool isZero() const { return top == 0 && left == 0 && bottom == 0 && right == 0; }
    bool isAutomatic() const { return top == -1 && left == -1 && bottom == -1 && right == -1; }
    // Exact equality of all four values.
    bool operator==(const KZEdgeInsets& other) const
    {
        return left == other.left && right == other.right && top == other.top && bottom == other.bottom;
    }
    // Each value rounded down in single precision.
    static KZEdgeInsets floored(double top, double left, double bottom, double right);
};
