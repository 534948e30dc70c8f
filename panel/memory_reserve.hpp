#pragma once

#include <cstddef>

// Sets memory aside for the moment an allocation fails. The first failed
// allocation gives the reserve back and throws std::bad_alloc, so that the
// destructors that run while the exception unwinds (the JSON library's free
// their trees with allocations of their own) and the error message still find
// memory, instead of a second failure inside a destructor ending the program
// with an abort.
void keep_memory_reserve(std::size_t bytes);
