// The document's tasks that read and write files: open, reload, save, the segments.
#include "core/mesh_file.h"
#include "document/document.h"

#include <filesystem>
#include <new>

namespace {

std::string file_part(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

} // namespace

class Document::OpenTask : public Task {
  public:
    OpenTask(std::string file, OpenRule which)
        : Task("Opening " + file_part(file)), path(std::move(file)), rule(which) {}

    // Read and built aside, so that the mesh shown stays when the file fails or memory
    // runs out.
    void run(Work& work) override {
        result = load_mesh_file(loaded, path, &work);
        if (result && rule == OpenRule::NeedsFaces && loaded.nf == 0)
            result = IoResult::failure(path + " holds no faces");
        if (!result) return;
        try {
            copy = loaded.clone_without_rebuildable();
        } catch (const std::bad_alloc&) {
            result = out_of_memory(path);
        }
    }
    Outcome finish(Document& d) override {
        if (!result) return Outcome::from(result);
        return d.adopt(std::move(loaded), std::move(copy), path);
    }

  private:
    std::string path;
    OpenRule rule;
    IoResult result;
    Mesh loaded, copy;
};

std::unique_ptr<Task> Document::open_task(const std::string& path, OpenRule rule) {
    return std::make_unique<OpenTask>(path, rule);
}

class Document::ReloadTask : public Task {
  public:
    explicit ReloadTask(const Document& d) : Task("Reloading " + file_part(d.file_name)), doc(d) {}

    void run(Work& work) override {
        if (doc.kept.nf == 0) return; // nothing opened yet to bring back
        try {
            copy = doc.kept.clone();
        } catch (const std::bad_alloc&) {
            result = IoResult::failure("ERROR: out of memory while copying " + doc.file_name);
            return;
        }
        checkpoint(&work);
        copy.build({MESH_CENTRE, MESH_CENTROIDS, MESH_EDGE_LIST, MESH_VERTEX_NORMALS, MESH_BB});
        ran = true;
    }
    Outcome finish(Document& d) override {
        if (!result) return Outcome::from(result);
        if (!ran) return Outcome::done({});
        // Framed again, as the opened mesh was.
        return d.replace_mesh("Reload", std::move(copy), Replacement::Reload, std::monostate(),
                              Change::Camera);
    }

  private:
    const Document& doc;
    IoResult result;
    Mesh copy;
    bool ran = false;
};

std::unique_ptr<Task> Document::reload_task() {
    return std::make_unique<ReloadTask>(*this);
}

namespace {

class SaveTask : public Task {
  public:
    SaveTask(const Mesh& m, std::string file, bool with_colours, SaveFormat as)
        : Task("Saving " + file_part(file)), mesh(m), path(std::move(file)), colours(with_colours),
          format(as) {}
    void run(Work& work) override { result = save_mesh_file(mesh, path, format, colours, &work); }
    Outcome finish(Document& d) override {
        if (result) d.history.mark_saved();
        return Outcome::from(result);
    }

  private:
    const Mesh& mesh;
    std::string path;
    bool colours;
    SaveFormat format;
    IoResult result;
};

} // namespace

std::unique_ptr<Task> Document::save_task(const std::string& path, bool colours,
                                          SaveFormat format) {
    return std::make_unique<SaveTask>(mesh, path, colours, format);
}

IoResult Document::save(const std::string& path, bool colours) {
    if (IoResult r = inputs.allow_writing(path, FileKind::Mesh); !r) return r;
    return run_now(save_task(path, colours, save_format(path))).result;
}

// The files are written while the mesh is only read; the w each written vertex gets (as
// the export always has given it) goes into the mesh in the finish.
class Document::SegmentsTask : public Task {
  public:
    SegmentsTask(const Document& d, std::string in, SegmentFiles& out)
        : Task("Saving the segments"), doc(d), folder(std::move(in)), files(out) {}
    void run(Work& work) override {
        written = ::save_segments(doc.mesh, doc.traversal, folder, w, &work);
    }
    Outcome finish(Document& d) override {
        for (size_t v = 0; v < w.size() && v < d.mesh.vertices.size(); ++v)
            d.mesh.vertices[v].w = w[v];
        files = std::move(written);
        return Outcome::done({});
    }

  private:
    const Document& doc;
    std::string folder;
    SegmentFiles& files;
    SegmentFiles written;
    std::vector<float> w;
};

std::unique_ptr<Task> Document::save_segments_task(const std::string& folder, SegmentFiles& files) {
    return std::make_unique<SegmentsTask>(*this, folder, files);
}

SegmentFiles Document::save_segments(const std::string& folder) {
    SegmentFiles files;
    run_now(save_segments_task(folder, files));
    return files;
}
