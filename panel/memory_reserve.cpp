#include "panel/memory_reserve.hpp"

#include <new>

namespace {

char* reserve = nullptr;

void release_reserve_and_fail() {
    delete[] reserve;
    reserve = nullptr;
    std::set_new_handler(nullptr);
    throw std::bad_alloc();
}

}  // namespace

void keep_memory_reserve(std::size_t bytes) {
    reserve = new char[bytes];
    std::set_new_handler(release_reserve_and_fail);
}
