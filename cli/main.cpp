// vostrel-cli: the Vostrel core without a window, for scripts and servers.
#include "cli/commands.h"

#include <cstdio>
#include <cstring>

namespace {

const char* usage = R"(Usage: vostrel-cli COMMAND [ARGUMENTS]

Commands:
  info FILE [--json]
      Load a mesh (.obj or .net) as the viewer does and print its vertex, face and
      edge counts, border edges, bounding box, extent and centre. With --json, print
      one JSON object instead; the loading messages then go to standard error.
  convert INPUT OUTPUT.obj [--colours]
      Load INPUT as the viewer does and save it as OBJ. With --colours, a line
      "vc r g b" follows every vertex so that vertex colours survive the round trip.
  render MESH -o IMAGE.png [--mode N] [--size WxH] [--perspective] [--background RRGGBB]
      Draw the frame the viewer draws, without a display, and save it as PNG.
      Mode 0-7 as in the Render Mode menu (default 4, polygons), size 800x600 by
      default, orthographic unless --perspective, background white unless given.
  terrain HEIGHTMAP.png -o OUT.obj [--resolution N] [--scale S] [--height H]
          [--colour-map FILE.map] [--colours]
      Build the terrain the Terrain page builds: the PNG scaled to 256 x 256, a grid
      of N x N points (default 64) of side S (256) and height scale H (64), coloured
      by the map (default black at 0, white at 1), saved as OBJ; --colours writes the
      vertex colours as "vc" lines.

Options:
  -h, --help    Show this text.

Errors go to standard error; the exit status is 0 on success and 1 on failure.
)";

} // namespace

int usage_error(const std::string& message) {
    std::fprintf(stderr, "vostrel-cli: %s\nTry 'vostrel-cli --help'.\n", message.c_str());
    return 1;
}

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc < 2) return usage_error("missing command");
    std::string command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        std::fputs(usage, stdout);
        return 0;
    }
    Arguments args(argv + 2, argv + argc);
    for (const std::string& a : args)
        if (a == "-h" || a == "--help") {
            std::fputs(usage, stdout);
            return 0;
        }
    if (command == "info") return info_command(args);
    if (command == "convert") return convert_command(args);
#ifdef VOSTREL_RENDER
    if (command == "render") return render_command(args);
    if (command == "terrain") return terrain_command(args);
#endif
    return usage_error("unknown command '" + command + "'");
}
