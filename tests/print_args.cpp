// Prints each argument it gets as "[arg]" on a line of its own: shows how a
// program such as Inkscape receives a command line from the command processor.
#include <cstdio>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::printf("[%s]\n", argv[i]);
    }
    return 0;
}
