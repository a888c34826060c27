#include "viewer/light_file.h"

#include "core/atomic_file.h"
#include "core/text_file.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

enum class LightEntry { Ambient, Diffuse, Specular, Altitude, Azimuth };
constexpr const char* entry_names[] = {"ambient", "diffuse", "specular", "altitude", "azimuth"};
constexpr int entry_count = 5;

// The line's words, split at blanks and tabs; no more than five, one more than any
// line takes.
std::vector<std::string_view> words_of(std::string_view line) {
    return split_words(line, " \t", 5);
}

std::string quoted(std::string_view word) {
    std::string q = "\"";
    q.append(word);
    q += '"';
    return q;
}

bool number_in(std::string_view word, double lo, double hi, double& value) {
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value) && value >= lo && value <= hi;
}

// Sets the entry one line names; the reason why not otherwise.
std::string read_entry(const std::vector<std::string_view>& words, LightFile& light,
                       LightEntry& entry) {
    int e = 0;
    while (e < entry_count && words[0] != entry_names[e]) ++e;
    if (e == entry_count)
        return quoted(words[0]) + " is not one of ambient, diffuse, specular, altitude, azimuth";
    entry = LightEntry(e);
    const bool colour = e <= int(LightEntry::Specular);
    if (words.size() != (colour ? 4u : 2u))
        return std::string(entry_names[e]) + (colour ? " takes three numbers, red, green and blue"
                                                     : " takes one whole number of degrees");
    if (colour) {
        double rgb[3];
        for (int k = 0; k < 3; ++k)
            if (!number_in(words[k + 1], 0, 1, rgb[k]))
                return std::string(entry_names[e]) + ": " + quoted(words[k + 1]) +
                       " is not a number from 0 to 1";
        Vector& v = e == 0 ? light.ambient : e == 1 ? light.diffuse : light.specular;
        v = Vector(float(rgb[0]), float(rgb[1]), float(rgb[2]), 1);
        return {};
    }
    double degrees;
    if (!number_in(words[1], 0, 360, degrees) || degrees != std::floor(degrees))
        return std::string(entry_names[e]) + ": " + quoted(words[1]) +
               " is not a whole number from 0 to 360";
    (entry == LightEntry::Altitude ? light.altitude : light.azimuth) = int(degrees);
    return {};
}

} // namespace

std::string format_light_file(const LightFile& l) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "ambient %.9g %.9g %.9g\ndiffuse %.9g %.9g %.9g\nspecular %.9g %.9g %.9g\n"
                  "altitude %d\nazimuth %d\n",
                  double(l.ambient.x), double(l.ambient.y), double(l.ambient.z),
                  double(l.diffuse.x), double(l.diffuse.y), double(l.diffuse.z),
                  double(l.specular.x), double(l.specular.y), double(l.specular.z), l.altitude,
                  l.azimuth);
    return text;
}

IoResult parse_light_file(std::string_view text, const std::string& name, LightFile& out) {
    LightFile light = out;
    bool seen[entry_count] = {};
    LineReader lines(text);
    for (std::string_view line; lines.next(line);) {
        std::vector<std::string_view> words = words_of(line);
        if (words.empty() || words[0][0] == '#') continue;
        auto refuse = [&](const std::string& why) {
            return IoResult::failure("ERROR: " + name + ":" + std::to_string(lines.number) + ": " +
                                     why + "; the light stays as it was");
        };
        LightEntry entry = LightEntry::Ambient;
        if (std::string why = read_entry(words, light, entry); !why.empty()) return refuse(why);
        if (seen[int(entry)])
            return refuse(std::string(entry_names[int(entry)]) + " is given twice");
        seen[int(entry)] = true;
    }
    for (int e = 0; e < entry_count; ++e)
        if (!seen[e])
            return IoResult::failure("ERROR: " + name + ": there is no " + entry_names[e] +
                                     " line; the light stays as it was");
    out = light;
    return {};
}

IoResult load_light_file(const std::string& path, LightFile& light) {
    FileText file;
    if (!file.open(path, 1 << 20))
        return open_failure("ERROR: could not read the light file " + path, file);
    std::string_view text = file.text();
    if (IoResult r = check_text(text, path); !r) return r;
    return parse_light_file(text, path, light);
}

IoResult save_light_file(const std::string& path, const LightFile& light) {
    return write_file_atomically(path, format_light_file(light));
}
