// Reading text files: reasons for files that cannot be read, the limit on files that
// are not regular, line ends of every kind and bytes that text never holds.
#include "core/text_file.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> reader_lines_of(std::string_view text,
                                         std::vector<int>* numbers = nullptr) {
    LineReader lines(text);
    std::vector<std::string> out;
    std::string_view line;
    while (lines.next(line)) {
        out.emplace_back(line);
        if (numbers) numbers->push_back(lines.number);
    }
    return out;
}

using Lines = std::vector<std::string>;

TEST(LineReader, LineEndsOfEveryKind) {
    EXPECT_EQ(reader_lines_of("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(reader_lines_of("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(reader_lines_of("a\rb\r"), (Lines{"a", "b"}));
    EXPECT_EQ(reader_lines_of("a\rb\r\nc\nd"), (Lines{"a", "b", "c", "d"}));
    // Empty lines count, whatever ends them; "\n\r" is two line ends.
    std::vector<int> numbers;
    EXPECT_EQ(reader_lines_of("a\r\rb\n\rc", &numbers), (Lines{"a", "", "b", "", "c"}));
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(reader_lines_of(""), Lines{});
    EXPECT_EQ(reader_lines_of("\r"), Lines{""});
}

TEST(CheckText, ControlCharactersAreRefusedNamingTheirOffset) {
    for (char allowed : {'\t', '\n', '\r', '\f'}) {
        std::string with = "v 1" + std::string(1, allowed) + "2 3\x7f\xc3\xa9";
        std::string_view view = with;
        EXPECT_TRUE(check_text(view, "t.obj")) << int(allowed);
    }
    struct TextCase {
        std::string text;
        const char* message;
    } cases[] = {
        {std::string("v 1 2 3\n\0", 9), "ERROR: t.obj: not a text file (byte 0x00 at offset 8)"},
        {"v 1 2 3\x01", "ERROR: t.obj: not a text file (byte 0x01 at offset 7)"},
        {"\xEF\xBB\xBFv\x1b", "ERROR: t.obj: not a text file (byte 0x1B at offset 4)"},
        // Far into a long text, past the blocks screened at once.
        {std::string(1000, 'x') + "\x7f\x80\x1f", "(byte 0x1F at offset 1002)"},
    };
    for (const TextCase& c : cases) {
        std::string_view view = c.text;
        IoResult r = check_text(view, "t.obj");
        EXPECT_FALSE(r);
        EXPECT_NE(r.error.find(c.message), std::string::npos) << r.error;
    }
}

// Every byte value at the edges of the blocks screened at once and in the partial last
// one, in a text that holds every allowed byte below 32 in each block.
TEST(CheckText, EveryByteAtEveryBlockEdge) {
    std::string base;
    while (base.size() < 200) base += "v 1\t2\f3\r\n";
    base.resize(200);
    for (int byte = 0; byte < 256; ++byte) {
        const bool refused =
            byte < 32 && byte != '\t' && byte != '\n' && byte != '\f' && byte != '\r';
        for (size_t at : {0, 1, 63, 64, 127, 128, 191, 199}) {
            std::string text = base;
            text[at] = char(byte);
            std::string_view view = text;
            IoResult r = check_text(view, "t.obj");
            EXPECT_EQ(!r, refused) << byte << " at " << at;
            if (refused) {
                EXPECT_NE(r.error.find("at offset " + std::to_string(at) + ")"), std::string::npos)
                    << r.error;
            }
        }
    }
}

TEST(FileText, SaysWhyAFileCannotBeRead) {
    TempDir dir;
    FileText missing;
    EXPECT_FALSE(missing.open(dir.file("none.obj")));
    EXPECT_EQ(missing.reason(), "No such file or directory");
    FileText folder;
    EXPECT_FALSE(folder.open(dir.path.string()));
    EXPECT_EQ(folder.reason(), "Is a directory");
    EXPECT_EQ(open_failure("ERROR: Opening File: x", folder).error,
              "ERROR: Opening File: x (Is a directory)");
    EXPECT_TRUE(open_failure("m", folder).unopened);
}

// A FIFO fed by a thread: a file that is not regular, of any length. The writer stops
// when the reader goes (SIGPIPE is ignored meanwhile).
class Fifo {
  public:
    Fifo(const std::string& path, std::string text)
        : name(path), old_handler(std::signal(SIGPIPE, SIG_IGN)) {
        mkfifo(name.c_str(), 0600);
        writer = std::thread([this, text] {
            int fd = ::open(name.c_str(), O_WRONLY);
            if (fd < 0) return;
            for (size_t at = 0; at < text.size();) {
                ssize_t n = ::write(fd, text.data() + at, text.size() - at);
                if (n <= 0) break; // the reader has gone
                at += size_t(n);
            }
            ::close(fd);
        });
    }
    ~Fifo() {
        writer.join();
        std::signal(SIGPIPE, old_handler);
    }

  private:
    std::string name;
    void (*old_handler)(int);
    std::thread writer;
};

TEST(FileText, FilesThatAreNotRegularAreReadUpToALimit) {
    TempDir dir;
    std::string path = dir.file("pipe.obj");
    {
        Fifo fifo(path, std::string(5000, 'v'));
        std::string text, why;
        EXPECT_TRUE(read_file(path, text, &why, 5000));
        EXPECT_EQ(text.size(), 5000u);
    }
    {
        Fifo fifo(path, std::string(5001, 'v'));
        std::string text, why;
        EXPECT_FALSE(read_file(path, text, &why, 5000));
        EXPECT_EQ(why, "not a regular file, and longer than the 5000 bytes read from such a file");
        EXPECT_TRUE(text.empty());
    }
    {
        // Binary data ends the reading of text early: no need to take all of it in.
        Fifo fifo(path, std::string(1 << 20, '\0'));
        FileText file;
        EXPECT_TRUE(file.open(path));
        EXPECT_LT(file.text().size(), size_t(1 << 20));
        std::string_view text = file.text();
        EXPECT_FALSE(check_text(text, path));
    }
}

} // namespace
