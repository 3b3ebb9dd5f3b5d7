#include <cstdio>

int main() {
  std::puts("korvane2-cli");
  return 0;
}
