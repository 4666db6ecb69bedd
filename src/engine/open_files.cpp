#include "open_files.h"

#include <algorithm>

namespace splitwick {

namespace {

template <typename Item> bool holds(const std::vector<Item>& items, const Item& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

template <typename Item> void drop(std::vector<Item>& items, const Item& item) {
    const auto it = std::find(items.begin(), items.end(), item);
    if (it != items.end()) items.erase(it);
}

} // namespace

bool OpenFiles::isOpen(FileIdentity id) const {
    return holds(open_, id);
}

void OpenFiles::opened(FileIdentity id) {
    open_.push_back(id);
}

void OpenFiles::closed(FileIdentity id) {
    drop(open_, id);
}

bool OpenFiles::isClaimed(const OutputName& name) const {
    return holds(claimed_, name);
}

void OpenFiles::claim(const OutputName& name) {
    claimed_.push_back(name);
}

void OpenFiles::release(const OutputName& name) {
    drop(claimed_, name);
}

} // namespace splitwick
