#include <cstdio>

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  std::fprintf(stderr, "lavinor: the batch runner is not built yet\n");
  return 2;
}
