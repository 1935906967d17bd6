#include <iostream>

int main() {
  std::cout << "kv " << KV_VERSION << "\n";
  return 0;
}
