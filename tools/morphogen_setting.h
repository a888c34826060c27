// MorphogenSetting: what the morphogen page holds, without the toolkit: the names of the
// current mesh's morphogens with one colour and one on/off state each, the base colour
// and the mixing mode. The page converts its QColor fields to and from it; vostrel-cli
// works on it directly.
#pragma once

#include "core/colour.h"

#include <string>
#include <vector>

// How the colours of the morphogens that are switched on combine. The page, its signal
// and the files keep the mode as an int: 0 additive, any other value subtractive.
enum class MixMode { Additive, Subtractive };

inline MixMode mix_mode(int mixmode) {
    return mixmode == 0 ? MixMode::Additive : MixMode::Subtractive;
}

struct MorphogenSetting {
    int mixmode = 0;
    Rgb defaultcolour;              // the base colour, black at first
    std::vector<std::string> names; // as last received from a mesh
    std::vector<Rgb> colours;       // one per name, in the same order
    std::vector<int> tooglestates;  // one per name: 1 switched on, any other value off
};

// What a freshly loaded mesh does to the setting: one red, switched-off entry per name.
// The mixing mode and the base colour stay.
inline void set_morphogen_names(MorphogenSetting& s, std::vector<std::string> names) {
    s.names = std::move(names);
    s.colours.assign(s.names.size(), Rgb{255, 0, 0});
    s.tooglestates.assign(s.names.size(), 0);
}
