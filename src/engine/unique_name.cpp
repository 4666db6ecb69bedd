#include "unique_name.h"

#include <fcntl.h>

#include <cerrno>
#include <random>
#include <string_view>

namespace splitwick {

namespace {

constexpr std::string_view Letters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int NameLength = 6;
// 62^6 names: a taken one is met again only when a folder holds millions of them.
constexpr int Tries = 100;

std::string randomLetters() {
    static thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, Letters.size() - 1);
    std::string letters;
    for (int i = 0; i < NameLength; ++i)
        letters += Letters[pick(random)];
    return letters;
}

} // namespace

int createUniqueFile(int folder, const std::string& prefix, const std::string& suffix,
                     std::string& made) {
    for (int i = 0; i < Tries; ++i) {
        made = prefix + randomLetters() + suffix;
        // Not mkstemps: its files are private to their owner, outputs are not.
        const int fd = ::openat(folder, made.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

} // namespace splitwick
