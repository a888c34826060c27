// The .spt file: the table's distances as raw little-endian float32 values, packed
// lower triangle with the diagonal row by row, then the spare entries; no header. The
// file does not record its face count: a reader takes it from the mesh at hand and
// expects exactly 4 bytes per entry.
#include "core/atomic_file.h"
#include "core/console.h"
#include "segmentation/mesh_classifier.h"

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

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

} // namespace

IoResult Mesh_Classifier::load(const std::string& path) {
    console_printf("Loading Shortest Path Table\n");
    std::FILE* file = std::fopen(path.c_str(), "rb");
    struct stat about {};
    if (file && (fstat(fileno(file), &about) != 0 || !S_ISREG(about.st_mode))) {
        std::fclose(file);
        file = nullptr;
        errno = EISDIR;
    }
    if (!file) {
        std::string cause = system_error();
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
    if (IoResult r = table.allocate(nf); !r) {
        std::fclose(file);
        return r;
    }
    char* bytes = reinterpret_cast<char*>(table.data());
    size_t left = size_t(table.entry_count);
    bool ok = true;
    while (ok && left > 0) {
        size_t count = std::min(left, chunk_floats);
        ok = std::fread(bytes, 4, count, file) == count;
        swap_if_big_endian(bytes, count);
        bytes += 4 * count;
        left -= count;
    }
    std::fclose(file);
    table.distances_changed();
    if (!ok) {
        // Part of the table was read: it is of no use, and the next classification
        // builds a new one.
        table.clear();
        rebuild_flag = 1;
        return IoResult::failure("ERROR: could not read " + path + ": " + system_error());
    }
    rebuild_flag = 0;
    return IoResult::success();
}

IoResult Mesh_Classifier::save(const std::string& path) {
    console_printf("Saving Shortest Path Table\n");
    console_printf("Table size: %.2fMB\n", double(table.entry_count) * 4 / 1048576);
    if (!table_fits_mesh())
        return IoResult::failure("ERROR: " + path +
                                 " not written: there is no shortest path table of this mesh "
                                 "(classify the mesh or load its table first)");
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
