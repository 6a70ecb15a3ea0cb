// Placeholder until the main window lands.
#include <cstdio>
int main() {
    std::puts("qinghe-rank: window not built yet");
    return 0;
}
