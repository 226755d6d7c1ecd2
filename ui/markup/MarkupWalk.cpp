#include "ui/markup/MarkupWalk.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace SkinUI {

namespace {

// The walk running on this thread, which a walk started inside it joins.
thread_local MarkupWalk* t_innermost = nullptr;

// Package members and Windows file names are found ignoring case, so an
// include cycle may spell a name differently.
std::string FoldCase(std::string name) {
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

bool IsWindowResource(const char* tag) {
    return std::strcmp(tag, "Image") == 0 || std::strcmp(tag, "Font") == 0 ||
           std::strcmp(tag, "Default") == 0;
}

}  // namespace

MarkupWalk::MarkupWalk(IMarkupSink& sink, MarkupReport report)
    : m_sink(sink), m_report(std::move(report)) {}

void MarkupWalk::Report(const std::string& message) const {
    if (m_report)
        m_report(message);
}

void* MarkupWalk::Walk(const std::string& text, const std::string& sourceName, void* parent,
                       std::string& error) {
    MarkupWalk* outer = t_innermost;
    int depth = 1;
    m_openFiles.clear();
    m_includedFiles = 0;
    m_depthReported = false;
    m_budgetReported = false;
    if (outer) {
        m_openFiles = outer->m_openFiles;
        m_includedFiles = outer->m_includedFiles;
        m_depthReported = outer->m_depthReported;
        m_budgetReported = outer->m_budgetReported;
        depth = outer->m_depth + 1;
        if (depth > kMaxMarkupDepth) {
            error = "nested deeper than " + std::to_string(kMaxMarkupDepth) + " levels";
            Report("Markup \"" + sourceName + "\": " + error);
            return nullptr;
        }
    }
    // The top file of a build is free; one a control loads inside it counts.
    if (!sourceName.empty() && !EnterFile(sourceName, outer != nullptr)) {
        error = "refused: an include cycle, or too many files";
        return nullptr;
    }
    struct Innermost {
        MarkupWalk* outer;
        ~Innermost() { t_innermost = outer; }
    } restore{outer};
    t_innermost = this;
    // A file loaded inside another walk is an included one: its window
    // values and fonts do not apply.
    void* made = WalkText(text, parent, depth, outer != nullptr, error);
    if (outer) {
        outer->m_includedFiles = m_includedFiles;
        outer->m_depthReported = m_depthReported;
        outer->m_budgetReported = m_budgetReported;
    }
    return made;
}

bool MarkupWalk::EnterFile(const std::string& source, bool counts) {
    const std::string folded = FoldCase(source);
    if (std::find(m_openFiles.begin(), m_openFiles.end(), folded) != m_openFiles.end()) {
        std::string chain;
        for (const std::string& open : m_openFiles)
            chain += open + " -> ";
        Report("Include cycle refused: " + chain + folded);
        return false;
    }
    if (counts) {
        if (m_includedFiles >= kMaxIncludedFiles) {
            if (!m_budgetReported) {
                m_budgetReported = true;
                Report("Include \"" + source + "\": more than " +
                       std::to_string(kMaxIncludedFiles) +
                       " files included in one skin; the rest are skipped");
            }
            return false;
        }
        ++m_includedFiles;
    }
    m_openFiles.push_back(folded);
    return true;
}

void* MarkupWalk::WalkText(const std::string& text, void* parent, int depth, bool included,
                           std::string& error) {
    pugi::xml_document document;
    // The text is already in the program's code page: no conversion.
    const pugi::xml_parse_result parsed =
        document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        error = parsed.description();
        return nullptr;
    }
    const pugi::xml_node top = document.document_element();
    if (!top) {
        error = "No root element";
        return nullptr;
    }
    if (std::strcmp(top.name(), "Window") != 0)
        return WalkElement(top, parent, depth);
    m_sink.OnWindow(top, included);
    return WalkChildren(top, parent, depth);
}

void* MarkupWalk::WalkChildren(const pugi::xml_node& node, void* parent, int depth) {
    void* first = nullptr;
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() != pugi::node_element)
            continue;
        if (!parent && first) {
            Report(std::string("Markup: without a parent only the first control is built; <") +
                   child.name() + "> and the elements after it are skipped");
            break;
        }
        void* made = WalkElement(child, parent, depth);
        if (!first)
            first = made;
    }
    return first;
}

void* MarkupWalk::WalkElement(const pugi::xml_node& element, void* parent, int depth) {
    const char* tag = element.name();
    if (IsWindowResource(tag))
        return nullptr;
    if (depth > kMaxMarkupDepth) {
        if (!m_depthReported) {
            m_depthReported = true;
            Report(std::string("Markup: elements nest deeper than ") +
                   std::to_string(kMaxMarkupDepth) + " levels; <" + tag +
                   "> and everything inside it are skipped");
        }
        return nullptr;
    }
    if (std::strcmp(tag, "Include") == 0)
        return WalkInclude(element, parent, depth);
    m_depth = depth;
    void* made = m_sink.OnElement(element, parent);
    if (made)
        WalkChildren(element, made, depth + 1);
    return made;
}

void* MarkupWalk::WalkInclude(const pugi::xml_node& element, void* parent, int depth) {
    const std::string source = element.attribute("source").value();
    if (source.empty())
        return nullptr;
    int count = element.attribute("count").as_int(1);
    if (count > kMaxIncludeCount) {
        Report("Include \"" + source + "\": count " + std::to_string(count) + " is cut to " +
               std::to_string(kMaxIncludeCount));
        count = kMaxIncludeCount;
    }
    void* first = nullptr;
    for (int i = 0; i < count && (parent || !first); ++i) {
        if (!EnterFile(source, true))
            break;
        std::string text;
        std::string error;
        void* made = nullptr;
        if (m_sink.LoadInclude(source, text, error))
            made = WalkText(text, parent, depth + 1, true, error);
        else if (error.empty())
            error = "could not be loaded";
        m_openFiles.pop_back();
        if (!error.empty()) {
            Report("Include \"" + source + "\": " + error);
            break;
        }
        if (!first)
            first = made;
    }
    return first;
}

}  // namespace SkinUI
