#include <gtest/gtest.h>

#include <sstream>

#include "layer_fixtures.hpp"
#include "panel/labels.hpp"

namespace {

struct Labels {
    std::string svg;
    std::string console;
};

// Labels the components of one section in key order, as the section walk does.
Labels label_section(const std::string& section_json, bool whole_numbers = false) {
    const json section = json::parse(section_json);
    SectionDocument doc;
    std::ostringstream out;
    for (const auto& [key, value] : section.items()) {
        Component c = read_component(key, value, Place{"test.json", "box_Main", {}});
        draw_label(c, LaserStyle(), doc, out, whole_numbers);
    }
    return {doc.svg, out.str()};
}

std::string at(int rotation) {
    return R"({"c": {"call_name": "Volume", "location_x": 2, "location_y": 3, "visible_height": 1, "rotation": )" +
           std::to_string(rotation) + "}}";
}

}  // namespace

TEST(Labels, SitBesideTheComponentOnTheSideThatIsUp) {
    struct Case {
        int rotation;
        const char* element;
    };
    const Case cases[] = {
        {0, "<text x=\"75.59\" y=\"86.49\" class=\"text\" fill=\"black\" transform=\"rotate(0.00)\""},
        {90, "<text x=\"113.38\" y=\"-99.49\" class=\"text\" fill=\"black\" transform=\"rotate(90.00)\""},
        {180, "<text x=\"-75.59\" y=\"-142.28\" class=\"text\" fill=\"black\" transform=\"rotate(180.00)\""},
        {270, "<text x=\"-113.38\" y=\"50.69\" class=\"text\" fill=\"black\" transform=\"rotate(270.00)\""},
        {45, "<text x=\"75.59\" y=\"86.49\" class=\"text\" fill=\"black\" transform=\"rotate(0.00)\""},
        {-90, "<text x=\"75.59\" y=\"86.49\" class=\"text\" fill=\"black\" transform=\"rotate(0.00)\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(label_section(at(c.rotation)).svg,
                  std::string(c.element) + " dominant-baseline=\"central\" text-anchor=\"middle\">Volume</text>")
            << c.rotation;
    }
}

TEST(Labels, ReportTurnedAndUnsupportedRotations) {
    const std::string warning =
        "Warning: Rotations for text are supported only for 0, 90, 180, and 270 degrees for now. Assuming 0.\n";
    EXPECT_EQ(label_section(at(0)).console, "Creating text: Volume for c\n");
    EXPECT_EQ(label_section(at(90)).console, "Creating text: Volume for c\n - Rotation of Volume is 90\n");
    EXPECT_EQ(label_section(at(45)).console, "Creating text: Volume for c\n - Rotation of Volume is 45\n" + warning);
    EXPECT_EQ(label_section(at(-90)).console, "Creating text: Volume for c\n" + warning);
    EXPECT_EQ(label_section(at(360)).console, "Creating text: Volume for c\n - Rotation of Volume is 360\n" + warning);
}

TEST(Labels, KnobsAndButtonsAreNumberedInKeyOrder) {
    const Labels l = label_section(R"({
        "pot2": {"id": 1, "call_name": "Knob", "location_x": 1, "location_y": 1},
        "button1": {"id": 2, "call_name": "Button", "location_x": 1, "location_y": 1},
        "pot1": {"id": 0, "call_name": "Knob", "location_x": 1, "location_y": 1}})");
    EXPECT_EQ(l.console, "Creating text: Button 2.00 for button1\nCreating text: Knob 1.00 for pot1\n"
                         "Creating text: Knob 2.00 for pot2\n");
    EXPECT_EQ(count_of(l.svg, ">Knob 2.00</text>"), 1);
}

TEST(Labels, CountersFollowTheKeysWhateverTheName) {
    struct Case {
        const char* section;
        const char* console;
    };
    const Case cases[] = {
        // Faders count after the pots before them; buttons after pots and faders.
        {R"({"a_pot": {"id": 4, "call_name": "", "location_x": 1, "location_y": 1},
             "b_fader": {"id": 5, "call_name": "Knob", "location_x": 1, "location_y": 1},
             "c_button": {"id": 5, "call_name": "Button", "location_x": 1, "location_y": 1}})",
         "Creating text: Knob 4.00 for b_fader\nCreating text: Button 3.00 for c_button\n"},
        // A screen is skipped before any counting, even when its key says pot.
        {R"({"a_pot": {"call_name": "Screen", "location_x": 1, "location_y": 1},
             "b_fader": {"id": 2, "call_name": "Knob", "location_x": 1, "location_y": 1}})",
         "Creating text: Knob 2.00 for b_fader\n"},
        // Other keys keep number 0 and need no id; other names are used as they are.
        {R"({"jack": {"call_name": "Knob", "location_x": 1, "location_y": 1},
             "pot9": {"id": 7, "call_name": "Encoder", "location_x": 1, "location_y": 1}})",
         "Creating text: Knob 0.00 for jack\nCreating text: Encoder for pot9\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(label_section(c.section).console, c.console) << c.section;
    }
}

TEST(Labels, NumberedComponentsNeedANumericId) {
    for (const char* section : {R"({"pot1": {"call_name": "Knob", "location_x": 1, "location_y": 1}})",
                                R"({"pot1": {"id": "3", "call_name": "Knob", "location_x": 1, "location_y": 1}})",
                                R"({"pot1": {"id": true, "call_name": "Knob", "location_x": 1, "location_y": 1}})"}) {
        try {
            label_section(section);
            ADD_FAILURE() << "accepted " << section;
        } catch (const RunError& e) {
            EXPECT_NE(std::string(e.what()).find("component \"pot1\", key \"id\""), std::string::npos) << e.what();
        }
    }
}

TEST(Labels, TextIsEscapedForXml) {
    EXPECT_NE(label_section(R"({"c": {"call_name": "R&D <in>", "location_x": 1, "location_y": 1}})").svg.find(
                  ">R&amp;D &lt;in&gt;</text>"),
              std::string::npos);
    EXPECT_EQ(escape_xml_text("MIDI \"IN\" 'A'"), "MIDI \"IN\" 'A'");
    for (const char* name : {"a\\u0001b", "a\\uFFFEb", "a\\uFFFF"}) {
        EXPECT_THROW(label_section(std::string(R"({"c": {"call_name": ")") + name +
                                   R"(", "location_x": 1, "location_y": 1}})"),
                     RunError)
            << name;
    }
}

TEST(Labels, WholeNumbersLeaveOutTheDecimalsOfKnobsAndButtonsOnly) {
    const std::string section = R"({"button1": {"id": 2, "call_name": "Button", "location_x": 1, "location_y": 1},
        "fader1": {"id": -4, "call_name": "Knob", "location_x": 2, "location_y": 1},
        "pot1": {"id": 0, "call_name": "Knob", "location_x": 3, "location_y": 1},
        "pot2": {"id": 7, "call_name": "Level 2.5", "location_x": 4, "location_y": 1}})";
    EXPECT_EQ(label_section(section, true).console,
              "Creating text: Button 2 for button1\nCreating text: Knob -4 for fader1\n"
              "Creating text: Knob 1 for pot1\nCreating text: Level 2.5 for pot2\n");
    EXPECT_EQ(label_section(section).console,
              "Creating text: Button 2.00 for button1\nCreating text: Knob -4.00 for fader1\n"
              "Creating text: Knob 1.00 for pot1\nCreating text: Level 2.5 for pot2\n");
}
