// An OpenGL context without a display: OSMesa, drawing into a framebuffer object of the
// formats the window's view draws into (RGBA8, depth 24, stencil 8), so that blending
// and depth tests round as they do in the window.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct osmesa_context;

class HeadlessGl {
  public:
    HeadlessGl(int width, int height);
    ~HeadlessGl();
    HeadlessGl(const HeadlessGl&) = delete;
    HeadlessGl& operator=(const HeadlessGl&) = delete;

    // Whether the context is current and ready to draw.
    explicit operator bool() const { return error_text.empty(); }
    const std::string& error() const { return error_text; }

  private:
    osmesa_context* context = nullptr;
    std::vector<unsigned char> buffer;
    std::string error_text;
};
