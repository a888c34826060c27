// Light files: what "Open" takes and refuses, and what "Save" writes reads back.
#include "viewer/light_file.h"
#include "viewer/lighting.h"

#include <gtest/gtest.h>

namespace {

const char* const whole = "ambient 0.5 0.5 0.5\ndiffuse 0.125 0.125 0.125\nspecular 0 0 0\n"
                          "altitude 0\nazimuth 180\n";

TEST(LightFile, ReadsItsLinesInAnyOrderAndWritesThemBack) {
    LightFile light;
    ASSERT_TRUE(parse_light_file("# mine\r\nazimuth 90\n\naltitude 45\nspecular 1 1 1\n"
                                 "\tdiffuse 0 0.25 1\nambient 1e-1 0 .5",
                                 "mine.light", light));
    EXPECT_EQ(light.altitude, 45);
    EXPECT_EQ(light.azimuth, 90);
    EXPECT_EQ(light.ambient, Vector(0.1f, 0, 0.5f, 1));
    EXPECT_EQ(light.diffuse, Vector(0, 0.25f, 1, 1));
    LightFile again;
    ASSERT_TRUE(parse_light_file(format_light_file(light), "again.light", again));
    EXPECT_EQ(format_light_file(again), format_light_file(light));
    EXPECT_EQ(format_light_file(LightFile()), whole);
}

// Each bad line comes first, before a whole file, so that it is the one refused.
TEST(LightFile, RefusesAWrongFileWholeNamingItsLine) {
    const struct {
        const char* text;
        bool before_whole;
        const char* error;
    } cases[] = {
        {"ambient 0.5 0.5\n", true, "mine.light:1: ambient takes three numbers"},
        {"ambient 0.5 0.5 1.5\n", true,
         "mine.light:1: ambient: \"1.5\" is not a number from 0 to 1"},
        {"diffuse nan 0 0\n", true, "\"nan\" is not a number from 0 to 1"},
        {"diffuse 0x1 0 0\n", true, "\"0x1\" is not a number"},
        {"altitude 45.5\n", true, "\"45.5\" is not a whole number from 0 to 360"},
        {"azimuth 361\n", true, "\"361\" is not a whole number"},
        {"azimuth 9 9\n", true, "azimuth takes one whole number"},
        {"glow 1\n", true, "\"glow\" is not one of ambient"},
        {"azimuth 1\nazimuth 2\n", false, "mine.light:2: azimuth is given twice"},
        {"ambient 0 0 0\n", false, "mine.light: there is no diffuse line"},
        {"", false, "there is no ambient line"},
    };
    for (const auto& c : cases) {
        LightFile light;
        light.altitude = 33;
        std::string text = std::string(c.text) + (c.before_whole ? whole : "");
        IoResult r = parse_light_file(text, "mine.light", light);
        EXPECT_FALSE(r) << c.text;
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
        EXPECT_EQ(light.altitude, 33) << c.text; // nothing taken
    }
}

TEST(LightPresets, NamesAndLookUp) {
    LightPreset p = LightPreset::Custom;
    EXPECT_TRUE(preset_named("STUDIO", p));
    EXPECT_EQ(p, LightPreset::Studio);
    EXPECT_TRUE(preset_named("classic", p));
    EXPECT_EQ(p, LightPreset::Classic);
    EXPECT_FALSE(preset_named("bright", p));
    EXPECT_EQ(preset_of(preset_lighting(LightPreset::Studio)), LightPreset::Studio);
    EXPECT_EQ(preset_of(Lighting()), LightPreset::Classic);
    Lighting own = Lighting();
    own.diffuse.x = 0.25f;
    EXPECT_EQ(preset_of(own), LightPreset::Custom);
    // Classic is the original light: dim, one-sided, no highlight.
    Lighting classic = preset_lighting(LightPreset::Classic);
    EXPECT_EQ(classic.ambient, Vector(0.5f, 0.5f, 0.5f, 1));
    EXPECT_EQ(classic.diffuse, Vector(0.125f, 0.125f, 0.125f, 1));
    EXPECT_FALSE(classic.two_sided);
    EXPECT_EQ(classic.surface_specular, 0);
}

} // namespace
