#include "tools/morphogen_file.h"

#include "core/atomic_file.h"
#include "core/console.h"
#include "core/reader_warnings.h"
#include "core/text_file.h"
#include "core/tokenizer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

std::string format_morphogen_setting(const MorphogenSetting& s) {
    const Rgb& base = s.defaultcolour;
    std::string out = "SIZE " + std::to_string(s.colours.size()) + "\n";
    out += "BASECOL " + std::to_string(base.r) + " " + std::to_string(base.g) + " " +
           std::to_string(base.b) + "\n";
    out += "MIXMODE " + std::to_string(s.mixmode) + "\n";
    for (size_t i = 0; i < s.colours.size(); ++i) {
        const Rgb& c = s.colours[i];
        int state = i < s.tooglestates.size() ? s.tooglestates[i] : 0;
        out += "MORPHO\t" + std::to_string(c.r) + " " + std::to_string(c.g) + " " +
               std::to_string(c.b) + " " + std::to_string(state) + "\n";
    }
    return out;
}

IoResult save_morphogen_setting(const std::string& path, const MorphogenSetting& s) {
    return write_file_atomically(path, format_morphogen_setting(s));
}

namespace {

// A number token as an int: truncated toward zero, held within int's range.
int whole(double v) {
    v = std::trunc(v);
    if (!(v > double(INT_MIN))) return INT_MIN;
    if (v >= double(INT_MAX)) return INT_MAX;
    return int(v);
}

int channel(double v) {
    return std::clamp(whole(v), 0, 255);
}

class MorFileReader {
  public:
    MorFileReader(std::string_view text, const std::string& file_name)
        : tk(text), name(file_name), warnings(file_name) {}

    IoResult read(MorphogenSetting& s);

  private:
    Tokenizer tk;
    const std::string& name;
    int line = 1;
    // The values the last numbers left, for tokens that are not numbers.
    int rgb[3] = {0, 0, 0};
    int state = 0;
    bool sized = false;
    size_t morpho_lines = 0;
    ReaderWarnings warnings;

    IoResult error(const std::string& what) const {
        return IoResult::failure("ERROR: " + name + ":" + std::to_string(line) + ": " + what);
    }
    bool next_number() { return tk.next_token() == Tokenizer::TOKEN_NUMBER; }
    void read_channels() {
        for (int& c : rgb)
            if (next_number()) c = channel(tk.nval);
    }
};

IoResult MorFileReader::read(MorphogenSetting& s) {
    while (tk.next_token() != Tokenizer::TOKEN_EOF) {
        if (tk.ttype != Tokenizer::TOKEN_WORD) continue;
        line = tk.lineno + 1;
        if (tk.sval == "SIZE") {
            if (!next_number()) {
                warnings.warn(line, "SIZE without a number ignored");
                continue;
            }
            double n = std::trunc(tk.nval);
            if (n != double(s.names.size())) {
                char text[64];
                std::snprintf(text, sizeof text, "%.0f", n);
                return error(std::string("SIZE ") + text + " does not match the " +
                             std::to_string(s.names.size()) + " morphogens of the mesh");
            }
            s.colours.assign(s.names.size(), Rgb{0, 0, 0});
            s.tooglestates.assign(s.names.size(), 0);
            sized = true;
        } else if (tk.sval == "BASECOL") {
            read_channels();
            s.defaultcolour = {rgb[0], rgb[1], rgb[2]};
        } else if (tk.sval == "MIXMODE") {
            if (!next_number()) {
                warnings.warn(line, "MIXMODE without a number ignored");
                continue;
            }
            int mode = whole(tk.nval);
            if (mode != 0 && mode != 1)
                return error("MIXMODE " + std::to_string(mode) +
                             " is neither 0 (additive) nor 1 (subtractive)");
            s.mixmode = mode;
        } else if (tk.sval == "MORPHO") {
            if (!sized) return error("MORPHO before SIZE");
            read_channels();
            if (next_number()) state = whole(tk.nval);
            size_t k = morpho_lines++;
            if (k < s.colours.size()) {
                s.colours[k] = {rgb[0], rgb[1], rgb[2]};
                s.tooglestates[k] = state;
            } else {
                warnings.warn(line, "MORPHO line beyond SIZE " + std::to_string(s.colours.size()) +
                                        " ignored");
            }
        }
    }
    // Without a SIZE the file cannot say which meshes it fits: an empty file, or one of
    // another kind, would otherwise paint every vertex in the base colour.
    if (!sized)
        return IoResult::failure("ERROR: " + name +
                                 ": no SIZE line with the number of "
                                 "morphogens; the setting fits no mesh");
    return IoResult::success();
}

} // namespace

IoResult parse_morphogen_setting(std::string_view text, const std::string& name,
                                 MorphogenSetting& s) {
    MorphogenSetting read = s; // applied only once the whole file is accepted
    if (IoResult r = MorFileReader(text, name).read(read); !r) return r;
    s = std::move(read);
    return IoResult::success();
}

IoResult load_morphogen_setting(const std::string& path, MorphogenSetting& s) {
    FileText file;
    if (!file.open(path)) {
        console_printf("ERROR!!!\n");
        return open_failure("ERROR: could not read the morphogen file " + path, file);
    }
    std::string_view text = file.text();
    if (IoResult r = check_text(text, path); !r) return r;
    return parse_morphogen_setting(text, path, s);
}
