// A sink for the markup walk that keeps skin files in memory and builds a
// plain tree of element names, shared by the walk's tests and fuzz target.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/markup/MarkupWalk.h"

namespace uitest {

struct Node {
    std::string tag;
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> children;
};

class MarkupFiles : public SkinUI::IMarkupSink {
public:
    std::map<std::string, std::string> files;
    std::vector<std::unique_ptr<Node>> roots;  // made without a parent
    int windows = 0;
    int includedWindows = 0;
    int made = 0;
    int deepest = 0;

    void OnWindow(const pugi::xml_node&, bool included) override {
        ++(included ? includedWindows : windows);
    }
    void* OnElement(const pugi::xml_node& element, void* parent) override {
        // Like the builder's callback, unknown tags make nothing.
        if (std::string(element.name()) == "Skip")
            return nullptr;
        auto node = std::make_unique<Node>();
        node->tag = element.name();
        node->parent = static_cast<Node*>(parent);
        Node* raw = node.get();
        auto& siblings = node->parent ? node->parent->children : roots;
        siblings.push_back(std::move(node));
        ++made;
        int depth = 0;
        for (Node* n = raw; n; n = n->parent)
            ++depth;
        if (depth > deepest)
            deepest = depth;
        return raw;
    }
    bool LoadInclude(const std::string& source, std::string& text, std::string& error) override {
        const auto it = files.find(source);
        if (it == files.end()) {
            error = "File is empty";
            return false;
        }
        text = it->second;
        return true;
    }
};

}  // namespace uitest
