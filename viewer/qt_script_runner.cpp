#include "viewer/qt_script_runner.h"

#include "core/text_file.h"
#include "document/script_lines.h"
#include "qtshared/image_files.h"
#include "segmentation/weight_curve.h"
#include "terrain/qt_mesh_terrain_widget.h"
#include "tools/qt_mesh_editor_dialogue.h"
#include "tools/qt_mesh_simplifier_widget.h"
#include "tools/qt_morphogen_widget.h"
#include "tools/subdivide.h"
#include "viewer/qt_gl_widget.h"
#include "viewer/qt_main_window.h"

#include <CLI/CLI.hpp>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

namespace {

// "F:D:A": three integers.
bool parse_start(const std::string& text, int values[3]) {
    const char* p = text.data();
    const char* end = p + text.size();
    for (int k = 0; k < 3; ++k) {
        auto [next, ec] = std::from_chars(p, end, values[k]);
        if (ec != std::errc() || next == p) return false;
        p = next;
        if (k < 2 && (p == end || *p++ != ':')) return false;
    }
    return p == end;
}

QString from(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

ScriptRunner::ScriptRunner(QtMainWindow& w) : QObject(&w), window(w) {
    QtGLWidget* view = window.view();
    connect(view, &QtGLWidget::failure_signal, this, [this](const QString& m) {
        if (running()) failure = m;
    });
    connect(view, &QtGLWidget::open_failed_signal, this, [this](const QString&, const QString& m) {
        if (running()) failure = m;
    });
    connect(&view->tasks, &TaskRunner::cancelled, this, [this](const QString& title) {
        if (running()) failure = "cancelled: " + title;
    });
    connect(&view->tasks, &TaskRunner::ended, this, [this] {
        if (running()) QTimer::singleShot(0, this, &ScriptRunner::step);
    });
}

namespace {

// The options of the script lines that name files, and what the lines do with them.
struct FileOptionOfLine {
    const char *command, *key, *option;
    FileRole role;
};
const FileOptionOfLine file_options[] = {
    {"open", "file", "FILE", FileRole::ReadMesh},
    {"save", "file", "FILE", FileRole::WriteMesh},
    {"smooth", "curve", "--curve", FileRole::Read},
    {"morphogen", "mor", "--mor", FileRole::Read},
    {"terrain", "map", "HEIGHTMAP", FileRole::Read},
    {"terrain", "colours", "--colour-map", FileRole::Read},
    {"render", "png", "-o/--output", FileRole::Write},
    {"clip-planes", "load", "--load", FileRole::Read},
    {"clip-planes", "save", "--save", FileRole::Write},
};

// The first option of `app` or of its option groups whose value is a number that is not
// finite, or none.
const CLI::Option* not_finite(const CLI::App& app, std::string& value) {
    for (const CLI::Option* option : app.get_options())
        for (const std::string& s : option->results()) {
            char* end = nullptr;
            double v = std::strtod(s.c_str(), &end);
            if (end != s.c_str() && *end == '\0' && !std::isfinite(v)) {
                value = s;
                return option;
            }
        }
    for (const CLI::App* group :
         const_cast<CLI::App&>(app).get_subcommands([](CLI::App*) { return true; }))
        if (const CLI::Option* option = not_finite(*group, value)) return option;
    return nullptr;
}

// "" or why a line's options are refused: a number that is not finite, or an output
// onto an input (ScriptFiles).
std::string refused_options(const CLI::App& app, const std::string& command,
                            const std::map<std::string, std::string>& values, int number,
                            ScriptFiles& files) {
    std::string value;
    if (const CLI::Option* option = not_finite(app, value))
        return option->get_name() + ": takes a finite number, not " + value;
    std::vector<NamedFile> named;
    for (const FileOptionOfLine& f : file_options) {
        auto given = values.find(f.key);
        if (command == f.command && given != values.end() && !given->second.empty())
            named.push_back({f.option, given->second, f.role});
    }
    return files.add_line(number, std::move(named));
}

} // namespace

bool ScriptRunner::load(const QString& path, QString& error) {
    script = path;
    files.emplace(path.toStdString());
    FileText file;
    if (!file.open(path.toStdString())) {
        error = from(
            open_failure("ERROR: could not read the script " + path.toStdString(), file).error);
        return false;
    }
    std::string_view text = file.text();
    if (IoResult r = check_text(text, path.toStdString()); !r) {
        error = from(r.error);
        return false;
    }
    ScriptLines lines = split_script_lines(text);
    if (!lines) {
        error = QString("%1:%2: %3").arg(path).arg(lines.error_line).arg(from(lines.error));
        return false;
    }
    actions.clear();
    for (const ScriptLine& l : lines.lines) {
        QString why;
        if (!parse_line(l.number, l.words, why)) {
            error = QString("%1:%2: %3").arg(path).arg(l.number).arg(why);
            actions.clear();
            return false;
        }
    }
    return true;
}

// Each command's options, as vostrel-cli run takes them; what they do, as the window's
// menus and pages do it.
bool ScriptRunner::parse_line(int number, const std::vector<std::string>& words, QString& error) {
    QtGLWidget* view = window.view();
    QtMeshEditorDialogue* tools = window.mesheditor;
    const std::string& name = words[0];
    CLI::App app{"", name};
    app.set_help_flag();
    auto o = std::make_shared<std::map<std::string, std::string>>();
    auto text = [&](const char* option, const char* key, bool required = false) {
        CLI::Option* opt = app.add_option(option, (*o)[key]);
        if (required) opt->required();
        return opt;
    };
    auto flag = [&](const char* option, const char* key) { app.add_flag(option, (*o)[key]); };
    std::vector<std::string> starts;
    auto add = [&](std::function<QString()> run) { actions.push_back({number, std::move(run)}); };
    auto value = [o](const char* key) { return std::stod((*o)[key]); };

    if (name == "open") {
        text("FILE", "file", true);
        add([view, o] {
            return view->load_file(from((*o)["file"])) ? QString() : QString("not opened");
        });
    } else if (name == "save") {
        text("FILE", "file", true);
        flag("--colours", "colours");
        add([view, o] {
            const std::string& file = (*o)["file"];
            view->run_task(
                view->document.save_task(file, !(*o)["colours"].empty(), save_format(file)));
            return QString();
        });
    } else if (name == "reload") {
        add([view] {
            view->reload_slot();
            return QString();
        });
    } else if (name == "undo" || name == "redo") {
        bool back = name == "undo";
        add([view, back] {
            Outcome r = back ? view->undo() : view->redo();
            return r ? QString() : from(r.error());
        });
    } else if (name == "simplify") {
        text("--lod", "lod", true)->check(CLI::Range(0.0, 100.0));
        text("--method", "method")
            ->check(CLI::IsMember({"edge-collapse", "quadric"}, CLI::ignore_case));
        text("--max-error", "max_error")->check(CLI::NonNegativeNumber);
        auto quadric = [o] { return CLI::detail::to_lower((*o)["method"]) == "quadric"; };
        app.parse_complete_callback([o, quadric] {
            if (!(*o)["max_error"].empty() && !quadric())
                throw CLI::ValidationError("--max-error", "applies to --method quadric only");
        });
        // Through the page, which passes its choice on to the view: both show the same.
        add([view, tools, o, value, quadric] {
            QtMeshSimplifierWidget* page = tools->simplify_page.get();
            page->method_box->setCurrentIndex(
                int(quadric() ? SimplifyMethod::Quadric : SimplifyMethod::EdgeCollapse));
            page->max_error_box->setValue((*o)["max_error"].empty() ? default_quadric_max_error
                                                                    : value("max_error"));
            view->simplify_slot(float(value("lod")));
            return QString();
        });
    } else if (name == "subdivide") {
        text("--levels", "levels", true)->check(CLI::PositiveNumber);
        auto* w = app.add_option_group("weight");
        w->add_option("--weight", (*o)["weight"])->check(CLI::Range(-0.125, 0.125));
        w->add_option("--weight-slider", (*o)["slider"])->check(CLI::Range(0, 100));
        w->require_option(1);
        add([view, o, value] {
            float weight = !(*o)["slider"].empty() ? subdivision_weight(std::stoi((*o)["slider"]))
                                                   : float(value("weight"));
            view->subdivide_slot(std::stoi((*o)["levels"]), weight);
            return QString();
        });
    } else if (name == "classify") {
        text("--weight", "weight")->check(CLI::Range(0.0, 1.0));
        text("--patches", "patches")->check(CLI::Range(1, 51));
        text("--mode", "mode")->check(CLI::IsMember({"floyd", "dijkstra"}, CLI::ignore_case));
        add([view, o, value] {
            if (!(*o)["weight"].empty()) view->weight_slot(float(value("weight")));
            if (!(*o)["mode"].empty())
                view->sp_mode_slot(CLI::detail::to_lower((*o)["mode"]) == "dijkstra" ? 1 : 0);
            view->meshclassify_slot();
            return QString();
        });
        add([view, o] {
            if (!(*o)["patches"].empty()) view->numpatches_slot(std::stoi((*o)["patches"]));
            return QString();
        });
    } else if (name == "smooth") {
        auto* f = app.add_option_group("filter");
        f->add_option("--mean-shift", (*o)["0"])->check(CLI::Range(0.0, 100.0));
        f->add_option("--sphere-jump", (*o)["1"])->check(CLI::Range(0.0, 100.0));
        f->add_option("--median", (*o)["2"])->check(CLI::Range(0.0, 100.0));
        f->require_option(1);
        text("--steps", "steps")->check(CLI::Range(1, 1000000));
        text("--curve", "curve");
        add([view, o] {
            int mode = !(*o)["0"].empty() ? 0 : !(*o)["1"].empty() ? 1 : 2;
            Vector v(std::stof((*o)[std::to_string(mode)]), 0, 0, 1);
            if (!(*o)["curve"].empty()) {
                WeightCurve curve;
                if (IoResult r = load_weight_curve((*o)["curve"], curve); !r) return from(r.error);
                view->function_slot(curve.points, curve.height);
            }
            view->mshiftrad_slot(v, mode);
            if ((*o)["steps"].empty()) {
                view->mshift_slot(v, mode);
            } else {
                for (int i = std::stoi((*o)["steps"]); i > 0; --i) view->mshiftstep_slot(v);
            }
            return QString();
        });
    } else if (name == "segment") {
        app.add_option("--at", starts)->required()->allow_extra_args(false);
    } else if (name == "save-segments") {
        text("DIR", "dir", true);
        add([view, o] {
            view->save_all((*o)["dir"]);
            return QString();
        });
    } else if (name == "morphogen") {
        text("--mor", "mor", true);
        add([tools, o] {
            return tools->morpho_page->load_setting_file(from((*o)["mor"])) ? QString()
                                                                            : QString("not loaded");
        });
    } else if (name == "terrain") {
        text("HEIGHTMAP", "map", true);
        text("--resolution", "n")->check(CLI::Range(2, 512));
        text("--scale", "s")->check(CLI::Range(1, 512));
        text("--height", "h")->check(CLI::Range(1, 1024));
        text("--colour-map", "colours");
        add([tools, o] {
            QtMeshTerrainWidget* page = tools->terrain_page.get();
            if (!page->load_heightmap_file(from((*o)["map"]))) return QString("no heightmap");
            if (!(*o)["n"].empty()) page->gridres_event(std::stoi((*o)["n"]));
            if (!(*o)["s"].empty()) page->gridsize_event(std::stoi((*o)["s"]));
            if (!(*o)["h"].empty()) page->height_event(std::stoi((*o)["h"]));
            if (!(*o)["colours"].empty()) page->load_colour_map_file(from((*o)["colours"]));
            page->apply_terrain();
            return QString();
        });
    } else if (name == "render") {
        text("-o,--output", "png", true);
        add([view, o] {
            IoResult r = save_png(view->grab_frame(), (*o)["png"]);
            return r ? QString() : from(r.error);
        });
    } else if (name == "info") {
        add([view] {
            const Mesh& m = view->document.mesh;
            std::printf("vertices: %d\nfaces: %d\nedges: %d\n", m.nv, m.nf, m.nedges);
            return QString();
        });
    } else if (name == "clip-planes") {
        text("--load", "load");
        text("--save", "save");
        add([view, o] {
            if (!(*o)["load"].empty()) view->cutplane_load_slot(from((*o)["load"]));
            if (!(*o)["save"].empty()) view->cutplane_save_slot(from((*o)["save"]));
            return QString();
        });
    } else {
        error = from("no command '" + name + "' in scripts");
        return false;
    }
    std::vector<std::string> arguments(words.rbegin(), words.rend() - 1);
    try {
        app.parse(arguments);
    } catch (const CLI::ParseError& e) {
        error = e.what();
        return false;
    }
    if (std::string why = refused_options(app, name, *o, number, *files); !why.empty()) {
        error = from(why);
        return false;
    }
    if (name == "segment") {
        for (const std::string& at : starts) {
            int v[3];
            if (!parse_start(at, v) || v[1] < 0) {
                error = from("--at " + at + ": expected FACE:DEPTH:ANGLE, three integers");
                return false;
            }
            add([view, f = v[0], d = v[1], a = v[2]] {
                if (f < 1 || f > view->document.mesh.nf)
                    return QString("face %1 is not among the faces 1 to %2")
                        .arg(f)
                        .arg(view->document.mesh.nf);
                view->show_changes(view->document.select_face(f).changed);
                view->edgetraversal_slot(d, a);
                view->markcurrent_slot();
                return QString();
            });
        }
    }
    return true;
}

void ScriptRunner::start() {
    next_action = 0;
    failure.clear();
    active = true;
    QTimer::singleShot(0, this, &ScriptRunner::step);
}

// The next action, once the work the last one began has ended (its end calls step
// again); a failure said meanwhile stops the script.
void ScriptRunner::step() {
    QtGLWidget* view = window.view();
    while (active && !view->busy()) {
        if (!failure.isEmpty()) return stop(failure);
        if (next_action >= actions.size()) {
            active = false;
            emit finished(true, QString());
            return;
        }
        const Action& a = actions[next_action++];
        line = a.line;
        failure = a.run();
    }
}

void ScriptRunner::stop(const QString& message) {
    active = false;
    emit finished(false, QString("%1:%2: %3").arg(script).arg(line).arg(message));
}
