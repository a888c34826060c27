// The clipping planes as first written, step by step over plain floats (its own arcball
// included), kept to check the planes' geometry against (tests) and to measure it by
// (benchmarks). Every operation is single precision in the written order.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace reference_clipping {

struct P3 {
    float x = 0, y = 0, z = 0;
};

inline P3 sub(P3 a, P3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline P3 add(P3 a, P3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline P3 scaled(P3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline float dot(P3 a, P3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline P3 cross(P3 a, P3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float length(P3 a) {
    float squares = a.x * a.x + a.y * a.y + a.z * a.z;
    return std::sqrt(squares);
}
inline P3 normalised(P3 a) {
    float len = length(a);
    return {a.x / len, a.y / len, a.z / len};
}

struct Ball {
    int axis_lock = 0, constraint = 0;
    bool dragging = false;
    float transform[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float last_rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    float this_rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    P3 start, end;
    float adjust_width = 0, adjust_height = 0;

    void set_bounds(float w, float h) {
        adjust_width = 1.0f / ((w - 1.0f) * 0.5f);
        adjust_height = 1.0f / ((h - 1.0f) * 0.5f);
    }
    P3 map_to_sphere(float x, float y) const {
        if (axis_lock == 0) {
            x = x * adjust_width - 1.0f;
            y = 1.0f - y * adjust_height;
        } else if (axis_lock == 1) {
            y = 1.0f - y * adjust_height;
        } else if (axis_lock == 2) {
            x = x * adjust_width - 1.0f;
        }
        float l = x * x + y * y;
        if (l > 1.0f) {
            float s = 1.0f / std::sqrt(l);
            return {x * s, y * s, 0};
        }
        return {x, y, std::sqrt(1.0f - l)};
    }
    void click(float x, float y) {
        for (int i = 0; i < 9; ++i) last_rotation[i] = this_rotation[i];
        dragging = true;
        start = map_to_sphere(x, y);
    }
    void drag(float px, float py) {
        if (!dragging) return;
        end = map_to_sphere(px, py);
        P3 perp = cross(start, end);
        float qx = 0, qy = 0, qz = 0, qw = 0;
        if (length(perp) > 0.00001f) {
            if (constraint >= 0 && constraint <= 2) {
                qx = perp.x, qy = perp.y, qz = perp.z;
            } else if (constraint == 3 || constraint == 4) {
                qx = perp.z, qy = perp.y, qz = perp.x;
            } else if (constraint == 5 || constraint == 6) {
                qx = perp.x, qy = perp.z, qz = perp.y;
            }
            qw = dot(start, end);
        }
        float n = qx * qx + qy * qy + qz * qz + qw * qw;
        float s = n > 0.0f ? 2.0f / n : 0.0f;
        float xs = qx * s, ys = qy * s, zs = qz * s;
        float wx = qw * xs, wy = qw * ys, wz = qw * zs;
        float xx = qx * xs, xy = qx * ys, xz = qx * zs;
        float yy = qy * ys, yz = qy * zs, zz = qz * zs;
        float q[9]; // column-major: (r, c) at c * 3 + r
        q[0] = 1.0f - (yy + zz);
        q[3] = xy - wz;
        q[6] = xz + wy;
        q[1] = xy + wz;
        q[4] = 1.0f - (xx + zz);
        q[7] = yz - wx;
        q[2] = xz - wy;
        q[5] = yz + wx;
        q[8] = 1.0f - (xx + yy);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                float sum = q[0 * 3 + r] * last_rotation[c * 3 + 0];
                sum = sum + q[1 * 3 + r] * last_rotation[c * 3 + 1];
                sum = sum + q[2 * 3 + r] * last_rotation[c * 3 + 2];
                this_rotation[c * 3 + r] = sum;
            }
        float squares = 0;
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 3; ++r)
                squares = squares + transform[c * 4 + r] * transform[c * 4 + r];
        float scale = std::sqrt(squares / 3.0f);
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 3; ++r) transform[c * 4 + r] = this_rotation[c * 3 + r] * scale;
    }
};

struct Plane {
    P3 normal, centre;
    double equation[4] = {0, 0, 0, 0};
    Ball ball;
    float last_x = 0, last_y = 0;
    P3 rest[4], corners[4];

    void update(float px, float py, float cube = 256) {
        if (ball.axis_lock == 1) {
            ball.drag(0, py);
        } else if (ball.axis_lock == 2) {
            ball.drag(px, 0);
        } else if (ball.axis_lock == 3) {
            float dy = last_y - py;
            double dd = double(dy) * 0.1 * (double(cube) / 256.0);
            float d = float(dd);
            last_x = px;
            last_y = py;
            ball.transform[12] = ball.transform[12] + d * normal.x;
            ball.transform[13] = ball.transform[13] + d * normal.y;
            ball.transform[14] = ball.transform[14] + d * normal.z;
        }
        int mode = ball.constraint;
        const float* m = ball.transform;
        for (int k = 0; k < 4; ++k) {
            P3 c = rest[k];
            if (mode == 1 || mode == 2) c.z = 0;
            if (mode == 3 || mode == 4) c.x = 0;
            if (mode == 5 || mode == 6) c.y = 0;
            const float w = 1.0f;
            P3 t;
            t.x = m[0] * c.x + m[1] * c.y + m[2] * c.z + m[3] * w + m[12];
            t.y = m[4] * c.x + m[5] * c.y + m[6] * c.z + m[7] * w + m[13];
            t.z = m[8] * c.x + m[9] * c.y + m[10] * c.z + m[11] * w + m[14];
            if (mode == 1 || mode == 2) t.z = t.z + rest[k].z;
            if (mode == 3 || mode == 4) t.x = t.x + rest[k].x;
            if (mode == 5 || mode == 6) t.y = t.y + rest[k].y;
            corners[k] = t;
        }
        normal = normalised(cross(sub(corners[1], corners[2]), sub(corners[0], corners[1])));
        P3 sum = add(add(add(corners[0], corners[1]), corners[2]), corners[3]);
        centre = {sum.x / 4.0f, sum.y / 4.0f, sum.z / 4.0f};
        double x1 = corners[0].x, y1 = corners[0].y, z1 = corners[0].z;
        double x2 = corners[1].x, y2 = corners[1].y, z2 = corners[1].z;
        double x3 = corners[2].x, y3 = corners[2].y, z3 = corners[2].z;
        equation[0] = y1 * (z2 - z3) + y2 * (z3 - z1) + y3 * (z1 - z2);
        equation[1] = z1 * (x2 - x3) + z2 * (x3 - x1) + z3 * (x1 - x2);
        equation[2] = x1 * (y2 - y3) + x2 * (y3 - y1) + x3 * (y1 - y2);
        double d = x1 * (y2 * z3 - y3 * z2) + x2 * (y3 * z1 - y1 * z3) + x3 * (y1 * z2 - y2 * z1);
        float rounded = float(d);
        equation[3] = -rounded;
    }
    void press(float x, float y, int button) {
        ball.axis_lock = button;
        if (button == 1) x = 0;
        if (button == 2) y = 0;
        ball.click(x, y);
        last_x = x;
        last_y = y;
    }
    void end_drag() {
        ball.axis_lock = 0;
        ball.dragging = false;
    }
};

inline std::vector<P3> outline(const Plane& plane, const P3 cube[8]) {
    static const int edges[12][2] = {{0, 2}, {0, 1}, {0, 4}, {2, 6}, {2, 3}, {3, 1},
                                     {3, 7}, {1, 5}, {4, 5}, {4, 6}, {7, 5}, {7, 6}};
    std::vector<P3> points;
    for (const auto& e : edges) {
        P3 p = cube[e[0]], q = cube[e[1]];
        float t = dot(plane.normal, sub(plane.centre, p)) / dot(plane.normal, sub(q, p));
        if (t >= 0.0f && t <= 1.0f) points.push_back(add(p, scaled(sub(q, p), t)));
    }
    if (points.empty()) return points;
    P3 sum = points[0];
    for (size_t k = 1; k < points.size(); ++k) sum = add(sum, points[k]);
    float count = float(points.size());
    P3 c = {sum.x / count, sum.y / count, sum.z / count};
    P3 r = normalised(sub(points[0], c));
    P3 n = normalised(plane.normal);
    std::vector<double> angle(points.size(), 0.0);
    for (size_t k = 1; k < points.size(); ++k) {
        P3 v = normalised(sub(points[k], c));
        double a = std::atan2(double(dot(n, cross(r, v))), double(dot(r, v))) * 57.29577950560105;
        if (a < 0) a += 360;
        angle[k] = a;
    }
    std::vector<bool> taken(points.size(), false);
    std::vector<P3> ordered{points[0]};
    taken[0] = true;
    for (size_t round = 1; round < points.size(); ++round) {
        double smallest = 999999;
        size_t pick = points.size();
        for (size_t k = 0; k < points.size(); ++k)
            if (!taken[k] && angle[k] < smallest) {
                smallest = angle[k];
                pick = k;
            }
        // Points whose angle is not a number never win; they follow in their order.
        if (pick == points.size())
            for (size_t k = 0; k < points.size() && pick == points.size(); ++k)
                if (!taken[k]) pick = k;
        taken[pick] = true;
        ordered.push_back(points[pick]);
    }
    return ordered;
}

struct Widget {
    float size[3] = {0, 0, 0};
    P3 cube[8];
    Plane planes[6];
    int selected[6] = {-1, -1, -1, -1, -1, -1};
    int show_all = 0;
    std::vector<P3> outlines[6];

    void corners() {
        float hx = size[0] / 2.0f, hy = size[1] / 2.0f, hz = size[2] / 2.0f;
        cube[0] = {-hx, hy, hz};
        cube[1] = {hx, hy, hz};
        cube[2] = {-hx, -hy, hz};
        cube[3] = {hx, -hy, hz};
        cube[4] = {-hx, hy, -hz};
        cube[5] = {hx, hy, -hz};
        cube[6] = {-hx, -hy, -hz};
        cube[7] = {hx, -hy, -hz};
    }
    Plane default_plane(int i) const {
        static const int rest[6][4] = {{0, 1, 3, 2}, {6, 7, 5, 4}, {1, 5, 7, 3},
                                       {2, 6, 4, 0}, {4, 5, 1, 0}, {3, 7, 6, 2}};
        Plane p;
        for (int k = 0; k < 4; ++k) p.rest[k] = cube[rest[i][k]];
        p.ball.set_bounds(800, 800);
        p.ball.constraint = i + 1;
        p.update(0, 0);
        return p;
    }
    void set_cube(float sx, float sy, float sz) {
        size[0] = sx, size[1] = sy, size[2] = sz;
        corners();
        for (int i = 0; i < 6; ++i) {
            planes[i] = default_plane(i);
            outlines[i].clear();
            selected[i] = -1;
        }
    }
    void rebuild() {
        for (int a = 0; a < 6; ++a) outlines[a] = outline(planes[a], cube);
    }
    void reset_all() {
        set_cube(size[0], size[1], size[2]);
        rebuild();
    }
    void reset_selected() {
        corners();
        for (int i = 0; i < 6; ++i)
            if (selected[i] == 1) {
                planes[i] = default_plane(i);
                outlines[i].clear();
            }
        rebuild();
    }
    void toggle(int i) {
        if (i < 0 || i >= 6) return;
        selected[i] = selected[i] == 1 ? -1 : 1;
        rebuild();
    }
    void press(float x, float y, int button) {
        for (int i = 0; i < 6; ++i)
            if (selected[i] == 1) planes[i].press(x, y, button);
    }
    void move(float x, float y) {
        for (int i = 0; i < 6; ++i)
            if (selected[i] == 1) {
                planes[i].update(x, y, std::max({size[0], size[1], size[2]}));
                rebuild();
            }
    }
    void release() {
        for (int i = 0; i < 6; ++i)
            if (selected[i] == 1) planes[i].end_drag();
    }
};

} // namespace reference_clipping
