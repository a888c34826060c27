// Vector: the one small value type of the system (positions, normals, directions,
// texture coordinates and colours with alpha in w).
//
// Which components an operator touches is part of the type: a colour keeps its
// alpha under *= and /=, while sums and scalar products of four-component
// vectors carry w along.
#pragma once

#include <cmath>

struct Vector {
    float x, y, z, w;
    float len = 0; // magnitude last computed by length() or normalise()

    Vector() : x(0), y(0), z(0), w(1) {}
    explicit Vector(int n) : x(float(n)), y(float(n)), z(float(n)), w(float(n)) {}
    Vector(float x_, float y_) : x(x_), y(y_), z(0), w(1) {}
    Vector(float x_, float y_, float z_) : x(x_), y(y_), z(z_), w(1) {}
    Vector(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}

    // Copies carry the four components; len is a cache of the source, not of the copy.
    Vector(const Vector& o) : x(o.x), y(o.y), z(o.z), w(o.w) {}
    Vector& operator=(const Vector& o) {
        x = o.x;
        y = o.y;
        z = o.z;
        w = o.w;
        return *this;
    }

    float length() {
        float squares = x * x + y * y + z * z;
        len = std::sqrt(squares);
        return len;
    }

    // Divides all four components, w included, by the length.
    void normalise() {
        length();
        x /= len;
        y /= len;
        z /= len;
        w /= len;
    }

    void cross(const Vector& a, const Vector& b) {
        x = a.y * b.z - a.z * b.y;
        y = a.z * b.x - a.x * b.z;
        z = a.x * b.y - a.y * b.x;
    }

    float dot(const Vector& v) const { return x * v.x + y * v.y + z * v.z; }

    // Unit normal of the triangle (p, q, r): normalise((q - r) x (p - q)). The mesh
    // passes its corners in reverse order, so counter-clockwise faces point at the viewer.
    void face_normal(const Vector& p, const Vector& q, const Vector& r) {
        float ux = p.x - q.x, uy = p.y - q.y, uz = p.z - q.z;
        float vx = q.x - r.x, vy = q.y - r.y, vz = q.z - r.z;
        x = vy * uz - vz * uy;
        y = vz * ux - vx * uz;
        z = vx * uy - vy * ux;
        normalise();
    }

    // Whether x, y and z are all finite numbers (w is not looked at).
    bool is_finite() const { return std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }

    bool within(const Vector& c, float r) const {
        float dx = x - c.x, dy = y - c.y, dz = z - c.z;
        return dx * dx + dy * dy + dz * dz <= r * r;
    }

    bool operator==(const Vector& b) const { return x == b.x && y == b.y && z == b.z; }
    bool operator!=(const Vector& b) const { return !(*this == b); }

    Vector& operator+=(const Vector& b) {
        x += b.x;
        y += b.y;
        z += b.z;
        w += b.w;
        return *this;
    }
    Vector& operator-=(const Vector& b) {
        x -= b.x;
        y -= b.y;
        z -= b.z;
        w -= b.w;
        return *this;
    }
    Vector& operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    Vector& operator/=(float s) {
        x /= s;
        y /= s;
        z /= s;
        return *this;
    }
};

inline bool operator<(const Vector& a, const Vector& b) {
    if (a.x != b.x) return a.x < b.x;
    if (a.y != b.y) return a.y < b.y;
    return a.z < b.z;
}

inline Vector operator+(const Vector& a, const Vector& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}
inline Vector operator-(const Vector& a, const Vector& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
}
inline Vector operator*(float s, const Vector& a) {
    return {s * a.x, s * a.y, s * a.z, s * a.w};
}
inline Vector operator*(const Vector& a, float s) {
    return {a.x * s, a.y * s, a.z * s, a.w * s};
}
inline Vector operator/(const Vector& a, float s) {
    return {a.x / s, a.y / s, a.z / s, a.w / s};
}
inline Vector operator*(const Vector& a, const Vector& b) {
    return {a.x * b.x, a.y * b.y, a.z * b.z, a.w * b.w};
}
