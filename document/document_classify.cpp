// The document's patch classification and its shortest path table. A classification and
// a re-clustering run on a copy of the mesh (whose faces they paint) and of the
// classifier, with the document's table lent to them when they keep it; the finish puts
// their colours, marks and classifier in place as one step.
#include "document/document.h"

#include "core/console.h"
#include "segmentation/proxy_classification.h"
#include "tools/quadric_simplify.h"

namespace {

bool holds_mesh(const Mesh& mesh) {
    return mesh.nv > 0 || mesh.nf > 0;
}

const char* const recluster_step = "Number of Patches";

} // namespace

// What the two tasks share: the classifier they work on, the table lent to it, and the
// copy of the mesh it paints.
class ClassifierRun : public Task {
  public:
    ClassifierRun(const char* title, Document& d, bool keep_table)
        : Task(title), doc(d), classifier(d.classifier.copy_without_table()), lent(keep_table) {
        classifier.rebuild_flag = d.classifier.rebuild_flag;
        classifier.table_face_count = d.classifier.table_face_count;
        if (!lent) return;
        classifier.table = std::move(d.classifier.table);
        d.classifier.table = ShortestPathTable();
    }
    void abandon(Document& d) override { give_back(d); }

  protected:
    Document& doc;
    Mesh painted;
    Mesh_Classifier classifier;
    bool lent;
    IoResult result;

    void copy_mesh() {
        painted = doc.mesh.clone();
        classifier.attach(painted);
    }
    void give_back(Document& d) {
        if (!lent) return;
        d.classifier.table = std::move(classifier.table);
        lent = false;
    }
    // The faces' colours and marks of the painted copy into the document's mesh.
    void paint_faces(Mesh& mesh) const {
        for (int i = 0; i < mesh.nf && i < painted.nf; ++i) {
            mesh.faces[i].colour = painted.faces[i].colour;
            mesh.faces[i].marked = painted.faces[i].marked;
        }
    }
};

class Document::ClassifyTask : public ClassifierRun {
  public:
    ClassifyTask(Document& d, int k, bool proxied)
        : ClassifierRun("Classifying", d, !proxied && !d.classifier.will_rebuild_table()),
          patches(k), proxy_faces(proxied ? d.classify_proxy_faces : 0),
          rebuilds_normals(!d.mesh.derived_current(MESH_VERTEX_NORMALS)) {}

    void run(Work& work) override {
        copy_mesh();
        painted.build({MESH_VERTEX_NORMALS, MESH_EDGE_LIST});
        if (proxy_faces > 0) return classify_copy(work);
        result = classifier.classify(&work);
        if (!result) return;
        // What the window's round trip through the panel ends with: the faces in as many
        // patches as were found (or asked for).
        int k = patches > 0 ? patches : classifier.patch_count;
        if (k >= 1) classifier.recluster(k, &work);
    }
    Outcome finish(Document& d) override {
        if (!result) {
            give_back(d);
            return Outcome::from(result);
        }
        Step step;
        step.name = "Classify";
        StepState& s = step.state;
        Changes changed = Change::Colours | Change::Marks | Change::ToolLists | Change::RenderMode;
        // The normals build ran again (a filter had changed the face normals): they are
        // the step's, and the vertex normals too (the build carries the face normals' w
        // into them).
        if (rebuilds_normals) {
            s.face_normals = d.face_normals();
            for (int i = 0; i < d.mesh.nf && i < painted.nf; ++i)
                d.mesh.faces[i].normal = painted.faces[i].normal;
            s.vertex_normals = std::move(d.mesh.normals);
            d.mesh.normals = std::move(painted.normals);
            d.mesh.face_normals_changed();
            changed |= Change::FaceNormals;
        }
        s.face_paint = d.face_paint();
        paint_faces(d.mesh);
        s.classifier.emplace(std::move(d.classifier));
        s.classifier_table = !lent; // a table built anew: the old one is the step's
        lent = false;
        d.classifier = std::move(classifier);
        d.classifier.attach(d.mesh);
        s.render_mode = d.render_mode;
        d.render_mode = RenderMode::Faces;
        return d.commit(std::move(step), changed);
    }

  private:
    int patches;
    int proxy_faces;
    bool rebuilds_normals;

    // The copy simplified, classified and re-clustered as the mesh itself would be, then
    // carried to the faces of the mesh.
    void classify_copy(Work& work) {
        auto copy = std::make_shared<ProxyCopy>();
        {
            Stage simplifying(&work, 0, 0.1);
            // No error limit: the copy is to reach the size asked for.
            QuadricSimplification q =
                quadric_simplified(painted, float(double(proxy_faces) / painted.nf), 1, &work);
            copy->mesh = q.unchanged ? painted.clone() : std::move(q.mesh);
        }
        console_printf("Classifying a simplified copy of %d faces (the mesh has %d)\n",
                       copy->mesh.nf, painted.nf);
        Mesh_Classifier& c = copy->classifier;
        c.mesh_name = classifier.mesh_name;
        c.weight = classifier.weight;
        c.sp_mode = classifier.sp_mode;
        {
            Stage classifying(&work, 0.1, 0.9);
            result = classify_mesh(c, copy->mesh, &work);
            if (!result) return;
            int k = patches > 0 ? patches : c.patch_count;
            if (k >= 1) c.recluster(k, &work);
        }
        copy->table = std::make_shared<ShortestPathTable>(std::move(c.table));
        c.table = ShortestPathTable();
        Stage carrying(&work, 0.9, 1);
        painted.build({MESH_CENTROIDS});
        follow_copy(*copy, painted, &work);
        carry_classification(copy, painted, classifier);
    }
};

std::unique_ptr<Task> Document::classify_task(int patches) {
    if (!holds_mesh(mesh)) return std::make_unique<NoTask>();
    history.make_room(mesh.memory_bytes());
    const bool proxied = classify_proxy_faces > 0 && mesh.nf > classify_proxy_faces;
    return std::make_unique<ClassifyTask>(*this, patches, proxied);
}

Outcome Document::classify(int patches) {
    return run_now(classify_task(patches));
}

class Document::ReclusterTask : public ClassifierRun {
  public:
    ReclusterTask(Document& d, int count) : ClassifierRun("Re-clustering", d, true), k(count) {}

    void run(Work& work) override {
        copy_mesh();
        clustered = classifier.recluster(k, &work);
    }
    Outcome finish(Document& d) override {
        if (!clustered) {
            give_back(d);
            return Outcome::done({});
        }
        Step step;
        step.name = recluster_step;
        step.merge = recluster_step; // a slider dragged across many values is one step
        if (!d.history.joins(step.merge)) {
            step.state.face_paint = d.face_paint();
            step.state.classifier.emplace(std::move(d.classifier));
            step.state.render_mode = d.render_mode;
        }
        paint_faces(d.mesh);
        lent = false;
        d.classifier = std::move(classifier);
        d.classifier.attach(d.mesh);
        Changes changed = Change::Colours | Change::Marks;
        if (d.render_mode != RenderMode::Faces) {
            d.render_mode = RenderMode::Faces;
            changed |= Change::RenderMode;
        }
        return d.commit(std::move(step), changed);
    }

  private:
    int k;
    bool clustered = false;
};

std::unique_ptr<Task> Document::recluster_task(int k) {
    if (!holds_mesh(mesh) || k == classifier.clustered_count) return std::make_unique<NoTask>();
    history.make_room(mesh.memory_bytes());
    return std::make_unique<ReclusterTask>(*this, k);
}

Outcome Document::recluster(int k) {
    return run_now(recluster_task(k));
}

Outcome Document::select_patch(int patch) {
    if (!holds_mesh(mesh)) return Outcome::done({});
    classifier.attach(mesh);
    return Outcome::done(classifier.select_patch(patch) ? Changes(Change::Marks) : Changes());
}

Outcome Document::set_patch_threshold(int percent) {
    classifier.set_patch_threshold(percent);
    return Outcome::done(classifier.current_patch >= 0 ? Changes(Change::Marks) : Changes());
}

Outcome Document::mark_patch() {
    if (!holds_mesh(mesh) || classifier.current_patch < 0) {
        mark_current_patch(classifier, traversal); // says why nothing happens
        return Outcome::done({});
    }
    Step step;
    step.name = "Mark Current";
    step.state.face_paint = face_paint();
    step.state.traversal = traversal;
    step.state.classifier = classifier.copy_without_table();
    classifier.attach(mesh);
    int faces = mark_current_patch(classifier, traversal);
    Changes changed = Change::Colours | Change::Marks | show_faces(faces, &step);
    return commit(std::move(step), changed);
}

Outcome Document::set_classifier_weight(double weight) {
    classifier.weight = weight;
    return Outcome::done({});
}

Outcome Document::set_shortest_path_mode(SpMode mode) {
    if (mode == SpMode::Floyd || mode == SpMode::Dijkstra) classifier.sp_mode = mode;
    return Outcome::done({});
}

IoResult Document::load_table(const std::string& path) {
    if (!holds_mesh(mesh)) return IoResult::success();
    classifier.attach(mesh);
    IoResult r = classifier.load(path);
    if (r) inputs.note(FileKind::Table, path);
    return r;
}

IoResult Document::save_table(const std::string& path) {
    if (!holds_mesh(mesh)) return IoResult::success();
    if (IoResult r = inputs.allow_writing(path, FileKind::Table); !r) return r;
    classifier.attach(mesh);
    return classifier.save(path);
}
