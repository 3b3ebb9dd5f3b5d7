#include <cstdio>

int main() {
  std::puts("jvsim");
  return 0;
}
