// Placeholder until the command-line run lands.
#include <cstdio>
int main() {
    std::puts("Kestro 1.2.0");
    return 0;
}
