#include "TreeWalk.h"

namespace pellucor::word {

void removeNode(pugi::xml_node node) {
    pugi::xml_node at = node;
    while (true) {
        if (pugi::xml_node last = at.last_child()) {
            at = last;
            continue;
        }
        if (at == node)
            break;
        pugi::xml_node parent = at.parent();
        parent.remove_child(at);
        at = parent;
    }
    node.parent().remove_child(node);
}

} // namespace pellucor::word
