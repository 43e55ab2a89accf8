#include "window/ControlTable.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace kelvanter::testing {
namespace {

// Both windows place their controls at these pixels: the design's twips ÷ 15, rounded.
TEST(ControlTable, TheMainWindowsTwipsGiveTheDesignedPixels) {
    struct Case {
        const ControlSpec& control;
        PixelRect pixels;
    };
    const MainWindowDesign& d = kMainWindow;
    for (const Case& c :
         {Case{d.Fname, {16, 48, 393, 20}}, Case{d.Command1, {416, 48, 41, 22}}, Case{d.Command2, {144, 78, 145, 65}},
          Case{d.Picture1, {17, 176, 440, 17}}, Case{d.Label3, {17, 142, 100, 13}},
          Case{d.Option1_1, {304, 120, 81, 17}}, Case{d.Label1, {208, 0, 23, 13}}, Case{d.Shape1, {8, 16, 457, 185}}})
        EXPECT_EQ(toPixels(c.control.rect), c.pixels) << c.control.name;
    EXPECT_EQ(twipsToPixels(d.form.clientWidthTwips), 474);
    EXPECT_EQ(twipsToPixels(d.form.clientHeightTwips), 210);
    EXPECT_EQ(pointsToPixels(d.Command2.font.points), 13);
    EXPECT_EQ(pointsToPixels(d.Label1.font.points), 11);
}

TEST(ControlTable, TabOrderVisitsTheFocusableControlsAsDesignedAndNamesAreUnique) {
    std::string order;
    for (const ControlSpec* control : tabOrder(kMainWindow))
        order += std::string(control->name) + " ";
    EXPECT_EQ(order, "Fname Command1 Command2 Picture1 Option1_0 Option1_1 Command3 Command4 ");
    std::set<std::string> names;
    for (const ControlSpec* control : kMainWindow.controls())
        EXPECT_TRUE(names.insert(control->name).second) << control->name;
}

} // namespace
} // namespace kelvanter::testing
