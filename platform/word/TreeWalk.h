#pragma once

#include <pugixml.hpp>
#include <vector>

namespace pellucor::word {

// Calls visit(node) for the nodes below `root` in document order, with a
// list of its own instead of the call stack, so that no depth of nesting can
// exhaust the stack. visit returns the node whose children come next: the
// node itself, one of its children, or a null node to pass over the node and
// everything below it.
template <typename Visit> void walkBelow(pugi::xml_node root, Visit&& visit) {
    // Where each level goes on once the level below it ends; only levels
    // with somewhere to go on are kept, so a chain of single children costs
    // nothing.
    std::vector<pugi::xml_node> resume;
    pugi::xml_node node = root.first_child();
    while (node || !resume.empty()) {
        if (!node) {
            node = resume.back();
            resume.pop_back();
        }
        const pugi::xml_node next = node.next_sibling();
        const pugi::xml_node inner = visit(node);
        if (inner && inner.first_child()) {
            if (next)
                resume.push_back(next);
            node = inner.first_child();
        } else {
            node = next;
        }
    }
}

// Removes the node and everything below it. pugixml frees a removed node's
// descendants by recursion, so the deepest are taken off first, one by one.
void removeNode(pugi::xml_node node);

} // namespace pellucor::word
