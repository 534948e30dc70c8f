// A box the project does not close: which places its sections fill, the
// edges that stay straight where a place is open, the note that says so, and
// the refusal of a jointed panel with no body between its joints.
#include <gtest/gtest.h>

#include <filesystem>

#include "joints/finger_edges.hpp"
#include "joints/flat_panels.hpp"
#include "panel/errors.hpp"
#include "test_support.hpp"

namespace fs = std::filesystem;

namespace {

json sections(const std::vector<std::string>& keys) {
    json project = json::parse(project_with(""));
    for (const std::string& key : keys) project[key] = json::object();
    return project;
}

std::string open_places(const std::vector<std::string>& keys) {
    const FilledPlaces places = filled_places(sections(keys));
    std::string open;
    for (BoxPlace place : box_places) {
        if (!places.has(place)) open += std::string(open.empty() ? "" : " ") + box_place_name(place);
    }
    return open;
}

JointRole role(SectionKind kind, EdgeSide side, const BoxSize& box, const Arguments& args) {
    return panel_joints(kind, box, args)[static_cast<std::size_t>(side)].role;
}

const std::string tray =
    R"({"Generic": {"width": 20, "height": 10}, "box_Back": {}, "box_Bottom": {}, "box_Front": {}, "box_Left": {},)"
    R"( "box_Right": {}})";

}  // namespace

TEST(OpenBox, ASingleSectionClosesThePlaceItsKeyNames) {
    EXPECT_EQ(open_places({"box_Main", "box_Bottom", "box_Back", "box_Front", "box_Left", "box_Right"}), "");
    EXPECT_EQ(open_places({"box_Bottom", "box_Back", "box_Front", "box_Left", "box_Right"}), "top");
    EXPECT_EQ(open_places({"box_Main", "box_Back", "box_Front", "box_Left", "box_Right"}), "bottom");
    // A shelf: open at the front; two sides of any name close both.
    EXPECT_EQ(open_places({"box_Main", "box_Top", "box_Back", "box_Side1", "box_Side2"}), "front");
    EXPECT_EQ(open_places({"box_Main", "box_Front", "box_Right"}), "bottom back left");
    EXPECT_EQ(open_places({}), "top bottom front back left right");
}

TEST(OpenBox, EdgesThatWouldMeetAnOpenPlaceStayStraight) {
    Arguments args{};
    args.material_thickness = 3;
    args.box_height_3d = 50;
    args.finger_joints = true;
    BoxSize box{20, 10};
    box.places = filled_places(json::parse(tray));
    using K = SectionKind;
    using S = EdgeSide;
    // The walls meet the bottom along their drawings' bottom (ends) and right
    // (sides) edges; the face meets all four walls.
    EXPECT_EQ(role(K::end, S::top, box, args), JointRole::none);
    EXPECT_EQ(role(K::end, S::bottom, box, args), JointRole::notches);
    EXPECT_EQ(role(K::side, S::left, box, args), JointRole::none);
    EXPECT_EQ(role(K::side, S::right, box, args), JointRole::notches);
    EXPECT_EQ(role(K::side, S::top, box, args), JointRole::notches);
    for (S side : edge_sides) EXPECT_EQ(role(K::face, side, box, args), JointRole::fingers) << edge_name(side);
    // Outer sizing: the fingers the walls would push into the open top go too.
    args.outer_sizing = true;
    EXPECT_EQ(role(K::end, S::top, box, args), JointRole::none);
    EXPECT_EQ(role(K::end, S::bottom, box, args), JointRole::fingers);
}

TEST(OpenBox, TheConsoleNamesTheStraightEdgesOnceAndAClosedBoxNone) {
    TempDir dir;
    write_text(dir / "tray.json", tray);
    write_text(dir / "closed.json", project_with(R"("box_Main": {}, "box_Bottom": {}, "box_Back": {}, "box_Front": {},)"
                                                 R"( "box_Left": {}, "box_Right": {})"));
    const std::vector<std::string> base = {"-o", "out", "-m", "3", "-b", "50", "--vectorize=false", "--finger-joints",
                                           "--separate-files"};
    std::vector<std::string> args = {"-j", "tray.json"};
    args.insert(args.end(), base.begin(), base.end());
    RunResult run = run_program(args, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string note =
        "Note: no panel closes the top of the box (the project's one face section, \"box_Bottom\", closes the "
        "bottom), so these edges stay straight: \"box_Back\" top, \"box_Front\" top, \"box_Left\" left, "
        "\"box_Right\" left\n";
    const auto at = run.out.find(note);
    EXPECT_NE(at, std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Note: no panel", at + 1), std::string::npos) << run.out;
    args[1] = "closed.json";
    run = run_program(args, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("Note: no panel"), std::string::npos) << run.out;
}

// -z -b 6 -m 3 leaves the walls 0 mm between the fingers they push into the
// faces; inner sizing keeps the box height between the notches.
TEST(OpenBox, AJointedPanelThinnerThanTheMaterialBetweenItsJointsIsRefused) {
    const json project = sections({"box_Main", "box_Bottom", "box_Back", "box_Front", "box_Left", "box_Right"});
    Arguments args{};
    args.material_thickness = 3;
    args.finger_joints = true;
    args.box_height_3d = 3;  // exactly T between the notches
    EXPECT_NO_THROW(refuse_flat_panels(project, BoxSize{20, 10}, args, "box.json"));
    args.box_height_3d = 2.9f;
    try {
        refuse_flat_panels(project, BoxSize{20, 10}, args, "box.json");
        ADD_FAILURE() << "not refused";
    } catch (const RunError& e) {
        EXPECT_STREQ(e.what(),
                     "project file \"box.json\", section \"box_Back\": with --finger-joints the panel (20.00 x 0.89 "
                     "cm) keeps 0.29 cm of material between the joints of its top and bottom edges, less than the "
                     "material thickness (0.30 cm): it would come apart into loose fingers (check --box-height-3d, "
                     "--material-thickness and --outer-sizing)");
    }
    // An open top leaves the walls' top edges straight: their body grows by T.
    BoxSize tray_box{20, 10};
    tray_box.places = filled_places(json::parse(tray));
    EXPECT_NO_THROW(refuse_flat_panels(json::parse(tray), tray_box, args, "tray.json"));

    TempDir dir;
    write_text(dir / "box.json", project.dump());
    const std::vector<std::string> flat = {"-j", "box.json", "-o", "out", "-m", "3", "-b", "6", "-z",
                                           "--vectorize=false"};
    EXPECT_EQ(run_program(flat, dir.path()).status, 0);  // without joints, as before
    fs::remove_all(dir / "out");
    std::vector<std::string> jointed = flat;
    jointed.push_back("--finger-joints");
    const RunResult run = run_program(jointed, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("section \"box_Back\": with --finger-joints the panel (19.40 x 0.00 cm) keeps 0.00 cm"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(fs::is_empty(dir / "out" / "box")) << "a file was written before the refusal";
}
