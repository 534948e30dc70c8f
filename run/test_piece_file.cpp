#include "run/test_piece_file.hpp"

#include <ostream>

#include "lightburn/drawing_exports.hpp"
#include "panel/frame.hpp"
#include "panel/interrupts.hpp"
#include "panel/laser_style.hpp"
#include "panel/output_file.hpp"
#include "panel/output_names.hpp"
#include "panel/vectorize.hpp"
#include "testpiece/test_piece.hpp"

namespace fs = std::filesystem;

void write_test_piece(const fs::path& folder, const Arguments& args, RunContext& context) {
    const std::string name = "test-piece";
    const Place place{args.json_file, "", {}};
    const TestPiece piece = draw_test_piece(args, LaserStyle(args));
    context.out << "## Test piece: " << format_float_as_str(piece.width_mm, 1) << " x "
                << format_float_as_str(piece.height_mm, 1) << " mm ##" << std::endl;
    if (!args.simulate) {
        create_output_folder(folder);
        const fs::path path = folder / (name + ".svg");
        set_interrupted_activity("drawing " + name + ".svg");
        refuse_overwriting_project(path, args.json_file, place);
        if (args.vectorize) refuse_overwriting_project(vector_path_for(path), args.json_file, place);
        if (!take_from_write_budget(context, written_size(piece.svg))) {
            fail_at(place, "", "writing " + name + ".svg would take the run " + past_write_budget());
        }
        PassExports pass_exports(args);
        std::vector<std::unique_ptr<DrawingExport>> exports = pass_exports.for_drawing(path);
        OutputFile file(path);
        file.write(piece.svg);
        feed_all(exports, piece.svg);
        file.commit();
        context.out << "Creation of SVG for " << name << " successful." << std::endl;
        commit_all(exports, name, context, place);
        if (args.vectorize) {
            vectorize_file(name, "", path, args, context);
        } else {
            remove_stale_vector_file(path, args.json_file, context);
        }
    }
    print_test_piece_guide(args, context.out);
}
