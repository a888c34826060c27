// Every number option refuses NaN and infinity, and a value outside its range, as a
// usage error that says the range as the option's help does.
#include "cli/cli_run.h"

#include <gtest/gtest.h>

namespace {

struct Refused {
    std::string args, message;
};

TEST(NumberOptions, NotFiniteOrOutOfRangeIsAUsageError) {
    const std::string mesh = bundled_data("spot.obj"), out = " -o /dev/null";
    const Refused cases[] = {
        {"classify " + mesh + " --weight nan", "--weight: takes a finite number, not nan"},
        {"classify " + mesh + " --weight inf", "--weight: takes a finite number, not inf"},
        {"classify " + mesh + " --patches 52", "--patches: takes 1 to 51, not 52"},
        {"simplify " + mesh + out + " --lod -inf", "--lod: takes a finite number, not -inf"},
        {"subdivide " + mesh + out + " --levels 0 --weight 0", "--levels: takes 1 or more, not 0"},
        {"subdivide " + mesh + out + " --levels 1 --weight nan",
         "--weight: takes a finite number, not nan"},
        {"smooth " + mesh + " --normals /dev/null --median nan",
         "--median: takes a finite number, not nan"},
        {"smooth " + mesh + " --normals /dev/null --sphere-jump inf",
         "--sphere-jump: takes a finite number, not inf"},
        {"clip-planes --cube nan --save /dev/null", "--cube: nan is not a number above 0"},
        {"clip-planes --cube 0 --save /dev/null", "--cube: 0 is not a number above 0"},
        {"clip-planes --cube 1e-40 --save /dev/null", "are not finite"},
        {"clip-planes --cube 1e19 --save /dev/null", "are not finite"},
        {"clip-planes --cube 3e38 --save /dev/null", "are not finite"},
#ifdef VOSTREL_RENDER
        {"terrain " + bundled_data("heightmaps/raylib_heightmap_128_rgb.png") + out +
             " --height nan",
         "--height: takes a finite number, not nan"},
        {"render " + mesh + " -o /dev/null --mode 9", "--mode: takes 0 to 8, not 9"},
#endif
    };
    for (const Refused& c : cases) {
        CliRun r = run_cli(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
    }
}

} // namespace
