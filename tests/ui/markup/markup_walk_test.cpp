// The markup walk on skins that a damaged or hostile package could hold:
// include cycles, huge include counts, deep nesting and several roots.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/markup/MarkupFiles.h"

using namespace SkinUI;
using uitest::MarkupFiles;
using uitest::Node;

namespace {

struct Walked {
    MarkupFiles files;
    std::vector<std::string> reports;
    Node top;
    std::string error;

    void* Run(const std::string& main, Node* parent) {
        MarkupWalk walk(files, [this](const std::string& m) { reports.push_back(m); });
        return walk.Walk(main, "Main.xml", parent, error);
    }
    bool Reported(const std::string& part) const {
        for (const std::string& r : reports) {
            if (r.find(part) != std::string::npos)
                return true;
        }
        return false;
    }
};

TEST(MarkupWalkTest, IncludeCyclesAreRefusedAndTheRestBuilds) {
    Walked w;
    w.files.files["a.xml"] =
        "<Window><HorizontalLayout><Include source=\"MAIN.xml\"/><Label/></HorizontalLayout>"
        "</Window>";
    w.files.files["self.xml"] = "<Include source=\"self.xml\"/>";
    w.Run(
        "<Window><VerticalLayout><Include source=\"a.xml\" count=\"2\"/>"
        "<Include source=\"self.xml\"/></VerticalLayout></Window>",
        &w.top);
    ASSERT_EQ(w.top.children.size(), 1u);
    // Both copies of a.xml, each with its label and without the cycle.
    ASSERT_EQ(w.top.children[0]->children.size(), 2u);
    EXPECT_EQ(w.top.children[0]->children[1]->children.size(), 1u);
    EXPECT_EQ(w.files.made, 5);
    EXPECT_TRUE(w.Reported("Include cycle refused: main.xml -> a.xml -> main.xml"));
    EXPECT_TRUE(w.Reported("Include cycle refused: main.xml -> self.xml -> self.xml"));
    EXPECT_EQ(w.files.includedWindows, 2);
    EXPECT_EQ(w.files.windows, 1);
}

std::string ListOf(const std::string& source, const std::string& count) {
    return "<Window><VerticalLayout><Include source=\"" + source + "\" count=\"" + count +
           "\"/></VerticalLayout></Window>";
}

TEST(MarkupWalkTest, IncludeCountsAreCapped) {
    Walked w;
    w.files.files["row.xml"] = "<Label/>";
    w.files.files["many.xml"] =
        "<VerticalLayout><Include source=\"row.xml\" count=\"100\"/>"
        "</VerticalLayout>";
    w.Run(ListOf("row.xml", "1000000"), &w.top);
    EXPECT_EQ(w.files.made, 1 + kMaxIncludeCount);
    EXPECT_TRUE(w.Reported("count 1000000 is cut to 100"));

    // Counts multiply through nested includes: the whole build has a budget.
    Walked nested;
    nested.files.files = w.files.files;
    nested.Run(ListOf("many.xml", "100"), &nested.top);
    EXPECT_LE(nested.files.made, 1 + kMaxIncludedFiles);
    EXPECT_TRUE(nested.Reported("more than 500 files included"));
    EXPECT_TRUE(nested.error.empty());
}

TEST(MarkupWalkTest, FourMebibytesOfNestingStopAtTheDepthCap) {
    std::string deep = "<Window>";
    const size_t levels = (4u << 20) / 8;
    deep.reserve(levels * 7 + 32);
    for (size_t i = 0; i < levels; ++i)
        deep += "<V>";
    for (size_t i = 0; i < levels; ++i)
        deep += "</V>";
    deep += "</Window>";
    Walked w;
    w.Run(deep, &w.top);
    EXPECT_TRUE(w.error.empty()) << w.error;
    EXPECT_EQ(w.files.deepest, kMaxMarkupDepth + 1) << "the top node counts too";
    EXPECT_EQ(w.reports.size(), 1u);
    EXPECT_TRUE(w.Reported("deeper than 100 levels"));

    // Includes count as levels, so a chain of files cannot go deeper either.
    Walked chain;
    chain.files.files["a.xml"] = "<A><Include source=\"b.xml\"/></A>";
    chain.files.files["b.xml"] = "<B>" + std::string(200, ' ') + "<Include source=\"c.xml\"/></B>";
    chain.files.files["c.xml"] = deep.substr(0, 2000);
    chain.Run("<Window><Include source=\"a.xml\"/></Window>", &chain.top);
    EXPECT_LE(chain.files.deepest, kMaxMarkupDepth + 1);
}

TEST(MarkupWalkTest, WithoutAParentOnlyTheFirstRootIsBuilt) {
    Walked w;
    w.files.files["row.xml"] = "<Label/>";
    void* root = w.Run(
        "<Window><Skip/><Button/><Label/><Include source=\"row.xml\" count=\"2\"/>"
        "</Window>",
        nullptr);
    ASSERT_EQ(w.files.roots.size(), 1u);
    EXPECT_EQ(root, w.files.roots[0].get());
    EXPECT_EQ(w.files.roots[0]->tag, "Button") << "a skipped element is no root";
    EXPECT_TRUE(w.Reported("only the first control is built; <Label>"));
    EXPECT_EQ(w.Run("<Window><Label/></Window broken", nullptr), nullptr);
    EXPECT_FALSE(w.error.empty());
}

// A sink whose "Child" elements load a file of their own while they are
// made, as a child layout's "xmlfile" does.
struct LoadingFiles : MarkupFiles {
    std::vector<std::string>* reports = nullptr;
    void* OnElement(const pugi::xml_node& element, void* parent) override {
        void* made = MarkupFiles::OnElement(element, parent);
        const char* file = element.attribute("xmlfile").value();
        if (made && *file) {
            MarkupWalk inner(*this, [this](const std::string& m) { reports->push_back(m); });
            std::string error;
            inner.Walk(files[file], file, made, error);
        }
        return made;
    }
};

TEST(MarkupWalkTest, FilesLoadedByControlsJoinTheWalk) {
    LoadingFiles files;
    std::vector<std::string> reports;
    files.reports = &reports;
    files.files["loop.xml"] = "<Window size=\"1,1\"><Child xmlfile=\"Loop.xml\"/></Window>";
    files.files["down.xml"] = "<A><Child xmlfile=\"down2.xml\"/></A>";
    files.files["down2.xml"] = "<A><Child xmlfile=\"down.xml\"/></A>";
    Node top;
    std::string error;
    MarkupWalk walk(files, [&reports](const std::string& m) { reports.push_back(m); });
    walk.Walk("<Window><Child xmlfile=\"loop.xml\"/><Child xmlfile=\"down.xml\"/></Window>", "",
              &top, error);
    EXPECT_EQ(files.windows, 1) << "the loaded file's window counts as included";
    EXPECT_EQ(files.includedWindows, 1);
    EXPECT_EQ(files.made, 2 + 5);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0], "Include cycle refused: loop.xml -> loop.xml");
    EXPECT_EQ(reports[1], "Include cycle refused: down.xml -> down2.xml -> down.xml");
}

}  // namespace
