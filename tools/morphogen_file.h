// ".mor" files: a morphogen setting without its names, so that it fits any mesh with as
// many morphogens as the file's SIZE.
//
//   SIZE n
//   BASECOL r g b
//   MIXMODE m
//   MORPHO<tab>r g b state        (n lines, one per morphogen in list order)
#pragma once

#include "core/io_result.h"
#include "tools/morphogen_setting.h"

#include <string>
#include <string_view>

// The file's lines, n being the number of colours.
std::string format_morphogen_setting(const MorphogenSetting& s);
// Writes through a temporary file; a failure leaves an existing file as it was.
IoResult save_morphogen_setting(const std::string& path, const MorphogenSetting& s);

// Reads a setting into `s`, whose names stay; `name` stands for the file in messages.
// The text is read with the Tokenizer: only words act, anything else between them is
// skipped, and each keyword takes the tokens that follow it, whatever they are:
//  - "SIZE n": n (truncated) must equal the number of names; then every colour becomes
//    black and every state 0. A SIZE not followed by a number is ignored with a warning.
//  - "BASECOL r g b", "MORPHO r g b state": a value that is not a number keeps the one
//    the last number in its place left (channels shared by both keywords, all starting
//    at 0); channels are truncated and clamped to 0..255. MORPHO lines fill the entries
//    in order; lines beyond SIZE are ignored with a warning.
//  - "MIXMODE m": the mixing mode, truncated: 0 or 1. Without a number it is ignored
//    with a warning.
// Warnings go to standard error, the first 20 and then their count (ReaderWarnings).
// A SIZE that differs from the number of names, a MIXMODE other than 0 and 1, a MORPHO
// line before any SIZE, or a file without a SIZE, refuses the file: the result names
// the line (where there is one) and `s` is left as it was.
IoResult parse_morphogen_setting(std::string_view text, const std::string& name,
                                 MorphogenSetting& s);
// parse_morphogen_setting on a file. A file that cannot be read prints "ERROR!!!".
IoResult load_morphogen_setting(const std::string& path, MorphogenSetting& s);
