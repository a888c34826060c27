// The .spt file: the table's distances as raw little-endian float32 values, packed
// lower triangle with the diagonal row by row, then the spare entries; no header. The
// file does not record its face count: a reader takes it from the mesh at hand and
// expects exactly 4 bytes per entry.
#include "core/atomic_file.h"
#include "core/console.h"
#include "core/text_file.h"
#include "segmentation/mesh_classifier.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t chunk_floats = 1 << 18;

// Float bits from or to little-endian order, in place.
void swap_if_big_endian(char* bytes, size_t count) {
    if constexpr (std::endian::native == std::endian::big) {
        for (size_t i = 0; i < count; ++i) {
            char* p = bytes + 4 * i;
            std::swap(p[0], p[3]);
            std::swap(p[1], p[2]);
        }
    } else {
        (void)bytes;
        (void)count;
    }
}

std::string system_error() {
    return std::strerror(errno);
}

// A distance is a step count or a sum of weights, 1e9 for no path: finite and not
// below 0.
bool is_distance(float d) {
    return std::isfinite(d) && d >= 0;
}

// Walks the addressed entries of a file in order, row by row, and finds the first one
// that is no distance.
class DistanceCheck {
  public:
    explicit DistanceCheck(int faces)
        : addressed(std::int64_t(faces) * (std::int64_t(faces) + 1) / 2) {}

    // The next `count` entries of the file; false at the first that is no distance,
    // which error() then names.
    bool take(const float* values, size_t count) {
        for (size_t k = 0; k < count && at < addressed; ++k, ++at) {
            if (!is_distance(values[k])) {
                bad = values[k];
                return false;
            }
            if (++column > row) {
                ++row;
                column = 0;
            }
        }
        return true;
    }

    IoResult error(const std::string& path) const {
        char text[160];
        std::snprintf(text, sizeof text,
                      ": entry %lld (row %lld, column %lld) holds %g, which is not a distance "
                      "(0 or more, 1e+09 for no path)",
                      (long long)at, (long long)row, (long long)column, double(bad));
        return IoResult::failure("ERROR: " + path + text);
    }

  private:
    std::int64_t addressed;
    std::int64_t at = 0, row = 0, column = 0;
    float bad = 0;
};

// Reads `count` floats from `file` in chunks into `into` (or, without it, into a
// buffer), checking each as it comes; stops at the first that cannot be read or is no
// distance.
enum class ReadOutcome { Read, Unreadable, NotADistance };

ReadOutcome read_distances(std::FILE* file, std::int64_t count, float* into, DistanceCheck& check) {
    std::vector<float> buffer(into ? 0 : size_t(std::min<std::int64_t>(count, chunk_floats)));
    for (std::int64_t done = 0; done < count;) {
        size_t n = size_t(std::min<std::int64_t>(count - done, chunk_floats));
        float* chunk = into ? into + done : buffer.data();
        if (std::fread(chunk, 4, n, file) != n) return ReadOutcome::Unreadable;
        swap_if_big_endian(reinterpret_cast<char*>(chunk), n);
        if (!check.take(chunk, n)) return ReadOutcome::NotADistance;
        done += std::int64_t(n);
    }
    return ReadOutcome::Read;
}

} // namespace

IoResult Mesh_Classifier::load(const std::string& path) {
    console_printf("Loading Shortest Path Table\n");
    // A table is a regular file: a pipe or a device is refused without waiting on it.
    std::string cause;
    int fd = open_regular_file(path, cause);
    std::FILE* file = fd >= 0 ? fdopen(fd, "rb") : nullptr;
    if (fd >= 0 && !file) {
        cause = system_error();
        ::close(fd);
    }
    struct stat about {};
    if (file) fstat(fileno(file), &about);
    if (!file) {
        console_printf("ERROR: could not open file... [Mesh_Classifier::load()]\n");
        return IoResult::cannot_open("ERROR: could not open the shortest path table " + path +
                                     ": " + cause);
    }
    const int nf = face_count();
    const std::int64_t expected = 4 * ShortestPathTable::entry_count_for(nf);
    const std::int64_t actual = std::int64_t(about.st_size);
    if (actual != expected) {
        std::fclose(file);
        return IoResult::failure("ERROR: " + path + " holds " + std::to_string(actual) +
                                 " bytes; the shortest path table of this mesh (" +
                                 std::to_string(nf) + " faces) has " + std::to_string(expected) +
                                 " bytes");
    }
    // The values are checked before the table is touched, so that a file of anything
    // but distances leaves the table as it was.
    const std::int64_t entries = expected / 4;
    DistanceCheck first_pass(nf);
    ReadOutcome checked = read_distances(file, entries, nullptr, first_pass);
    if (checked == ReadOutcome::NotADistance) {
        std::fclose(file);
        return first_pass.error(path);
    }
    if (checked == ReadOutcome::Unreadable || std::fseek(file, 0, SEEK_SET) != 0) {
        cause = system_error();
        std::fclose(file);
        return IoResult::failure("ERROR: could not read " + path + ": " + cause);
    }
    if (IoResult r = table.allocate(nf, mesh_name); !r) {
        std::fclose(file);
        return r;
    }
    // Checked again: the file may have changed since.
    DistanceCheck second_pass(nf);
    ReadOutcome read = read_distances(file, entries, table.data(), second_pass);
    if (read == ReadOutcome::Unreadable) cause = system_error(); // before fclose sets errno
    std::fclose(file);
    // The spare entries are no pair's: they are kept at 0, whatever the file held.
    const std::int64_t addressed = std::int64_t(nf) * (std::int64_t(nf) + 1) / 2;
    std::fill(table.data() + addressed, table.data() + entries, 0.0f);
    table.distances_changed();
    if (read == ReadOutcome::NotADistance) {
        table.clear();
        rebuild_flag = 1;
        return second_pass.error(path);
    }
    if (read == ReadOutcome::Unreadable) {
        // Part of the table was read: it is of no use, and the next classification
        // builds a new one.
        table.clear();
        rebuild_flag = 1;
        return IoResult::failure("ERROR: could not read " + path + ": " + cause);
    }
    rebuild_flag = 0;
    return IoResult::success();
}

IoResult Mesh_Classifier::save(const std::string& path) {
    console_printf("Saving Shortest Path Table\n");
    if (!table_fits_mesh())
        return IoResult::failure("ERROR: " + path +
                                 " not written: there is no shortest path table of this mesh "
                                 "(classify the mesh or load its table first)");
    // The size of what is written, so not said for a refused save.
    console_printf("Table size: %.2fMB\n", double(table.entry_count) * 4 / 1048576);
    AtomicFile file(path);
    if (!file.is_open()) {
        std::string cause = system_error();
        console_printf("ERROR: could not open file... [Mesh_Classifier::save()]\n");
        return IoResult::cannot_open("ERROR: could not create a file beside " + path + ": " +
                                     cause);
    }
    std::string buffer;
    const char* bytes = reinterpret_cast<const char*>(table.data());
    for (std::int64_t done = 0; done < table.entry_count;) {
        size_t count = size_t(std::min<std::int64_t>(table.entry_count - done, chunk_floats));
        buffer.assign(bytes + 4 * done, 4 * count);
        swap_if_big_endian(buffer.data(), count);
        if (!file.write(buffer))
            return IoResult::failure("ERROR: could not write " + path + ": " + system_error());
        done += std::int64_t(count);
    }
    if (!file.commit())
        return IoResult::failure("ERROR: could not write " + path + ": " + system_error());
    return IoResult::success();
}
