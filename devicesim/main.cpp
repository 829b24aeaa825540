#include <cstdio>

int main() {
    std::fprintf(stderr, "vorlaxent-devicesim: not built yet\n");
    return 1;
}
