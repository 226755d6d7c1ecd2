// Walks skin markup element by element, following "Include" elements into
// the files they name. A skin may come from a damaged or hostile package, so
// the walk refuses include cycles and caps the include count and the nesting
// depth: each recursion here, and later in the control tree, stays bounded.
// Pure code (pugixml, no Win32), so the native build tests and fuzzes it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <pugixml.hpp>

namespace SkinUI {

// Elements nest at most this deep, counting through included files (an
// Include is one level itself). Deeper elements are skipped with their subtree.
constexpr int kMaxMarkupDepth = 100;
// The "count" of one Include is cut to this.
constexpr int kMaxIncludeCount = 100;
// The files one build may include in all, repetitions counted.
constexpr int kMaxIncludedFiles = 500;

// What the walk asks of the builder that uses it. The pointers are the
// builder's own objects (controls); the walk only passes them around.
class IMarkupSink {
public:
    virtual ~IMarkupSink() = default;
    // The "Window" element of the top file, or of an included file.
    virtual void OnWindow(const pugi::xml_node& window, bool included) = 0;
    // Makes the object for an element inside parent (null at the top), or
    // returns null to skip the element and its subtree.
    virtual void* OnElement(const pugi::xml_node& element, void* parent) = 0;
    // The text of an included file, ready to parse; false with an error.
    virtual bool LoadInclude(const std::string& source, std::string& text, std::string& error) = 0;
};

// Reports what the walk refused, for the skin's developer.
using MarkupReport = std::function<void(const std::string& message)>;

class MarkupWalk {
public:
    MarkupWalk(IMarkupSink& sink, MarkupReport report);

    // Parses text and walks it into parent. sourceName is the file the text
    // came from (empty for markup text), so that an include of it is seen
    // as a cycle. Returns the first object made. Without a parent only one
    // object can be handed back, so only the first top-level element is
    // built. Null with error set when the text does not parse.
    //
    // A walk started while another runs on the same thread (a control that
    // loads a markup file of its own while its attributes are applied) is
    // part of that walk: it continues its depth, its open files and its
    // budget, so such controls cannot nest or cycle without bound either.
    void* Walk(const std::string& text, const std::string& sourceName, void* parent,
               std::string& error);

private:
    void* WalkText(const std::string& text, void* parent, int depth, bool included,
                   std::string& error);
    void* WalkChildren(const pugi::xml_node& node, void* parent, int depth);
    void* WalkElement(const pugi::xml_node& element, void* parent, int depth);
    void* WalkInclude(const pugi::xml_node& element, void* parent, int depth);
    // Refuses a file already open, or one over the budget when it counts
    // against it; else opens it.
    bool EnterFile(const std::string& source, bool counts);
    void Report(const std::string& message) const;

    IMarkupSink& m_sink;
    MarkupReport m_report;
    // The depth of the element whose object is being made.
    int m_depth = 0;
    // The files being walked, outermost first, in lower case.
    std::vector<std::string> m_openFiles;
    int m_includedFiles = 0;
    bool m_depthReported = false;
    bool m_budgetReported = false;
};

}  // namespace SkinUI
