#include "open_files.h"

#include <algorithm>
#include <vector>

namespace splitwick {

namespace {

// Jobs run on one thread; a job holds at most a source and 50 outputs.
template <typename Item> std::vector<Item>& held() {
    static std::vector<Item> items;
    return items;
}

template <typename Item> bool isHeld(const Item& item) {
    const auto& items = held<Item>();
    return std::find(items.begin(), items.end(), item) != items.end();
}

template <typename Item> void release(const Item& item) {
    auto& items = held<Item>();
    const auto it = std::find(items.begin(), items.end(), item);
    if (it != items.end()) items.erase(it);
}

} // namespace

bool isOpenInJob(FileIdentity id) {
    return isHeld(id);
}

void registerOpen(FileIdentity id) {
    held<FileIdentity>().push_back(id);
}

void unregisterOpen(FileIdentity id) {
    release(id);
}

bool isClaimedInJob(const OutputName& name) {
    return isHeld(name);
}

void claimName(const OutputName& name) {
    held<OutputName>().push_back(name);
}

void releaseName(const OutputName& name) {
    release(name);
}

} // namespace splitwick
