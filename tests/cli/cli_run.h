// vostrel-cli as a script runs it: arguments in, standard output, standard error and
// exit status out.
#pragma once

#include "core/text_file.h"
#include "test_util.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>

struct CliRun {
    int status;
    std::string out, err;
};

// Runs `vostrel-cli ARGS` through the shell (so ARGS may quote); standard output goes to
// `stdout_path` when one is given (then `out` stays empty). With `address_space_kib`,
// the program runs under that limit of virtual memory (ulimit -v).
inline CliRun run_cli(const std::string& args, const std::string& stdout_path = "",
                      long address_space_kib = 0) {
    TempDir dir;
    std::string out = stdout_path.empty() ? dir.file("out") : stdout_path;
    std::string err = dir.file("err");
    std::string limit =
        address_space_kib ? "ulimit -v " + std::to_string(address_space_kib) + " && " : "";
    std::string command =
        limit + std::string(VOSTREL_CLI) + " " + args + " >" + out + " 2>" + err + " </dev/null";
    int status = std::system(command.c_str());
    CliRun r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, "", ""};
    if (stdout_path.empty()) read_file(out, r.out);
    read_file(err, r.err);
    return r;
}

// Whether this build runs under AddressSanitizer, which reserves more address space than
// the memory limits some tests set.
inline bool address_sanitised() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

// The whole file, or "" when it cannot be read (a failure of the test).
inline std::string file_contents(const std::string& path) {
    std::string text;
    EXPECT_TRUE(read_file(path, text)) << path;
    return text;
}

// Writes `text` as the script `path` and runs `vostrel-cli run` on it.
inline CliRun run_script(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    return run_cli("run '" + path + "'");
}
